// Keeps the support library non-empty while every fake in it is header-only.
