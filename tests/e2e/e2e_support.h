// Support for the end-to-end tests: a registry of their own, running drevhost, pages in a temporary
// folder, and reading the registry store back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace drev::e2e {

std::string DrevhostPath();
std::string ModulePath();  // the built zelk.ocx, absolute

// The control's class id as pages write it.
inline constexpr const char* kClassId = "clsid:6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11";
inline constexpr const char* kClsidKey = "CLSID\\{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}";

struct RunResult {
  int status = -1;   // the exit status, or 128 + signal
  std::string out;   // standard output
  std::string err;   // standard error
  std::vector<std::string> Lines() const;  // `out` split into lines
};

// This process's environment as NAME=VALUE entries, with `env`'s variables set (replacing any
// there already).
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& env);

// Runs a program with extra environment variables (and the test's own), in `cwd` when given; waits
// at most two minutes before killing it.
RunResult Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {},
              const std::string& cwd = {});

// The default value (or the named value) of HKEY_CLASSES_ROOT\<key>, as UTF-8; nullopt when missing.
std::optional<std::string> ClassesText(const std::string& key, const std::string& name = "");
bool ClassesKeyExists(const std::string& key);

// A test with its own registry store (DREV_REGISTRY, for this process and its children) and folder.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const std::filesystem::path& Dir() const { return dir_; }
  // Writes `html` as a page in the test's folder and returns its path.
  std::string WritePage(const std::string& name, const std::string& html);
  // Writes a file of `bytes` into the test's folder and returns its path.
  std::string WriteFile(const std::string& name, const std::string& bytes);
  // drevhost with these arguments.
  RunResult Host(std::vector<std::string> args, const std::map<std::string, std::string>& env = {});
  // Registers the module, expecting success.
  void RegisterModule();

 private:
  std::filesystem::path dir_;
};

// An <object> of the control with its params, and a page around objects and scripts.
std::string ControlObject(const std::string& id, const std::vector<std::pair<std::string, std::string>>& params,
                          int width = 600, int height = 200);
std::string PageOf(const std::string& body);

// A PNG file's width and height from its header; {0, 0} when it is no PNG.
std::pair<int, int> PngSize(const std::string& path);

}  // namespace drev::e2e
