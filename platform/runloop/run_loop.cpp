#include "platform/runloop/run_loop.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>
#include <utility>

#include "platform/runloop/report_exception.h"

namespace platform {

namespace {

thread_local std::vector<RunLoop*> loopsOfThisThread;

struct Key {
    TimePoint deadline;
    std::uint64_t seq;
    auto operator<=>(const Key&) const = default;
};

enum class Kind { Timer, Perform, Source };

struct Item {
    Kind kind = Kind::Perform;
    ModeSet modes;  // timers and performs; a source's modes live with the source
    // timer
    Timer* timer = nullptr;
    std::weak_ptr<Timer> timerRef;
    // perform
    WeakObjectPtr target;
    const Object* targetKey = nullptr;
    std::string selector;
    std::function<void()> action;
    // source
    RunLoopSource* source = nullptr;
};

struct SourceEntry {
    std::shared_ptr<RunLoopSource> source;
    ModeSet modes;
    std::optional<Key> pending;
};

}  // namespace

struct RunLoop::Impl {
    std::map<Key, Item> queue;
    std::unordered_map<Timer*, Key> timers;
    std::unordered_map<RunLoopSource*, SourceEntry> sources;
    std::vector<Mode> modes;
    std::vector<bool*> runs;  // stop flags of the nested runInMode calls
    std::uint64_t nextSeq = 1;

    Key makeKey(TimePoint deadline) { return Key{deadline, nextSeq++}; }

    ModeSet modesOf(const Item& item) const {
        if (item.kind == Kind::Source) {
            auto it = sources.find(item.source);
            return it == sources.end() ? ModeSet{} : it->second.modes;
        }
        return item.modes;
    }
};

// --- RunLoopSource

RunLoopSource::~RunLoopSource() = default;

void RunLoopSource::signal() {
    signalled_ = true;
    if (loop_ != nullptr) {
        loop_->sourceSignalled(*this);
    }
}

// --- RunLoop

RunLoop::RunLoop(Clock& clock)
    : clock_(clock), pump_(std::make_unique<PollPump>(clock)), impl_(std::make_unique<Impl>()) {
    loopsOfThisThread.push_back(this);
}

RunLoop::RunLoop(ManualClock& clock)
    : clock_(clock),
      pump_(std::make_unique<VirtualJumpPump>(clock)),
      impl_(std::make_unique<Impl>()) {
    loopsOfThisThread.push_back(this);
}

RunLoop::~RunLoop() {
    for (auto& [timer, key] : impl_->timers) {
        timer->loop_ = nullptr;
    }
    for (auto& [raw, entry] : impl_->sources) {
        raw->loop_ = nullptr;
    }
    auto& loops = loopsOfThisThread;
    loops.erase(std::remove(loops.begin(), loops.end(), this), loops.end());
}

RunLoop* RunLoop::current() {
    return loopsOfThisThread.empty() ? nullptr : loopsOfThisThread.back();
}

Mode RunLoop::currentMode() const {
    return impl_->modes.empty() ? Mode::Default : impl_->modes.back();
}

void RunLoop::pushMode(Mode mode) {
    impl_->modes.push_back(mode);
}

void RunLoop::popMode() {
    if (!impl_->modes.empty()) {
        impl_->modes.pop_back();
    }
}

RunLoop::ModeScope::ModeScope(RunLoop& loop, Mode mode) : loop_(loop) {
    loop_.pushMode(mode);
}

RunLoop::ModeScope::~ModeScope() {
    loop_.popMode();
}

// --- timers

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer, ModeSet modes) {
    if (!timer || !timer->isValid() || modes.empty()) {
        return;
    }
    if (timer->loop_ == this) {
        auto it = impl_->timers.find(timer.get());
        if (it != impl_->timers.end()) {
            auto& item = impl_->queue.at(it->second);
            item.modes = item.modes | modes;
            return;
        }
    } else if (timer->loop_ != nullptr) {
        timer->loop_->timerInvalidated(*timer);  // moves to this loop
    }
    timer->fireDate_ = clock_.now() + timer->interval();
    Key key = impl_->makeKey(timer->fireDate_);
    Item item;
    item.kind = Kind::Timer;
    item.modes = modes;
    item.timer = timer.get();
    item.timerRef = timer;
    impl_->queue.emplace(key, std::move(item));
    impl_->timers[timer.get()] = key;
    timer->loop_ = this;
}

void RunLoop::timerInvalidated(Timer& timer) {
    auto it = impl_->timers.find(&timer);
    if (it != impl_->timers.end()) {
        impl_->queue.erase(it->second);
        impl_->timers.erase(it);
    }
    timer.loop_ = nullptr;
}

// --- delayed performs

void RunLoop::performSelector(const WeakObjectPtr& target,
                              const std::string& selector,
                              std::function<void()> action,
                              Duration delay,
                              ModeSet modes) {
    auto strong = target.lock();
    if (!strong || !action) {
        return;
    }
    if (modes.empty()) {
        modes = Mode::Default;
    }
    Key key = impl_->makeKey(clock_.now() + std::max(delay, Duration::zero()));
    Item item;
    item.kind = Kind::Perform;
    item.modes = modes;
    item.target = target;
    item.targetKey = strong.get();
    item.selector = selector;
    item.action = std::move(action);
    impl_->queue.emplace(key, std::move(item));
}

void RunLoop::performSelector(const WeakObjectPtr& target,
                              const Selector& selector,
                              Duration delay,
                              ModeSet modes) {
    performSelector(
        target, selector.name(),
        [target, selector] {
            if (auto strong = target.lock()) {
                selector(*strong, nullptr);
            }
        },
        delay, modes);
}

void RunLoop::cancelPreviousPerformRequests(const Object* target, const std::string& selector) {
    std::erase_if(impl_->queue, [&](const auto& entry) {
        const Item& item = entry.second;
        return item.kind == Kind::Perform && item.targetKey == target && item.selector == selector;
    });
}

std::size_t RunLoop::pendingPerformCount(const Object* target, const std::string& selector) const {
    return static_cast<std::size_t>(
        std::count_if(impl_->queue.begin(), impl_->queue.end(), [&](const auto& entry) {
            const Item& item = entry.second;
            return item.kind == Kind::Perform && item.targetKey == target &&
                   item.selector == selector && !item.target.expired();
        }));
}

// --- sources

void RunLoop::addSource(const std::shared_ptr<RunLoopSource>& source, ModeSet modes) {
    if (!source || modes.empty()) {
        return;
    }
    if (source->loop_ != nullptr && source->loop_ != this) {
        source->loop_->removeSource(source);
    }
    auto& entry = impl_->sources[source.get()];
    entry.modes = entry.modes | modes;
    if (!entry.source) {
        entry.source = source;
        source->loop_ = this;
        if (source->signalled_) {
            sourceSignalled(*source);
        }
    }
}

void RunLoop::removeSource(const std::shared_ptr<RunLoopSource>& source) {
    if (!source) {
        return;
    }
    auto it = impl_->sources.find(source.get());
    if (it == impl_->sources.end()) {
        return;
    }
    if (it->second.pending) {
        impl_->queue.erase(*it->second.pending);
    }
    source->loop_ = nullptr;
    impl_->sources.erase(it);
}

bool RunLoop::containsSource(const RunLoopSource* source) const {
    return impl_->sources.contains(const_cast<RunLoopSource*>(source));
}

std::vector<std::shared_ptr<RunLoopSource>> RunLoop::fdSourcesInCurrentMode() const {
    std::vector<std::shared_ptr<RunLoopSource>> result;
    Mode mode = currentMode();
    for (auto& [raw, entry] : impl_->sources) {
        if (entry.source->fd() >= 0 && entry.modes.contains(mode)) {
            result.push_back(entry.source);
        }
    }
    return result;
}

void RunLoop::sourceSignalled(RunLoopSource& source) {
    auto it = impl_->sources.find(&source);
    if (it == impl_->sources.end() || it->second.pending) {
        return;  // not in this loop, or already waiting to be performed
    }
    Key key = impl_->makeKey(clock_.now());
    Item item;
    item.kind = Kind::Source;
    item.source = &source;
    impl_->queue.emplace(key, std::move(item));
    it->second.pending = key;
}

// --- running

std::size_t RunLoop::runDue() {
    const std::uint64_t limit = impl_->nextSeq;
    std::size_t ran = 0;
    for (;;) {
        const Mode mode = currentMode();
        const TimePoint now = clock_.now();
        auto it = impl_->queue.begin();
        for (; it != impl_->queue.end() && it->first.deadline <= now; ++it) {
            if (it->first.seq < limit && impl_->modesOf(it->second).contains(mode)) {
                break;
            }
        }
        if (it == impl_->queue.end() || it->first.deadline > now) {
            return ran;
        }
        Item item = std::move(it->second);
        impl_->queue.erase(it);

        switch (item.kind) {
            case Kind::Timer: {
                impl_->timers.erase(item.timer);
                auto timer = item.timerRef.lock();
                if (!timer || !timer->isValid()) {
                    if (timer) {
                        timer->loop_ = nullptr;
                    }
                    break;
                }
                if (timer->repeats()) {
                    // Keep the period: the next fire is a whole number of
                    // intervals after the last one, skipping those missed.
                    const Duration interval = timer->interval();
                    const auto missed = (now - timer->fireDate_) / interval;
                    timer->fireDate_ += interval * (missed + 1);
                    Key next = impl_->makeKey(timer->fireDate_);
                    impl_->queue.emplace(next, std::move(item));
                    impl_->timers[timer.get()] = next;
                } else {
                    timer->loop_ = nullptr;
                    timer->valid_ = false;
                }
                ++ran;
                try {
                    timer->callback_(*timer);
                } catch (...) {
                    reportEscapedException("a timer");
                }
                break;
            }
            case Kind::Perform: {
                auto target = item.target.lock();
                if (!target) {
                    break;
                }
                ++ran;
                try {
                    item.action();
                } catch (...) {
                    reportEscapedException("delayed perform of " + item.selector);
                }
                break;
            }
            case Kind::Source: {
                auto entry = impl_->sources.find(item.source);
                if (entry == impl_->sources.end()) {
                    break;
                }
                entry->second.pending.reset();
                auto source = entry->second.source;
                source->signalled_ = false;
                ++ran;
                try {
                    source->perform();
                } catch (...) {
                    reportEscapedException("a run-loop source");
                }
                break;
            }
        }
    }
}

std::optional<TimePoint> RunLoop::nextDeadline() const {
    const Mode mode = currentMode();
    for (const auto& [key, item] : impl_->queue) {
        if (impl_->modesOf(item).contains(mode)) {
            return key.deadline;
        }
    }
    return std::nullopt;
}

void RunLoop::runInMode(Mode mode) {
    ModeScope scope(*this, mode);
    bool stopped = false;
    impl_->runs.push_back(&stopped);
    struct PopRun {
        std::vector<bool*>& runs;
        ~PopRun() { runs.pop_back(); }
    } popRun{impl_->runs};

    while (!stopped) {
        runDue();
        if (stopped || !pump_->waitForWork(*this, nextDeadline())) {
            break;
        }
    }
}

void RunLoop::stop() {
    if (!impl_->runs.empty()) {
        *impl_->runs.back() = true;
    }
}

}  // namespace platform
