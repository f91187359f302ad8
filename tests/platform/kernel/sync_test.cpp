// Events, critical sections and threads: signals consumed once, bounded waits, exclusion, priority.
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/kernel/critical_section.h"
#include "platform/kernel/event.h"
#include "platform/kernel/thread.h"

namespace plat::kernel {
namespace {

TEST(EventTest, AutoResetSignalIsConsumedByOneTestOrWait) {
  Event event;
  EXPECT_FALSE(event.Test());
  event.Set();
  event.Set();  // a second Set before anyone looked adds nothing
  EXPECT_TRUE(event.Test());
  EXPECT_FALSE(event.Test());
  event.Set();
  EXPECT_EQ(event.Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

  Event initially(Event::Kind::AutoReset, true);
  EXPECT_TRUE(initially.Test());
  EXPECT_FALSE(initially.Test());
}

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
  Event event(Event::Kind::ManualReset);
  event.Set();
  EXPECT_TRUE(event.Test());
  EXPECT_TRUE(event.Test());
  EXPECT_EQ(event.Wait(10), WAIT_OBJECT_0);
  event.Reset();
  EXPECT_FALSE(event.Test());
}

TEST(EventTest, BoundedWaitTimesOutWhenNobodySets) {
  Event event;
  EXPECT_EQ(event.Wait(30), WAIT_TIMEOUT);
  EXPECT_FALSE(event.Test());
}

TEST(EventTest, WaitersWakeWhenAnotherThreadSets) {
  Event event;
  std::thread setter([&] { event.Set(); });
  EXPECT_EQ(event.Wait(INFINITE), WAIT_OBJECT_0);
  setter.join();
  EXPECT_FALSE(event.Test());

  // Manual reset releases every waiter at once; auto reset only one.
  Event gate(Event::Kind::ManualReset);
  std::atomic<int> through{0};
  std::thread a([&] { through += gate.Wait(INFINITE) == WAIT_OBJECT_0; });
  std::thread b([&] { through += gate.Wait(INFINITE) == WAIT_OBJECT_0; });
  gate.Set();
  a.join();
  b.join();
  EXPECT_EQ(through.load(), 2);

  Event single;
  std::atomic<int> woken{0};
  std::thread c([&] { woken += single.Wait(500) == WAIT_OBJECT_0; });
  std::thread d([&] { woken += single.Wait(500) == WAIT_OBJECT_0; });
  single.Set();
  c.join();
  d.join();
  EXPECT_EQ(woken.load(), 1);
}

TEST(CriticalSectionTest, OwnerReentersOthersAreKeptOut) {
  CriticalSection section;
  CriticalSectionLock outer(section);
  {
    CriticalSectionLock inner(section);  // the owner may enter again
    bool otherGotIn = true;
    std::thread([&] { otherGotIn = section.TryEnter(); }).join();
    EXPECT_FALSE(otherGotIn);
  }
  bool stillHeld = true;
  std::thread([&] { stillHeld = !section.TryEnter(); }).join();
  EXPECT_TRUE(stillHeld);  // one Leave for two Enters keeps it held
}

TEST(CriticalSectionTest, SerialisesIncrements) {
  CriticalSection section;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      CriticalSectionLock lock(section);
      counter = counter + 1;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
}

TEST(ThreadTest, BoundedWaitTimesOutThenSeesTheEnd) {
  Event release;
  Thread thread;
  ASSERT_TRUE(thread.Start([&] { release.Wait(INFINITE); }));
  EXPECT_EQ(thread.Wait(20), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  release.Set();
  EXPECT_EQ(thread.Wait(INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(thread.Wait(0), WAIT_OBJECT_0);
  thread.Join();
  EXPECT_FALSE(thread.IsAttached());
}

TEST(ThreadTest, IdIsTheStartedThreadsOwn) {
  Thread thread;
  EXPECT_EQ(thread.Id(), 0u);
  DWORD inside = 0;
  ASSERT_TRUE(thread.Start([&] { inside = GetCurrentThreadId(); }));
  thread.Join();
  EXPECT_EQ(thread.Id(), inside);
  EXPECT_NE(inside, GetCurrentThreadId());
}

TEST(ThreadTest, BelowNormalLowersOnlyTheNewThread) {
  errno = 0;
  int before = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  int normal = 99, lowered = 99;
  Thread plain, low;
  ASSERT_TRUE(plain.Start([&] { normal = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); }));
  ASSERT_TRUE(low.Start([&] { lowered = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); },
                        Thread::Priority::BelowNormal));
  plain.Join();
  low.Join();
  EXPECT_EQ(normal, before);
  EXPECT_EQ(lowered, before + 5 > 19 ? 19 : before + 5);
  EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), before);
}

TEST(ThreadTest, OneThreadAtATimePerObjectAndRestartAfterJoin) {
  Event release;
  Thread thread;
  ASSERT_TRUE(thread.Start([&] { release.Wait(INFINITE); }));
  EXPECT_FALSE(thread.Start([] {}));
  release.Set();
  thread.Join();
  std::atomic<bool> ran{false};
  ASSERT_TRUE(thread.Start([&] { ran = true; }));
  thread.Join();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace plat::kernel
