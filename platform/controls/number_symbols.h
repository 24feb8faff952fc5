// The symbols a locale writes numbers with: "500.11" and "1,000" in English,
// "500,11" and "1.000" in German.
#pragma once

#include <string>

namespace platform {

struct NumberSymbols {
    std::string decimalSeparator = ".";
    std::string groupingSeparator = ",";

    // The C library's numeric conventions of `locale` ("de_DE.UTF-8"); the
    // English ones for C and POSIX, and for a locale the system does not have.
    static NumberSymbols ofLocale(const std::string& locale);
    // The session's (LC_ALL, else LC_NUMERIC, else LANG), read once.
    static const NumberSymbols& session();
    // The locale name the session asks for numbers in; empty for none.
    static std::string sessionLocale();

    bool operator==(const NumberSymbols&) const = default;
};

}  // namespace platform
