// Share modes: openers in this process and in a forked child refuse each other as on the platform.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/kernel/error.h"
#include "platform/kernel/file.h"
#include "tests/platform/kernel/temp_dir.h"

namespace plat::kernel {
namespace {

using testing::TempDir;

struct Mode {
  DWORD access;
  DWORD share;
};

// The two ways the system opens files: reading a size needs the file to itself; sending a file lets
// other readers in but no writers.
constexpr Mode kSizeReader{GENERIC_READ, 0};
constexpr Mode kSender{GENERIC_READ, FILE_SHARE_READ};
constexpr Mode kWriterSharingReads{GENERIC_WRITE, FILE_SHARE_READ};
constexpr Mode kWriterSharingAll{GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
constexpr Mode kReaderSharingAll{GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE};
constexpr Mode kReaderSharingWrites{GENERIC_READ, FILE_SHARE_WRITE};

File OpenAs(const std::string& path, Mode m) { return File::Open(path, m.access, m.share, OPEN_EXISTING); }

class ShareModeTest : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(path_, std::ios::binary) << "content"; }
  TempDir dir_;
  std::string path_ = dir_ / "shared.txt";
};

TEST_F(ShareModeTest, SecondOpenerIsJudgedAgainstTheFirst) {
  struct Case {
    Mode first, second;
    bool allowed;
  };
  const Case cases[] = {
      {kSender, kSender, true},                   // readers that share reading
      {kSizeReader, kSender, false},              // the first allows nobody
      {kSender, kSizeReader, false},              // the second allows nobody, the first reads
      {kWriterSharingReads, kSender, false},      // the sender refuses a writer already there
      {kSender, kWriterSharingReads, false},      // the sender refuses writers that come later
      {kReaderSharingAll, kWriterSharingReads, true},
      {kWriterSharingAll, kWriterSharingAll, true},
      {kReaderSharingWrites, kReaderSharingWrites, false},  // reading is not shared
      {kWriterSharingAll, kReaderSharingAll, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "first " << c.first.access << "/" << c.first.share << ", second "
                                      << c.second.access << "/" << c.second.share);
    File first = OpenAs(path_, c.first);
    ASSERT_TRUE(first.IsOpen());
    File second = OpenAs(path_, c.second);
    EXPECT_EQ(second.IsOpen(), c.allowed);
    if (!c.allowed) {
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
  }
}

TEST_F(ShareModeTest, ClosingTheHolderLetsTheNextOpenerIn) {
  File holder = OpenAs(path_, kSizeReader);
  ASSERT_TRUE(holder.IsOpen());
  EXPECT_FALSE(OpenAs(path_, kSizeReader).IsOpen());
  holder.Close();
  EXPECT_TRUE(OpenAs(path_, kSizeReader).IsOpen());
}

TEST_F(ShareModeTest, RefusedCreateAlwaysLeavesTheContentAlone) {
  File sender = OpenAs(path_, kSender);
  ASSERT_TRUE(sender.IsOpen());
  File truncating = File::Open(path_, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  EXPECT_FALSE(truncating.IsOpen());
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(sender.Size(), 7);
}

TEST_F(ShareModeTest, OnlyOneOfManySimultaneousExclusiveOpenersWins) {
  constexpr int kThreads = 8;
  std::atomic<int> winners{0};
  std::atomic<int> refused{0};
  std::latch attempted(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&] {
      File f = OpenAs(path_, kSizeReader);
      if (f.IsOpen()) {
        ++winners;
      } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
        ++refused;
      }
      attempted.arrive_and_wait();  // winners hold the file until everyone has tried
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(winners.load(), 1);
  EXPECT_EQ(refused.load(), kThreads - 1);
}

// Runs `child` in a forked process; it reports through its exit code.
class Child {
 public:
  explicit Child(const std::function<int(int toParent, int fromParent)>& body) {
    if (pipe(up_) != 0 || pipe(down_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(up_[0]);
      close(down_[1]);
      _exit(body(up_[1], down_[0]));
    }
    close(up_[1]);
    close(down_[0]);
  }
  ~Child() {
    close(up_[0]);
    close(down_[1]);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  bool AwaitSignal() {
    char c;
    return read(up_[0], &c, 1) == 1;
  }
  void Signal() { ASSERT_EQ(write(down_[1], "g", 1), 1); }
  int ExitCode() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  int up_[2] = {-1, -1};
  int down_[2] = {-1, -1};
  pid_t pid_ = -1;
};

TEST_F(ShareModeTest, AnotherProcessWritingTheFileBlocksReaders) {
  std::string path = path_;
  Child child([path](int toParent, int fromParent) {
    File writer = OpenAs(path, kWriterSharingReads);
    if (!writer.IsOpen()) return 1;
    char c = 'r';
    if (write(toParent, &c, 1) != 1 || read(fromParent, &c, 1) != 1) return 2;
    return 0;  // closes the file as it leaves
  });
  ASSERT_TRUE(child.AwaitSignal());
  EXPECT_FALSE(OpenAs(path_, kSizeReader).IsOpen());
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(OpenAs(path_, kSender).IsOpen());
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  child.Signal();
  EXPECT_EQ(child.ExitCode(), 0);
  EXPECT_TRUE(OpenAs(path_, kSizeReader).IsOpen());
}

TEST_F(ShareModeTest, AFileHeldHereIsRefusedToAnotherProcess) {
  File holder = OpenAs(path_, kSizeReader);
  ASSERT_TRUE(holder.IsOpen());
  std::string path = path_;
  Child child([path](int, int) {
    File f = OpenAs(path, kSender);
    return f.IsOpen() ? 0 : static_cast<int>(GetLastError());
  });
  EXPECT_EQ(child.ExitCode(), static_cast<int>(ERROR_SHARING_VIOLATION));
}

}  // namespace
}  // namespace plat::kernel
