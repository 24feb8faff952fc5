// Callers take turns at the library, whatever one of them sends, and one
// that pipelines calls is answered at a pace.
#include "service/fair_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Queue = service::FairQueue<std::string>;

const platform::TimePoint kNow{1000s};

std::vector<std::string> drain(Queue& queue, platform::TimePoint now = kNow) {
    std::vector<std::string> served;
    while (auto item = queue.pop(now)) {
        served.push_back(*item);
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
    EXPECT_TRUE(queue.empty());
}

TEST(FairQueue, ACallerThatComesBackWaitsBehindThoseWaiting) {
    Queue queue;
    queue.push(":1.a", "a1");
    queue.push(":1.b", "b1");
    EXPECT_EQ(queue.pop(kNow), "a1");
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

TEST(FairQueue, PacesACallerThatPipelinesButNotOneThatWaitsForItsAnswers) {
    Queue queue(100ms, 2);
    for (const char* item : {"f1", "f2", "f3", "f4", "f5"}) {
        queue.push(":1.flood", item);
    }
    queue.push(":1.window", "w1");
    EXPECT_EQ(drain(queue), (std::vector<std::string>{"f1", "w1"}));
    EXPECT_EQ(queue.nextTurn(), kNow + 100ms);

    // One call at a time, or a few it gave up on: served at once.
    for (const char* item : {"w2", "w3"}) {
        queue.push(":1.window", item);
        EXPECT_EQ(queue.pop(kNow), item);
    }
    queue.push(":1.late", "l1");
    queue.push(":1.late", "l2");
    queue.push(":1.late", "l3");
    EXPECT_EQ(drain(queue), (std::vector<std::string>{"l1", "l2", "l3"}));

    EXPECT_EQ(drain(queue, kNow + 99ms), std::vector<std::string>{});
    EXPECT_EQ(drain(queue, kNow + 100ms), std::vector<std::string>{"f2"});
    EXPECT_EQ(queue.nextTurn(), kNow + 200ms);
    // Down to its depth, it is served as fast as the others again.
    EXPECT_EQ(drain(queue, kNow + 200ms), (std::vector<std::string>{"f3", "f4", "f5"}));
    EXPECT_EQ(queue.nextTurn(), std::nullopt);
}

}  // namespace
