// A umockdev testbed: a private sysfs that libudev reads instead of the
// machine's, for tests (and the benchmark) of the udev device source. The
// process must run with LD_PRELOAD=libumockdev-preload.so.0 (CMake's
// norvik_add_umockdev_test sets it); nothing needs root or real devices.
#pragma once

#include <umockdev.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

class UmockdevTestbed {
  public:
    UmockdevTestbed() : testbed_(umockdev_testbed_new()) {}
    ~UmockdevTestbed() { g_object_unref(testbed_); }
    UmockdevTestbed(const UmockdevTestbed&) = delete;
    UmockdevTestbed& operator=(const UmockdevTestbed&) = delete;

    // True when libudev in this process sees this testbed (the preload library
    // is there). umockdev keeps the first answer: ask once a testbed exists.
    static bool preloaded() { return umockdev_in_mock_environment(); }

    // Adds the devices of a description in umockdev's record format (one
    // "P: /devices/..." paragraph each); every device with a subsystem gets
    // an "add" event, in the order given.
    void add(const std::string& description) {
        GError* error = nullptr;
        if (!umockdev_testbed_add_from_string(testbed_, description.c_str(), &error)) {
            fail(error);
        }
        remember(description);
    }
    void addFile(const std::filesystem::path& file) {
        GError* error = nullptr;
        if (!umockdev_testbed_add_from_file(testbed_, file.c_str(), &error)) {
            fail(error);
        }
    }

    void uevent(const std::string& syspath, const char* action) {
        umockdev_testbed_uevent(testbed_, syspath.c_str(), action);
    }
    void setAttribute(const std::string& syspath, const char* name, const char* value) {
        umockdev_testbed_set_attribute(testbed_, syspath.c_str(), name, value);
    }
    std::string attribute(const std::string& syspath, const std::string& name) const {
        const std::string file = (root() / syspath.substr(1) / name).string();
        std::string value;
        if (gchar* contents = nullptr;
            g_file_get_contents(file.c_str(), &contents, nullptr, nullptr)) {
            value = contents;
            g_free(contents);
        }
        return value;
    }

    // Unplugs a device added with add() and everything below it as the kernel
    // does: "remove" events, deepest first, then the sysfs entries are gone
    // before anyone reads the events.
    void unplug(const std::string& syspath) {
        std::vector<std::string> gone;
        for (const auto& path : added_) {
            if (path == syspath || path.starts_with(syspath + "/")) {
                gone.push_back(path);
            }
        }
        std::sort(gone.rbegin(), gone.rend());
        for (const auto& path : gone) {
            uevent(path, "remove");
        }
        // One by one, so each device's links in /sys/bus and /sys/class go too;
        // umockdev leaves /sys/block and /dev behind, which a new plug would trip on.
        for (const auto& path : gone) {
            umockdev_testbed_remove_device(testbed_, path.c_str());
            const std::string name = path.substr(path.rfind('/') + 1);
            std::error_code ignored;
            std::filesystem::remove(root() / "sys" / "block" / name, ignored);
            std::filesystem::remove(root() / "dev" / name, ignored);
        }
        std::erase_if(added_, [&gone](const std::string& path) {
            return std::find(gone.begin(), gone.end(), path) != gone.end();
        });
    }

  private:
    std::filesystem::path root() const {
        char* dir = umockdev_testbed_get_root_dir(testbed_);
        std::filesystem::path path(dir);
        g_free(dir);
        return path;
    }

    [[noreturn]] static void fail(GError* error) {
        std::string message = error ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("umockdev testbed: " + message);
    }

    void remember(const std::string& description) {
        std::size_t at = 0;
        while ((at = description.find("P: ", at)) != std::string::npos) {
            const auto end = description.find('\n', at);
            added_.push_back("/sys" + description.substr(at + 3, end - at - 3));
            at = end;
        }
    }

    UMockdevTestbed* testbed_;
    std::vector<std::string> added_;  // syspaths, in order of addition
};
