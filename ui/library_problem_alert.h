// Tells the user, once at start, that the controller library could not be
// loaded: which file is missing and where it belongs. The device list and the
// health icon only say that the enclosures cannot be read; this says why.
#pragma once

#include <string>

// `problem` as the backend choice words it; nothing is shown when it is empty.
void alertLibraryProblem(const std::string& problem);
