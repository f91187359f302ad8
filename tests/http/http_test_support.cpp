// Test support for the form poster and the upload worker.
#include "tests/http/http_test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/text/text.h"

namespace drev::httptest {

using namespace plat::inet;

drevtest::ReceiverSetup WithOptions(std::vector<std::string> options, bool saveRaw) {
  return drevtest::ReceiverSetup{std::move(options), saveRaw, kAddressBase};
}

Session::Session() : session_(InternetOpenA("zelk", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {}
Session::~Session() { InternetCloseHandle(session_); }

void OnFreshThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "drev-http-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  root_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
  std::filesystem::path path = root_ / name;
  std::ofstream out(path, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return plat::text::Utf8ToCp949(path.string());
}

std::string Pattern(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 977 + seed) & 0xFF);
  return bytes;
}

namespace {

std::string FieldOf(const std::string& head, const std::string& name) {
  std::string key = "\r\n" + name + ": ";
  std::size_t at = head.find(key);
  if (at == std::string::npos) return "";
  at += key.size();
  return head.substr(at, head.find("\r\n", at) - at);
}

}  // namespace

std::string Exchange::ContentLength() const { return FieldOf(head, "Content-Length"); }
std::string Exchange::ContentType() const { return FieldOf(head, "Content-Type"); }

void ReadRaw(const drevtest::ReceiverProcess& receiver, const nlohmann::json& summary, Exchange& exchange) {
  if (!summary.is_object() || !summary.contains("raw")) return;
  std::string raw = drevtest::ReadFileBytes(receiver.RawDir() / summary["raw"].get<std::string>());
  std::size_t end = raw.find("\r\n\r\n");
  if (end == std::string::npos) return;
  exchange.head = raw.substr(0, end + 4);
  exchange.body = raw.substr(end + 4);
}

Exchange SendThrough(CBasicHttp& http, const drevtest::ReceiverProcess& receiver) {
  http.SetServerName(receiver.Address());
  http.OpenRequest();
  http.SendRequest();
  http.EndRequest();
  Exchange exchange;
  http.QueryStatusCode(exchange.status);
  char buffer[4096];
  plat::DWORD got = 0;
  while (InternetReadFile(http.GetFile(), buffer, sizeof buffer, &got) && got > 0) exchange.reply.append(buffer, got);
  http.Close();
  exchange.summary = nlohmann::json::parse(exchange.reply, nullptr, false);
  if (exchange.summary.is_discarded()) exchange.summary = nullptr;
  ReadRaw(receiver, exchange.summary, exchange);
  return exchange;
}

bool WaitForOutput(const drevtest::ReceiverProcess& receiver, const std::string& text) {
  for (int tick = 0; tick < 1000; ++tick) {
    if (receiver.Output().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace drev::httptest
