// The entry script as a newcomer meets it: its help, a wrong command, the package step and the
// build's progress on a terminal and off one. Each test runs a copy of the script in a folder of its
// own, with stand-ins for dpkg-query, apt-get, cmake and ctest first on the PATH, so nothing is
// installed or built for real.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// dpkg-query -W -f=... NAME: "installed" for the names listed in $FAKE_STATE/installed.
constexpr const char* kFakeDpkgQuery = R"sh(#!/bin/sh
for name; do :; done
grep -qx "$name" "$FAKE_STATE/installed" 2>/dev/null && printf 'install ok installed'
exit 0
)sh";

// apt-get update | install -y ... -o APT::Status-Fd=3 NAME...: reports its progress on descriptor 3
// the way apt does, lists the names as installed, and fails when $FAKE_APT_STATUS says so.
constexpr const char* kFakeAptGet = R"sh(#!/bin/sh
if [ "$1" = update ]; then echo "Hit:1 http://deb.debian.org/debian bookworm InRelease"; exit 0; fi
if [ -n "$FAKE_APT_STATUS" ]; then echo "E: Unable to locate package drev-fake-a" >&2; exit "$FAKE_APT_STATUS"; fi
echo "dlstatus:1:50.0000:Retrieving file 1 of 2" >&3
for arg; do
  case $arg in
    -*|install|APT::*) ;;
    *) echo "pmstatus:$arg:75.0000:Installing $arg (amd64)" >&3
       echo "Setting up $arg ..."
       echo "$arg" >>"$FAKE_STATE/installed" ;;
  esac
done
)sh";

// cmake -S ... -B DIR ...: makes the build folder. cmake --build DIR ...: prints
// $FAKE_STATE/build-output and ends with $FAKE_BUILD_STATUS.
constexpr const char* kFakeCmake = R"sh(#!/bin/sh
if [ "$1" = --build ]; then cat "$FAKE_STATE/build-output"; exit "${FAKE_BUILD_STATUS:-0}"; fi
while [ $# -gt 0 ]; do
  if [ "$1" = -B ]; then mkdir -p "$2" && touch "$2/CMakeCache.txt"; fi
  shift
done
)sh";

constexpr const char* kFakeCtest = "#!/bin/sh\necho \"ctest $*\"\n";

struct ScriptRun {
  int status = -1;
  std::string out;
  std::string err;  // on a terminal: everything the terminal received
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& text, bool executable = false) {
  std::ofstream(path, std::ios::binary) << text;
  if (executable) fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

// The lines make prints for `steps` compile steps of CMake's makefiles, the percentage rising to 100.
std::string MakeOutput(int steps) {
  std::string out;
  char line[160];
  for (int i = 1; i <= steps; ++i) {
    std::snprintf(line, sizeof line, "[%3d%%] Building CXX object platform/win/CMakeFiles/plat_win.dir/f%d.cpp.o\n",
                  i * 100 / steps, i);
    out += line;
    if (i % 50 == 0) {
      std::snprintf(line, sizeof line, "[%3d%%] Built target plat_win%d\n", i * 100 / steps, i);
      out += line;
    }
  }
  return out;
}

int CountOf(const std::string& text, char c) { return static_cast<int>(std::count(text.begin(), text.end(), c)); }

class DrevScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/drev-script-XXXXXX";
    root_ = mkdtemp(pattern);
    fs::create_directories(Project());
    fs::create_directories(root_ / "fakebin");
    fs::create_directories(root_ / "state");
    fs::copy_file(DREV_SOURCE_DIR "/drev", Project() / "drev");
    WriteAll(Project() / "debian-packages", "# what the build needs\ndrev-fake-a\n\ndrev-fake-b\n");
    WriteAll(root_ / "state" / "installed", "drev-fake-a\ndrev-fake-b\n");
    WriteAll(root_ / "fakebin" / "dpkg-query", kFakeDpkgQuery, true);
    WriteAll(root_ / "fakebin" / "apt-get", kFakeAptGet, true);
    WriteAll(root_ / "fakebin" / "cmake", kFakeCmake, true);
    WriteAll(root_ / "fakebin" / "ctest", kFakeCtest, true);
    SetBuildOutput(MakeOutput(200));
    fs::create_directories(Project() / "examples");
    WriteAll(Project() / "examples" / "run-demo", "#!/bin/sh\necho \"run-demo $*\"\n", true);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Project() const { return root_ / "project"; }
  void SetBuildOutput(const std::string& text) { WriteAll(root_ / "state" / "build-output", text); }
  void SetInstalled(const std::string& names) { WriteAll(root_ / "state" / "installed", names); }
  std::string Installed() const { return ReadAll(root_ / "state" / "installed"); }

  // Runs the copy of ./drev with `args`; with `terminal`, its standard error is a terminal of
  // `columns` columns (standard output stays a file, as when the output is piped on).
  ScriptRun Drev(std::vector<std::string> args, const std::map<std::string, std::string>& env = {},
                 bool terminal = false, unsigned short columns = 60) {
    std::vector<std::string> envText{"PATH=" + (root_ / "fakebin").string() + ":/usr/bin:/bin",
                                     "FAKE_STATE=" + (root_ / "state").string(), "HOME=" + root_.string()};
    for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
    args.insert(args.begin(), (Project() / "drev").string());
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string outPath = (root_ / "out").string(), errPath = (root_ / "err").string();

    int master = -1;
    pid_t pid;
    if (terminal) {
      winsize size{24, columns, 0, 0};
      pid = forkpty(&master, nullptr, nullptr, &size);
    } else {
      pid = fork();
    }
    if (pid == 0) {
      int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      if (!terminal) dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    ScriptRun run;
    if (terminal) {
      char buffer[4096];
      for (;;) {
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) run.err.append(buffer, static_cast<std::size_t>(n));
        if (n == 0 || (n < 0 && errno != EINTR)) break;  // EIO once the script's side is closed
      }
      close(master);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(outPath);
    if (!terminal) run.err = ReadAll(errPath);
    return run;
  }

 private:
  fs::path root_;
};

TEST_F(DrevScriptTest, HelpListsTheCommandsWhereResultsGoAndTheEnvironment) {
  ScriptRun help = Drev({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* line : {"\n  demo ", "\n  test [ARGS] ", "\n  build ", "\n  bench [ARGS] ", "\n  tsan [ARGS] ",
                           "\n  help ", "build/release/demo/", "build/CONFIGURATION/build.log", "DREV_JOBS",
                           "CCACHE_DIR", "ASAN_OPTIONS", "DREV_REGISTRY"})
    EXPECT_THAT(help.out, HasSubstr(line));
  EXPECT_EQ(Drev({"-h"}).out, help.out);
  EXPECT_EQ(Drev({"--help"}).out, help.out);

  ScriptRun unknown = Drev({"frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err, "drev: unknown command: frobnicate\n" + help.out);
  ScriptRun none = Drev({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, help.out);
}

TEST_F(DrevScriptTest, OffATerminalABuildSaysAFewPlainLinesAndKeepsItsWholeOutputInTheLog) {
  ScriptRun run = Drev({"build"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, StartsWith("drev: configuring build/release (RelWithDebInfo)\n"
                                  "drev: building (release); the whole output goes to build/release/build.log\n"
                                  "drev: building (release): 25% after 50 steps, 0:0"));
  EXPECT_THAT(run.err, HasSubstr("drev: building (release): 50% after 100 steps, 0:0"));
  EXPECT_THAT(run.err, HasSubstr("drev: building (release): 75% after 150 steps, 0:0"));
  EXPECT_THAT(run.err, HasSubstr("drev: built (release) in 0:0"));
  EXPECT_THAT(run.err, HasSubstr(": 200 steps\ndrev: configuring build/test (Debug)\n"));
  EXPECT_THAT(run.err, EndsWith(": 200 steps\n"));
  EXPECT_LE(CountOf(run.err, '\n'), 14);
  EXPECT_EQ(CountOf(run.err, '\r'), 0);
  EXPECT_EQ(ReadAll(Project() / "build/release/build.log"), MakeOutput(200));
  EXPECT_EQ(ReadAll(Project() / "build/test/build.log"), MakeOutput(200));

  SetBuildOutput("[100%] Built target plat_win\n");
  run = Drev({"test", "-R", "receiver"});
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.err, EndsWith("drev: the test build is up to date\n"));
  EXPECT_THAT(run.out, HasSubstr("ctest --test-dir " + (Project() / "build/test").string() +
                                 " --output-on-failure -j 2 -R receiver"));
}

TEST_F(DrevScriptTest, OnATerminalTheProgressIsOneLineRewrittenInPlace) {
  ScriptRun run = Drev({"build"}, {}, true, 72);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("\r\033[Kdrev: building (test) 100%, step 200, 0:0"));
  EXPECT_THAT(run.err, HasSubstr("drev: built (test) in 0:0"));
  // Two configure lines, two start lines and two end lines; every rewrite stays in place.
  EXPECT_LE(CountOf(run.err, '\n'), 6);
  EXPECT_GE(CountOf(run.err, '\r'), 400);
  // Each rewrite fits the terminal's 72 columns, so that it never wraps onto a second line.
  std::string piece;
  std::istringstream in(run.err);
  while (std::getline(in, piece, '\r')) {
    const std::string text = piece.starts_with("\033[K") ? piece.substr(3) : piece;
    ASSERT_LE(text.find('\n') == std::string::npos ? text.size() : text.find('\n'), 72u) << text;
  }
  EXPECT_THAT(run.err, HasSubstr("\r\033[Kdrev: building (release)  50%, step 100, 0:0"));
  EXPECT_THAT(run.err, HasSubstr(": platform/win/f99.cpp\r"));

  // The demo's three targets are built one after the other, each with its own percentage.
  SetBuildOutput(MakeOutput(4));
  run = Drev({"demo"}, {}, true, 72);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("\r\033[Kdrev: building (release: zelk, 1 of 3) 100%, step 4, 0:0"));
  EXPECT_THAT(run.err, HasSubstr("\r\033[Kdrev: building (release: drevhost, 2 of 3)  25%, step 5, 0:0"));
  EXPECT_THAT(run.err, HasSubstr("\r\033[Kdrev: building (release: upload-receiver, 3 of 3) 100%, step 12, 0:0"));
  EXPECT_THAT(run.err, HasSubstr("drev: built (release) in 0:0"));
  EXPECT_EQ(run.out, "run-demo " + (Project() / "build/release").string() + "\n");
}

TEST_F(DrevScriptTest, AFailedBuildShowsTheEndOfItsLogAndNamesTheLog) {
  SetBuildOutput(MakeOutput(10) + "platform/win/f11.cpp:3:1: error: expected ';' before '}' token\n");
  ScriptRun run = Drev({"demo"}, {{"FAKE_BUILD_STATUS", "2"}});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("drev: building (release: zelk drevhost upload-receiver); the whole output goes "
                                 "to build/release/build.log\n"));
  EXPECT_THAT(run.err, HasSubstr("\nplatform/win/f11.cpp:3:1: error: expected ';' before '}' token\n"));
  EXPECT_THAT(run.err, EndsWith("drev: the build (release) failed after 0:00; the whole output is " +
                                (Project() / "build/release/build.log").string() + "\n"));
}

TEST_F(DrevScriptTest, MissingPackagesAreNamedInstalledAndTimed) {
  SetInstalled("drev-fake-b\n");
  ScriptRun run = Drev({"build"}, {}, true);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, StartsWith("drev: installing what debian-packages lists and this machine lacks (1 package): "
                                  "drev-fake-a\r\n"
                                  "drev: (apt-get update first; the whole output goes to build/packages.log)\r\n"));
  EXPECT_THAT(run.err, HasSubstr("\r\033[Kdrev: downloading 50%"));
  EXPECT_THAT(run.err, HasSubstr("\r\033[Kdrev: installing 75%: Installing drev-fake-a (amd64)"));
  EXPECT_THAT(run.err, HasSubstr("drev: installed 1 package in 0:0"));
  EXPECT_EQ(Installed(), "drev-fake-b\ndrev-fake-a\n");
  EXPECT_THAT(ReadAll(Project() / "build/packages.log"), HasSubstr("Setting up drev-fake-a ..."));
  EXPECT_THAT(Drev({"build"}).err, Not(HasSubstr("install")));

  SetInstalled("");
  run = Drev({"build"}, {{"FAKE_APT_STATUS", "100"}});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("lacks (2 packages): drev-fake-a drev-fake-b\n"));
  EXPECT_THAT(run.err, HasSubstr("\nE: Unable to locate package drev-fake-a\n"));
  EXPECT_THAT(run.err, EndsWith("; the whole output is " + (Project() / "build/packages.log").string() + "\n"));
  EXPECT_THAT(run.err, Not(HasSubstr("building")));
}

}  // namespace
