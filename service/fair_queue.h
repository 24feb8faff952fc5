// Work waiting for the library, kept per caller and served in turn: each
// caller's oldest item, one caller after another, so however much one caller
// sends, another's item waits for at most one item of every other caller.
//
// A caller that sends ahead of its answers (it still has more than `depth`
// items waiting after its turn) waits `pace` before its next turn. A client
// that waits for each answer, or has a few that it gave up on still waiting,
// never notices; one that pipelines calls gets them answered at a steady
// pace, so its calls wait here and not in the bus daemon's queue ahead of
// everybody else's.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/runloop/clock.h"

namespace service {

template <class Item>
class FairQueue {
  public:
    FairQueue() = default;
    FairQueue(platform::Duration pace, std::size_t depth) : pace_(pace), depth_(depth) {}

    bool empty() const { return turns_.empty(); }

    // How many items `caller` has waiting.
    std::size_t waiting(const std::string& caller) const {
        const auto it = waiting_.find(caller);
        return it == waiting_.end() ? 0 : it->second.items.size();
    }

    void push(const std::string& caller, Item item) {
        auto [it, added] = waiting_.try_emplace(caller);
        if (added) {
            turns_.push_back(caller);
        }
        it->second.items.push_back(std::move(item));
    }

    // The oldest item of the first caller in turn whose pace allows it `now`;
    // nothing when every caller waiting is still paced.
    std::optional<Item> pop(platform::TimePoint now) {
        const auto turn = std::find_if(turns_.begin(), turns_.end(), [&](const std::string& c) {
            return waiting_.at(c).eligibleAt <= now;
        });
        if (turn == turns_.end()) {
            return std::nullopt;
        }
        const std::string caller = std::move(*turn);
        turns_.erase(turn);
        auto it = waiting_.find(caller);
        Item item = std::move(it->second.items.front());
        it->second.items.pop_front();
        if (it->second.items.empty()) {
            waiting_.erase(it);
        } else {
            if (it->second.items.size() > depth_) {
                it->second.eligibleAt = now + pace_;
            }
            turns_.push_back(caller);
        }
        return item;
    }

    // When the first paced caller may be served again; nothing when no caller waits.
    std::optional<platform::TimePoint> nextTurn() const {
        std::optional<platform::TimePoint> next;
        for (const auto& [caller, waiting] : waiting_) {
            next = next ? std::min(*next, waiting.eligibleAt) : waiting.eligibleAt;
        }
        return next;
    }

    // Forgets everything `caller` has waiting.
    void drop(const std::string& caller) {
        if (waiting_.erase(caller) > 0) {
            turns_.erase(std::find(turns_.begin(), turns_.end(), caller));
        }
    }

  private:
    struct Waiting {
        std::deque<Item> items;
        platform::TimePoint eligibleAt = platform::TimePoint::min();
    };

    platform::Duration pace_ = platform::Duration::zero();
    std::size_t depth_ = 0;
    std::map<std::string, Waiting> waiting_;
    std::deque<std::string> turns_;  // callers with items, next first
};

}  // namespace service
