#include "model/library_session.h"

#include <exception>

#include "model/guard.h"
#include "model/library_binding.h"

LibrarySession::LibrarySession(ControllerLibrary& library, CallBound bound)
    : library_(&library), bound_(std::move(bound)) {}

ControllerLibrary& LibrarySession::library() const {
    return library_ ? *library_ : controllerLibrary();
}

MV_U8 LibrarySession::call(const char* operation, MV_U8 (ControllerLibrary::*member)()) {
    const auto run = [&] { return (library().*member)(); };
    return bound_ ? bound_(operation, run) : run();
}

// Not the guard helper: the message is kept for the service's log.
MV_U8 LibrarySession::start() {
    started_ = true;
    rescanStatus_.reset();
    MV_U8 status = kStatusRaised;
    try {
        status = call("MV_API_Initialize", &ControllerLibrary::MV_API_Initialize);
        rescanStatus_ = call("MV_API_RescanAdapter", &ControllerLibrary::MV_API_RescanAdapter);
    } catch (const std::exception& e) {
        failure_ = e.what();
    }
    return status;
}

bool LibrarySession::finish() {
    if (!started_) {
        return true;
    }
    started_ = false;
    try {
        call("MV_API_Finalize", &ControllerLibrary::MV_API_Finalize);
        return true;
    } catch (const std::exception& e) {
        failure_ = e.what();
        return false;
    }
}
