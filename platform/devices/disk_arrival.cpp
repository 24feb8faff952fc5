#include "platform/devices/disk_arrival.h"

#include <deque>

#include "platform/devices/device_tree_impl.h"

namespace platform::devices {

struct DiskArrivalSession::Impl : std::enable_shared_from_this<DiskArrivalSession::Impl> {
    struct Registration {
        bool appeared;
        DiskMatch match;
        DiskCallback callback;
        void* context;
    };
    struct Event {
        std::weak_ptr<Registration> registration;
        DiskRef disk;
    };
    class Source final : public RunLoopSource {
      public:
        void perform() override {
            if (auto session = session_.lock()) {
                session->deliver();
            }
        }
        std::weak_ptr<Impl> session_;
    };

    std::weak_ptr<DeviceTree::Impl> tree;
    std::vector<std::shared_ptr<Registration>> registrations;
    std::deque<Event> events;
    std::shared_ptr<Source> source = std::make_shared<Source>();
    RunLoop* loop = nullptr;

    void queue(const std::shared_ptr<Registration>& registration, const DiskRef& disk) {
        if (!loop || (registration->match == DiskMatch::WholeMedia && !disk->isWhole())) {
            return;  // unscheduled: present disks are reported when it is scheduled
        }
        events.push_back(Event{registration, disk});
        source->signal();
    }

    void queuePresentDisks(const std::shared_ptr<Registration>& registration) {
        if (auto state = tree.lock()) {
            for (const auto& disk : state->disks) {
                queue(registration, disk);
            }
        }
    }

    void deliver() {
        std::deque<Event> batch;
        batch.swap(events);
        for (const auto& event : batch) {
            if (!loop) {
                return;  // unscheduled by an earlier callback
            }
            if (auto registration = event.registration.lock()) {
                registration->callback(event.disk, registration->context);
            }
        }
    }

    // Removes the source from the loop it was scheduled on, if that loop is
    // still this thread's loop (a destroyed loop must not be touched).
    void detach() {
        if (loop && RunLoop::current() == loop && loop->containsSource(source.get())) {
            loop->removeSource(source);
        }
        loop = nullptr;
        events.clear();
    }
};

void sessionDiskAppeared(DiskArrivalSession::Impl& session, const DiskRef& disk) {
    const auto registrations = session.registrations;
    for (const auto& registration : registrations) {
        if (registration->appeared) {
            session.queue(registration, disk);
        }
    }
}

void sessionDiskDisappeared(DiskArrivalSession::Impl& session, const DiskRef& disk) {
    const auto registrations = session.registrations;
    for (const auto& registration : registrations) {
        if (!registration->appeared) {
            session.queue(registration, disk);
        }
    }
}

std::optional<DiskDescription> diskCopyDescription(const DiskRef& disk) {
    if (!disk) {
        return std::nullopt;
    }
    DiskDescription description;
    description.bsdName = disk->bsdName();
    if (!disk->busPath().empty()) {
        description.busPath = disk->busPath();
    }
    description.mediaWhole = disk->isWhole();
    return description;
}

DiskArrivalSession::DiskArrivalSession() : impl_(std::make_shared<Impl>()) {}

std::shared_ptr<DiskArrivalSession> DiskArrivalSession::create() {
    std::shared_ptr<DiskArrivalSession> session(new DiskArrivalSession());
    auto& tree = DeviceTree::current();
    session->impl_->tree = tree.sharedImpl();
    session->impl_->source->session_ = session->impl_;
    tree.impl().sessions.push_back(session->impl_);
    return session;
}

DiskArrivalSession::~DiskArrivalSession() {
    impl_->detach();
}

void DiskArrivalSession::registerDiskAppearedCallback(DiskMatch match,
                                                      DiskCallback callback,
                                                      void* context) {
    if (!callback) {
        return;
    }
    auto registration = std::make_shared<Impl::Registration>(
        Impl::Registration{true, match, std::move(callback), context});
    impl_->registrations.push_back(registration);
    impl_->queuePresentDisks(registration);
}

void DiskArrivalSession::registerDiskDisappearedCallback(DiskMatch match,
                                                         DiskCallback callback,
                                                         void* context) {
    if (!callback) {
        return;
    }
    impl_->registrations.push_back(std::make_shared<Impl::Registration>(
        Impl::Registration{false, match, std::move(callback), context}));
}

void DiskArrivalSession::scheduleWithRunLoop(RunLoop& loop, Mode mode) {
    impl_->detach();
    impl_->loop = &loop;
    loop.addSource(impl_->source, mode);
    const auto registrations = impl_->registrations;
    for (const auto& registration : registrations) {
        if (registration->appeared) {
            impl_->queuePresentDisks(registration);
        }
    }
}

void DiskArrivalSession::unscheduleFromRunLoop() {
    impl_->detach();
}

bool DiskArrivalSession::isScheduled() const {
    return impl_->loop != nullptr;
}

std::size_t DiskArrivalSession::pendingEventCount() const {
    return impl_->events.size();
}

}  // namespace platform::devices
