// A registry store of its own for each test, and short helpers over the registry calls.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/kernel/error.h"
#include "platform/registry/registry.h"

namespace plat::registry::testing {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "drev-registry-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    store_ = (dir_ / "sub" / "registry.json").string();  // the folder does not exist yet
    setenv("DREV_REGISTRY", store_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("DREV_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static HKEY Create(const std::string& path, HKEY parent = HKEY_CLASSES_ROOT) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              kernel::ERROR_SUCCESS)
        << path;
    return key;
  }

  static LONG SetText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
  }

  // The text of a REG_SZ value, or nothing when the query fails.
  static std::optional<std::string> GetText(HKEY key, const char* name) {
    char buffer[512];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != 0) return std::nullopt;
    EXPECT_EQ(type, REG_SZ);
    return std::string(buffer);
  }

  // "Content Type" of a key under HKEY_CLASSES_ROOT, read the way the attachment list reads it.
  static std::optional<std::string> ContentType(const std::string& ext) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ext.c_str(), 0, KEY_QUERY_VALUE, &key) != 0) return std::nullopt;
    auto type = GetText(key, "Content Type");
    RegCloseKey(key);
    return type;
  }

  std::filesystem::path dir_;
  std::string store_;
};

}  // namespace plat::registry::testing
