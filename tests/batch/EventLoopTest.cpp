#include "platform/batch/EventLoop.h"

#include <gtest/gtest.h>

#include <chrono>

#include "Fakes.h"
#include "platform/system/SystemClock.h"

namespace webaccess::platform::batch {
namespace {

using webaccess::testing::VirtualClock;

// A source that posts what the test queues as "arriving" at its next poll.
class ArrivingSource : public EventSource {
 public:
  ArrivingSource(EventLoop& loop, VirtualClock& clock) : loop_(loop), clock_(clock) {}
  void Arrive(std::function<void()> event) { arriving_.push_back(std::move(event)); }
  void Poll() override {
    std::vector<std::function<void()>> now;
    now.swap(arriving_);
    for (auto& event : now) loop_.Post(std::move(event));
  }
  bool Busy() const override { return !arriving_.empty(); }
  void Wait(int milliseconds) override {
    waited.push_back(milliseconds);
    clock_.Advance(milliseconds);
  }
  std::vector<int> waited;

 private:
  EventLoop& loop_;
  VirtualClock& clock_;
  std::vector<std::function<void()>> arriving_;
};

class EventLoopTest : public ::testing::Test {
 protected:
  EventLoopTest() { loop_.SetSource(&source_); }
  VirtualClock clock_;
  EventLoop loop_{clock_};
  ArrivingSource source_{loop_, clock_};
  std::vector<std::string> ran_;
};

TEST_F(EventLoopTest, APassRunsWhatIsPendingInOrderAndWhatHasArrived) {
  loop_.Post([this] { ran_.push_back("a"); });
  source_.Arrive([this] { ran_.push_back("arrived"); });
  loop_.Post([this] { ran_.push_back("b"); });
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ran_, (std::vector<std::string>{"a", "b", "arrived"}));
  EXPECT_TRUE(loop_.Idle());
}

TEST_F(EventLoopTest, WhatBecomesPendingDuringAPassWaitsForTheNextTurn) {
  loop_.Post([this] {
    ran_.push_back("handler");
    // A request sent from a handler, whose reply arrives at once.
    source_.Arrive([this] { ran_.push_back("reply"); });
    loop_.ProcessPendingEvents();  // the sender's own pass
    ran_.push_back("handler returns");
  });
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ran_, (std::vector<std::string>{"handler", "handler returns"}));
  EXPECT_FALSE(loop_.Idle());
  loop_.Turn(0);
  EXPECT_EQ(ran_.back(), "reply");
  EXPECT_EQ(loop_.MaxDepth(), 2);
}

TEST_F(EventLoopTest, ANestedPassRunsEventsThatWerePendingBeforeTheOuterPass) {
  loop_.Post([this] {
    ran_.push_back("first");
    loop_.ProcessPendingEvents();
    ran_.push_back("first returns");
  });
  loop_.Post([this] { ran_.push_back("second"); });
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ran_, (std::vector<std::string>{"first", "second", "first returns"}));
}

TEST_F(EventLoopTest, AChainOfInstantRepliesNeverNestsDeeperThanTwoPasses) {
  int remaining = 10000;
  std::function<void()> send = [&] {
    if (--remaining == 0) return;
    source_.Arrive([&] { send(); });
    loop_.ProcessPendingEvents();
  };
  send();
  for (int turns = 0; turns < 20000 && !loop_.Idle(); ++turns) loop_.Turn(0);
  EXPECT_EQ(remaining, 0);
  EXPECT_LE(loop_.MaxDepth(), 2);
}

TEST_F(EventLoopTest, TheTimerTicksAtItsIntervalUntilStopped) {
  int ticks = 0;
  loop_.Timer().SetTickHandler([&] { ++ticks; });
  loop_.Timer().SetInterval(100);
  loop_.Turn(1000);
  EXPECT_EQ(source_.waited, std::vector<int>{100}) << "the wait ends when the tick falls due";
  EXPECT_EQ(ticks, 1);
  loop_.Turn(1000);
  EXPECT_EQ(ticks, 2) << "it keeps ticking";
  loop_.Timer().SetInterval(0);
  EXPECT_TRUE(loop_.Idle());
  loop_.Turn(1000);
  EXPECT_EQ(ticks, 2);
}

TEST_F(EventLoopTest, SettingTheIntervalDropsAPendingTickAndStartsAfresh) {
  int ticks = 0;
  loop_.Timer().SetTickHandler([&] { ++ticks; });
  loop_.Timer().SetInterval(50);
  clock_.Advance(60);
  loop_.Post([this] { loop_.Timer().SetInterval(50); });  // runs before the pending tick
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ticks, 0);
  clock_.Advance(49);
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ticks, 0);
  clock_.Advance(1);
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(EventLoopTest, AtMostOneTickIsPendingHoweverLongTheWait) {
  int ticks = 0;
  loop_.Timer().SetTickHandler([&] {
    ++ticks;
    clock_.Advance(1000);  // a handler that takes ten intervals
  });
  loop_.Timer().SetInterval(100);
  clock_.Advance(100);
  loop_.ProcessPendingEvents();
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ticks, 2);
}

TEST_F(EventLoopTest, TurnDoesNotWaitWhenSomethingIsPending) {
  loop_.Post([this] { ran_.push_back("x"); });
  loop_.Turn(500);
  EXPECT_TRUE(source_.waited.empty());
  EXPECT_EQ(ran_, std::vector<std::string>{"x"});
  loop_.Turn(500);
  EXPECT_EQ(source_.waited, std::vector<int>{500});
}

TEST_F(EventLoopTest, APassLeftByAnExceptionLeavesTheDepthRight) {
  loop_.Post([] { throw 42; });
  EXPECT_THROW(loop_.ProcessPendingEvents(), int);
  EXPECT_EQ(loop_.Depth(), 0);
  loop_.Post([this] { ran_.push_back("after"); });
  loop_.ProcessPendingEvents();
  EXPECT_EQ(ran_, std::vector<std::string>{"after"});
}

// The loop's timer falls due by the system clock's steady reading. A reading
// that lags (a coarse clock moves only once per scheduler tick) would hold a
// 1 ms timer for several milliseconds at every tick.
TEST(SystemClock, SteadyReadingIsNeverBehindTheSteadyClock) {
  const auto milliseconds = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  const SystemClock clock;
  for (int i = 0; i < 2000; ++i) {
    const std::int64_t before = milliseconds();
    const std::int64_t reading = clock.SteadyMilliseconds();
    ASSERT_GE(reading, before) << "reading " << i;
    ASSERT_LE(reading, milliseconds()) << "reading " << i;
  }
  EXPECT_LE(clock.CoarseMilliseconds(), clock.SteadyMilliseconds());
}

}  // namespace
}  // namespace webaccess::platform::batch
