// The store file: where it lives, concurrent writers in two processes, a damaged file.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/platform/registry/registry_fixture.h"

namespace plat::registry {
namespace {

using namespace plat::kernel;
using testing::RegistryTest;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes `count` keys "<prefix>N" each with a value; the number of failed calls.
int WriteKeys(const std::string& prefix, int count) {
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    HKEY key = nullptr;
    std::string name = prefix + std::to_string(i);
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0) {
      ++failures;
      continue;
    }
    std::string value = "value of " + name;
    if (RegSetValueExA(key, "V", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) != 0)
      ++failures;
    RegCloseKey(key);
  }
  return failures;
}

int CountKeys(const std::string& prefix, int count) {
  int found = 0;
  for (int i = 0; i < count; ++i) {
    HKEY key = nullptr;
    std::string name = prefix + std::to_string(i);
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &key) != 0) continue;
    char value[64];
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, "V", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == 0 &&
        std::string(value) == "value of " + name)
      ++found;
    RegCloseKey(key);
  }
  return found;
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceKeepEachOthersKeys) {
  constexpr int kKeys = 40;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(WriteKeys("child", kKeys));
  int parentFailures = WriteKeys("parent", kKeys);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(parentFailures, 0);
  EXPECT_EQ(CountKeys("parent", kKeys), kKeys);
  EXPECT_EQ(CountKeys("child", kKeys), kKeys);

  // Nothing but the store and its lock is left beside it.
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(store_).parent_path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "registry.json" || name == "registry.json.lock") << name;
  }
}

TEST_F(RegistryTest, ThreadsWritingAtOnceKeepEachOthersKeys) {
  int failuresA = 0, failuresB = 0;
  std::thread a([&] { failuresA = WriteKeys("a", 25); });
  std::thread b([&] { failuresB = WriteKeys("b", 25); });
  a.join();
  b.join();
  EXPECT_EQ(failuresA + failuresB, 0);
  EXPECT_EQ(CountKeys("a", 25), 25);
  EXPECT_EQ(CountKeys("b", 25), 25);
}

TEST_F(RegistryTest, AChangeByAnotherWriterIsSeenByTheNextRead) {
  HKEY key = Create("Shared");
  ASSERT_EQ(SetText(key, "V", "one"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(key, "V"), "one");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(SetText(key, "V", "two") == ERROR_SUCCESS ? 0 : 1);  // the handle is inherited
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(GetText(key, "V"), "two");
  RegCloseKey(key);
}

TEST_F(RegistryTest, ADamagedStoreIsReportedAndNeverWrittenOver) {
  std::filesystem::create_directories(std::filesystem::path(store_).parent_path());
  const std::string damaged = "{\"HKEY_CLASSES_ROOT\": {\"name\": \"HKEY_CLASSES_ROOT\", \"keys\": [";
  std::ofstream(store_) << damaged;

  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(ReadFile(store_), damaged);

  // Well-formed JSON of the wrong shape is just as damaged.
  std::ofstream(store_) << R"({"HKEY_CLASSES_ROOT": {"name": "HKEY_CLASSES_ROOT", "keys": {"a": 5}, "values": {}}})";
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "a", 0, KEY_READ, &key), ERROR_REGISTRY_CORRUPT);

  // An empty file is an empty store.
  std::ofstream(store_, std::ios::trunc).flush();
  EXPECT_EQ(ContentType(".txt"), "text/plain");
  HKEY created = Create("Fresh");
  EXPECT_NE(created, nullptr);
  RegCloseKey(created);
}

TEST_F(RegistryTest, WithoutAnExplicitPathTheStoreLivesUnderTheDataHome) {
  unsetenv("DREV_REGISTRY");
  setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  RegCloseKey(Create("Somewhere"));
  unsetenv("XDG_DATA_HOME");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "data" / "drev" / "registry.json"));
  EXPECT_NE(ReadFile((dir_ / "data" / "drev" / "registry.json").string()).find("Somewhere"), std::string::npos);
}

}  // namespace
}  // namespace plat::registry
