// Callers take turns at the library, whatever one of them sends.
#include "service/fair_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Queue = service::FairQueue<std::string>;

std::vector<std::string> drain(Queue& queue) {
    std::vector<std::string> served;
    while (!queue.empty()) {
        served.push_back(queue.pop());
    }
    return served;
}

TEST(FairQueue, ServesEachCallersOldestInTurn) {
    Queue queue;
    for (const char* item : {"a1", "a2", "a3", "a4"}) {
        queue.push(":1.flood", item);
    }
    queue.push(":1.window", "w1");
    queue.push(":1.status", "s1");
    queue.push(":1.status", "s2");
    EXPECT_EQ(queue.waiting(":1.flood"), 4u);
    EXPECT_EQ(queue.waiting(":1.nobody"), 0u);
    EXPECT_EQ(drain(queue), (std::vector<std::string>{"a1", "w1", "s1", "a2", "s2", "a3", "a4"}));
}

TEST(FairQueue, ACallerThatComesBackWaitsBehindThoseWaiting) {
    Queue queue;
    queue.push(":1.a", "a1");
    queue.push(":1.b", "b1");
    EXPECT_EQ(queue.pop(), "a1");
    queue.push(":1.a", "a2");
    queue.push(":1.c", "c1");
    EXPECT_EQ(drain(queue), (std::vector<std::string>{"b1", "a2", "c1"}));
}

TEST(FairQueue, ForgetsEverythingOfACallerThatLeft) {
    Queue queue;
    queue.push(":1.a", "a1");
    queue.push(":1.gone", "g1");
    queue.push(":1.gone", "g2");
    queue.push(":1.b", "b1");
    queue.drop(":1.gone");
    queue.drop(":1.never-called");
    EXPECT_EQ(queue.waiting(":1.gone"), 0u);
    EXPECT_EQ(drain(queue), (std::vector<std::string>{"a1", "b1"}));
}

}  // namespace
