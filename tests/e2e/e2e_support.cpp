// Running drevhost in a registry of the test's own, and reading the store back.
#include "tests/e2e/e2e_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/registry/registry.h"
#include "platform/text/text.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {

namespace reg = plat::registry;

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string DrevhostPath() { return DREV_BINARY_DIR "/bin/drevhost"; }
std::string ModulePath() { return std::filesystem::canonical(DREV_BINARY_DIR "/bin/zelk.ocx").string(); }

std::vector<std::string> RunResult::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& env) {
  std::vector<std::string> entries;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    if (!env.contains(entry.substr(0, entry.find('=')))) entries.push_back(entry);
  }
  for (const auto& [name, value] : env) entries.push_back(name + "=" + value);
  return entries;
}

RunResult Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
              const std::string& cwd) {
  char pattern[] = "/tmp/drev-e2e-run-XXXXXX";
  std::filesystem::path dir = mkdtemp(pattern);
  const std::string outPath = (dir / "out").string(), errPath = (dir / "err").string();
  // Everything the child needs is made before fork: a threaded parent's child may only exec.
  std::vector<std::string> envText = EnvironmentWith(env);
  std::vector<char*> argv, envp;
  std::vector<std::string> argsCopy = args;
  for (auto& a : argsCopy) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  RunResult result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadAll(outPath);
  result.err = ReadAll(errPath);
  std::filesystem::remove_all(dir);
  return result;
}

std::optional<std::string> ClassesText(const std::string& key, const std::string& name) {
  reg::HKEY handle = nullptr;
  if (reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, plat::text::Utf8ToCp949(key).c_str(), 0, reg::KEY_READ, &handle))
    return std::nullopt;
  char buffer[4096];
  plat::DWORD size = sizeof buffer;
  plat::DWORD type = 0;
  plat::LONG r = reg::RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<plat::BYTE*>(buffer), &size);
  reg::RegCloseKey(handle);
  if (r != 0 || type != reg::REG_SZ) return std::nullopt;
  return plat::text::Cp949ToUtf8(std::string(buffer, size ? size - 1 : 0));
}

bool ClassesKeyExists(const std::string& key) {
  reg::HKEY handle = nullptr;
  if (reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, key.c_str(), 0, reg::KEY_READ, &handle)) return false;
  reg::RegCloseKey(handle);
  return true;
}

void E2eTest::SetUp() {
  char pattern[] = "/tmp/drev-e2e-XXXXXX";
  dir_ = mkdtemp(pattern);
  setenv("DREV_REGISTRY", (dir_ / "registry.json").c_str(), 1);
}

void E2eTest::TearDown() {
  unsetenv("DREV_REGISTRY");
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string E2eTest::WritePage(const std::string& name, const std::string& html) { return WriteFile(name, html); }

std::string E2eTest::WriteFile(const std::string& name, const std::string& bytes) {
  std::filesystem::path path = dir_ / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

RunResult E2eTest::Host(std::vector<std::string> args, const std::map<std::string, std::string>& env) {
  args.insert(args.begin(), DrevhostPath());
  return e2e::Run(args, env, dir_.string());
}

void E2eTest::RegisterModule() {
  RunResult r = Host({"regsvr", ModulePath()});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
}

std::string ControlObject(const std::string& id, const std::vector<std::pair<std::string, std::string>>& params,
                          int width, int height) {
  std::string html = "<object id=\"" + id + "\" classid=\"" + kClassId + "\" width=\"" + std::to_string(width) +
                     "\" height=\"" + std::to_string(height) + "\">\n";
  for (const auto& [name, value] : params) html += "  <param name=\"" + name + "\" value=\"" + value + "\">\n";
  return html + "</object>\n";
}

std::pair<int, int> PngSize(const std::string& path) {
  const std::string bytes = drevtest::ReadFileBytes(path);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  const auto be = [&](std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  return {be(16), be(20)};
}

std::string PageOf(const std::string& body) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n" + body + "</body></html>\n";
}

}  // namespace drev::e2e
