// A private registry store and a scratch folder for each shell test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/win/backend.h"

namespace plat::shell::testing {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "drev-shell-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    setenv("DREV_REGISTRY", (dir_ / "registry.json").c_str(), 1);
    win::ClearMessageBoxLog();
  }
  void TearDown() override {
    unsetenv("DREV_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Creates a file of a few bytes in the scratch folder (name in UTF-8) and returns its path.
  std::string MakeFile(const std::string& name) const {
    std::string path = (dir_ / name).string();
    std::ofstream(path) << "data";
    return path;
  }
  std::string Dir() const { return dir_.string(); }

  std::filesystem::path dir_;
};

}  // namespace plat::shell::testing
