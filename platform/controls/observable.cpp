#include "platform/controls/observable.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace detail {
struct ObserverList {
    struct Entry {
        std::uint64_t id;
        std::shared_ptr<Observable::Observer> observer;
    };
    std::vector<Entry> entries;
    std::uint64_t nextId = 1;

    void remove(std::uint64_t id) {
        std::erase_if(entries, [id](const Entry& e) { return e.id == id; });
    }
    bool contains(std::uint64_t id) const {
        return std::any_of(entries.begin(), entries.end(),
                           [id](const Entry& e) { return e.id == id; });
    }
};
}  // namespace detail

Observation::Observation(std::weak_ptr<detail::ObserverList> list, std::uint64_t id)
    : list_(std::move(list)), id_(id) {}

Observation::Observation(Observation&& other) noexcept
    : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}

Observation& Observation::operator=(Observation&& other) noexcept {
    if (this != &other) {
        reset();
        list_ = std::move(other.list_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Observation::~Observation() {
    reset();
}

void Observation::reset() {
    if (auto list = list_.lock()) {
        list->remove(id_);
    }
    list_.reset();
    id_ = 0;
}

bool Observation::active() const {
    auto list = list_.lock();
    return list && list->contains(id_);
}

Observable::Observable() : observers_(std::make_shared<detail::ObserverList>()) {}

Observable::~Observable() = default;

Observation Observable::observe(Observer observer) {
    const std::uint64_t id = observers_->nextId++;
    observers_->entries.push_back({id, std::make_shared<Observer>(std::move(observer))});
    return Observation(observers_, id);
}

void Observable::notify(Change what) {
    // Observers may add or remove observers while being told.
    auto list = observers_;
    const auto snapshot = list->entries;
    for (const auto& entry : snapshot) {
        if (list->contains(entry.id) && *entry.observer) {
            (*entry.observer)(*this, what);
        }
    }
}

}  // namespace platform
