#include "platform/controls/notification_center.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

struct Listener : Object {
    std::vector<std::string> heard;
    Object* lastSender = nullptr;
    void marvell(Object* sender) {
        heard.push_back("selector");
        lastSender = sender;
    }
};

TEST(NotificationCenter, DeliversOnlyTheObservedNameFromAnySender) {
    NotificationCenter center;
    auto listener = std::make_shared<Listener>();
    center.addObserver(listener, "Marvell",
                       [&](const Notification& n) { listener->heard.push_back(n.name); });
    Object sender;
    center.post("Other", &sender);
    center.post("Marvell", &sender);
    center.post("Marvell");
    EXPECT_EQ(listener->heard, (std::vector<std::string>{"Marvell", "Marvell"}));
}

TEST(NotificationCenter, SelectorObserverGetsTheSender) {
    NotificationCenter center;
    auto listener = std::make_shared<Listener>();
    center.addObserver(listener, "Marvell", makeSelector<Listener>("marvell:", &Listener::marvell));
    Object sender;
    center.post("Marvell", &sender);
    EXPECT_EQ(listener->heard, std::vector<std::string>{"selector"});
    EXPECT_EQ(listener->lastSender, &sender);
}

TEST(NotificationCenter, GoneTargetIsNeverCalled) {
    NotificationCenter center;
    int calls = 0;
    auto listener = std::make_shared<Listener>();
    center.addObserver(listener, "Marvell", [&](const Notification&) { ++calls; });
    listener.reset();
    center.post("Marvell");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(center.observerCount(), 0u);
}

TEST(NotificationCenter, RemovalDuringPostTakesEffectAtOnce) {
    NotificationCenter center;
    auto first = std::make_shared<Listener>();
    auto second = std::make_shared<Listener>();
    int secondCalls = 0;
    int lateCalls = 0;
    auto late = std::make_shared<Listener>();
    center.addObserver(first, "Marvell", [&](const Notification&) {
        center.removeObserver(second.get());
        center.addObserver(late, "Marvell", [&](const Notification&) { ++lateCalls; });
    });
    center.addObserver(second, "Marvell", [&](const Notification&) { ++secondCalls; });
    center.post("Marvell");
    EXPECT_EQ(secondCalls, 0);
    EXPECT_EQ(lateCalls, 0);  // added during the post: next post only
    center.post("Marvell");
    EXPECT_EQ(lateCalls, 1);
}

TEST(NotificationCenter, RemoveByNameKeepsOtherNames) {
    NotificationCenter center;
    auto listener = std::make_shared<Listener>();
    center.addObserver(listener, "A",
                       [&](const Notification& n) { listener->heard.push_back(n.name); });
    center.addObserver(listener, "B",
                       [&](const Notification& n) { listener->heard.push_back(n.name); });
    center.removeObserver(listener.get(), "A");
    center.post("A");
    center.post("B");
    EXPECT_EQ(listener->heard, std::vector<std::string>{"B"});
}

}  // namespace
}  // namespace platform
