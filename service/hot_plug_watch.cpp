#include "service/hot_plug_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace service {

HotPlugWatch::HotPlugWatch(const std::filesystem::path& directory, std::function<void()> changed)
    : changed_(std::move(changed)) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 || ::inotify_add_watch(fd_, directory.c_str(), IN_CREATE | IN_DELETE) < 0) {
        const int error = errno;
        if (fd_ >= 0) {
            ::close(fd_);
        }
        throw std::system_error(error, std::generic_category(),
                                "cannot watch " + directory.string());
    }
}

HotPlugWatch::~HotPlugWatch() {
    source_.reset();
    ::close(fd_);
}

bool HotPlugWatch::isControllerNode(std::string_view name) {
    return name.size() > 2 && (name.starts_with("sd") || name.starts_with("sg"));
}

int HotPlugWatch::attach(sd_event* event) {
    sd_event_source* source = nullptr;
    const int r = sd_event_add_io(
        event, &source, fd_, EPOLLIN,
        [](sd_event_source*, int, uint32_t, void* userdata) {
            static_cast<HotPlugWatch*>(userdata)->readChanges();
            return 0;
        },
        this);
    source_.reset(source);
    return r;
}

void HotPlugWatch::readChanges() {
    alignas(inotify_event) char buffer[4096];
    bool controllerNode = false;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // An overflow lost events: count again to be safe.
            controllerNode = controllerNode || (event->mask & IN_Q_OVERFLOW) ||
                             (event->len > 0 && isControllerNode(event->name));
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (controllerNode) {
        changed_();
    }
}

}  // namespace service
