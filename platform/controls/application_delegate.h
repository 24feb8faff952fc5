#pragma once

#include "platform/core/object.h"

namespace platform {

class Application;

// What the application asks of its delegate. The notification arguments
// are always null; they keep the shape of the calls.
class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching(Object* notification) { (void)notification; }
    virtual bool applicationShouldTerminateAfterLastWindowClosed(Application& application) {
        (void)application;
        return false;
    }
    virtual void applicationWillTerminate(Object* notification) { (void)notification; }
};

}  // namespace platform
