// drevhost ends cleanly under load: many short runs that draw text and upload, while other threads
// keep both cores busy, all end with status 0 and nothing from an assertion of the font libraries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {
namespace {

class ExitUnderLoadTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegisterModule();
  }
};

TEST_F(ExitUnderLoadTest, ManyShortRunsThatDrawAndUploadAllEndWithStatusZero) {
  drevtest::ReceiverSetup setup;
  setup.addressBase = 142;
  drevtest::ReceiverProcess receiver(setup);
  // Each of the two runs of a round has a file and a snapshot of its own: adding a file opens it
  // without sharing (as the control must), so the other run sending the same file at that moment
  // would rightly be refused.
  for (int k = 0; k < 2; ++k) WriteFile("a" + std::to_string(k) + ".txt", std::string(3000, 'a'));
  WritePage("page.html",
            PageOf(ControlObject("up", {{"Normal_ServerName", receiver.Address()},
                                        {"Normal_UploadURL", "/u"}}) +
                   "<script>\n"
                   "  up.SetUploadSize(1000000);\n"
                   "  up.AddPreUploadFile('서버에 있는 파일.hwp', 5, 1234, false);\n"
                   "</script>\n"));

  std::atomic<bool> busy{true};
  std::vector<std::thread> load;
  for (int i = 0; i < 2; ++i)
    load.emplace_back([&] {
      unsigned long spin = 0;
      while (busy.load(std::memory_order_relaxed)) spin = spin * 31 + 7;
      EXPECT_NE(spin, 1u);  // keeps the loop's work
    });

  constexpr int kRounds = 8;
  std::vector<RunResult> results(2 * kRounds);
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::thread> pair;
    for (int k = 0; k < 2; ++k)
      pair.emplace_back([&, k, slot = 2 * round + k] {
        const std::string own = std::to_string(k);
        results[slot] = Host({"run", "page.html", "--choose", (Dir() / ("a" + own + ".txt")).string(), "--eval",
                              "up.AttachFiles()", "--snapshot", (Dir() / ("shot" + own + ".png")).string(),
                              "--eval", "up.UploadFiles()"});
      });
    for (auto& t : pair) t.join();
  }
  busy = false;
  for (auto& t : load) t.join();

  for (const RunResult& r : results) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, ::testing::Not(::testing::HasSubstr("Assertion")));
    EXPECT_THAT(r.out, ::testing::HasSubstr("eval true"));
  }
}

}  // namespace
}  // namespace drev::e2e
