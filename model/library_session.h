// The controller library's one session in a process: the window, norvik-raid
// and norvik-raidd each start and finish the library here. Starting
// initializes it and rescans its adapters under one guard (a library that
// raises while initializing is not asked to rescan); finishing finalizes it
// once, after any start, whatever the start answered. A library that raises
// is noted, never thrown on.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "model/controller_library.h"

class LibrarySession {
  public:
    // Runs one library call of the session: the service bounds it with its
    // watchdog. By default the call just runs.
    using CallBound =
        std::function<MV_U8(const char* operation, const std::function<MV_U8()>& call)>;

    // The process-wide library, as bound when each call is made.
    LibrarySession() = default;
    // `library` must outlive the session.
    explicit LibrarySession(ControllerLibrary& library, CallBound bound = {});
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;

    // Initialize's status; kStatusRaised when the library raised.
    MV_U8 start();
    // False when the library raised.
    bool finish();
    bool started() const { return started_; }
    // The start's rescan status; empty when it never returned.
    std::optional<MV_U8> rescanStatus() const { return rescanStatus_; }

    // What the library raised while starting or finishing; empty when nothing.
    const std::string& failure() const { return failure_; }

  private:
    ControllerLibrary& library() const;
    MV_U8 call(const char* operation, MV_U8 (ControllerLibrary::*member)());

    ControllerLibrary* library_ = nullptr;
    CallBound bound_;
    bool started_ = false;
    std::optional<MV_U8> rescanStatus_;
    std::string failure_;
};
