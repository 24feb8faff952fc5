// Why a controller library cannot be used, in parts, so that whoever tells
// the user (perhaps another process, in another language) words it: the
// file is missing, will not load, lacks functions, or failed to start.
#pragma once

#include <string>

class LoadedLibrary;

struct LibraryFailure {
    enum class Kind { None, Missing, CannotLoad, Lacks, StartFailed };

    Kind kind = Kind::None;
    std::string path;
    // The loader's message, the functions missing, or what the start raised.
    std::string detail;

    // The failure of a library that did not load; Kind::None when it did.
    static LibraryFailure of(const LoadedLibrary& library);

    // As the service names kinds on the bus: "", "missing", "cannot-load",
    // "lacks", "start-failed"; an unknown name reads as a failed start.
    const char* kindName() const;
    static Kind kindNamed(const std::string& name);
};
