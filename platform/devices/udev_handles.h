// Owning handles for libudev's reference-counted objects.
#pragma once

#include <libudev.h>

#include <memory>

namespace platform::devices::udev {

struct Unref {
    void operator()(struct ::udev* object) const { udev_unref(object); }
    void operator()(udev_device* object) const { udev_device_unref(object); }
    void operator()(udev_enumerate* object) const { udev_enumerate_unref(object); }
    void operator()(udev_monitor* object) const { udev_monitor_unref(object); }
};

using Context = std::unique_ptr<struct ::udev, Unref>;
using Device = std::unique_ptr<udev_device, Unref>;
using Enumerate = std::unique_ptr<udev_enumerate, Unref>;
using Monitor = std::unique_ptr<udev_monitor, Unref>;

}  // namespace platform::devices::udev
