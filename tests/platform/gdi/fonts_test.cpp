// The font system's start on a background thread: fonts used at once, from several threads, wait
// for it, get the same answers, and fontconfig reads its configuration once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fontconfig/fontconfig.h>

#include "platform/gdi/dialog_units.h"
#include "platform/gdi/fonts.h"

namespace plat::gdi {
namespace {

// How often fontconfig loaded its main configuration file, from its FC_DEBUG=1024 trace.
int ConfigLoads(const std::string& trace) {
  int loads = 0;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);)
    if (line.find("Loading config file from ") != std::string::npos && line.ends_with("/fonts.conf")) ++loads;
  return loads;
}

// The configuration files the current configuration knows of: those it loaded, and those it only
// read the descriptions of (the templates FcInit also parses, listed as not enabled).
std::pair<int, int> LoadedAndTemplateFiles() {
  FcConfig* config = FcConfigGetCurrent();
  FcConfigFileInfoIter it;
  FcConfigFileInfoIterInit(config, &it);
  int loaded = 0, templates = 0;
  do {
    FcChar8* name = nullptr;
    FcChar8* description = nullptr;
    FcBool enabled = FcFalse;
    if (!FcConfigFileInfoIterGet(config, &it, &name, &description, &enabled)) break;
    ++(enabled ? loaded : templates);
    FcStrFree(name);
    FcStrFree(description);
  } while (FcConfigFileInfoIterNext(config, &it));
  return {loaded, templates};
}

// In a fresh process (fontconfig must not have started yet): begins the fonts' start, then uses
// fonts at once on four threads; reports the loads of the configuration (seen in fontconfig's
// FC_DEBUG=1024 trace when `traced`, otherwise counted as the files the configuration holds) and
// whether every thread got the same dialog units.
[[noreturn]] void UseFontsRightAfterPreparing(const std::string& tracePath, bool traced) {
  if (traced) setenv("FC_DEBUG", "1024", 1);
  std::fflush(stdout);
  int trace = open(tracePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(trace, 1);  // fontconfig writes its trace to standard output
  PrepareFonts();
  PrepareFonts();  // a second call does nothing more
  LOGFONT lf;
  lf.lfHeight = -12;
  lf.lfFaceName = "Gulim";
  std::vector<SIZE> units(4);
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < units.size(); ++i) threads.emplace_back([&units, &lf, i] { units[i] = GetDialogBaseUnits(lf); });
  units[0] = GetDialogBaseUnits(lf);
  for (std::thread& t : threads) t.join();
  WaitForFonts();
  std::fflush(stdout);
  std::ifstream in(tracePath);
  std::stringstream text;
  text << in.rdbuf();
  bool same = units[0].cx > 0 && units[0].cy > 0;
  for (const SIZE& u : units) same = same && u.cx == units[0].cx && u.cy == units[0].cy;
  if (traced) {
    std::fprintf(stderr, "config loads %d, same units %s\n", ConfigLoads(text.str()), same ? "yes" : "no");
  } else {
    auto [loaded, templates] = LoadedAndTemplateFiles();
    std::fprintf(stderr, "files loaded %s, templates %d, same units %s\n", loaded > 1 ? "yes" : "no", templates,
                 same ? "yes" : "no");
  }
  std::fflush(stderr);
  std::_Exit(0);
}

TEST(FontStart, FontsUsedAtOnceWaitForThePreparedStartAndTheConfigurationIsReadOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no fonts started in it yet
  char pattern[] = "/tmp/drev-fonts-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  // With fontconfig's trace asked for, its own initialisation reads the configuration, once.
  EXPECT_EXIT(UseFontsRightAfterPreparing(dir + "/trace", true), ::testing::ExitedWithCode(0),
              "config loads 1, same units yes");
  // Without, the configuration is read once without the templates' descriptions, and nothing
  // initialised fontconfig again after it (that would have read them).
  EXPECT_EXIT(UseFontsRightAfterPreparing(dir + "/trace", false), ::testing::ExitedWithCode(0),
              "files loaded yes, templates 0, same units yes");
  std::remove((dir + "/trace").c_str());
  rmdir(dir.c_str());
}

TEST(FontStart, WaitingWithoutPreparingReturnsAtOnce) {
  WaitForFonts();
  LOGFONT lf;
  lf.lfHeight = -12;
  const SIZE units = GetDialogBaseUnits(lf);
  EXPECT_GT(units.cx, 0);
  EXPECT_GT(units.cy, 0);
}

}  // namespace
}  // namespace plat::gdi
