// Test support for the form poster and the upload worker: sessions, fresh threads, files, the wire.
#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "http/CBasicHttp.h"
#include "model/IUploadControl.h"
#include "platform/inet/inet.h"
#include "tests/receiver/receiver_process.h"

namespace drev::httptest {

// This program's loopback addresses: 127.126.x.y.
constexpr unsigned char kAddressBase = 126;
// What a thread that never seeded its generator draws for its first boundary.
inline const std::string kFirstBoundary = "--Velmora.Boundary0029482318BE";

// A receiver on its own loopback address with the given extra options, recording raw requests.
drevtest::ReceiverSetup WithOptions(std::vector<std::string> options = {}, bool saveRaw = true);

// An HTTP session with the control's agent text, closed at scope end.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  plat::inet::HINTERNET Get() const { return session_; }

 private:
  plat::inet::HINTERNET session_;
};

// Runs `body` on a new thread (whose C runtime generator is unseeded) and waits for it; a gtest
// failure inside it counts for the calling test.
void OnFreshThread(const std::function<void()>& body);

// A temporary folder removed at scope end, with files written into it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return root_; }
  // Writes `content` to a file named `name` (UTF-8) and returns its path as CP949 text.
  std::string Write(const std::string& name, const std::string& content) const;

 private:
  std::filesystem::path root_;
};

// Bytes of a recognisable pattern, zero bytes included.
std::string Pattern(std::size_t size, unsigned seed = 0);

// What one request looked like on the wire and what the receiver made of it.
struct Exchange {
  plat::DWORD status = 0;
  std::string reply;            // the reply body as read
  std::string head;             // request line and header fields, through the blank line
  std::string body;             // the request body bytes as the server received them
  nlohmann::json summary;       // the reply parsed as JSON (null when it is not JSON)
  std::string ContentLength() const;  // the Content-Length field of `head`
  std::string ContentType() const;    // the Content-Type field of `head`
};

// Sends `http` to `receiver` (host set here, everything else as the caller set it) through the whole
// calling order, reads the reply to its end, and returns the exchange with the raw request of the
// receiver's recording. Failures of the poster pass on.
Exchange SendThrough(CBasicHttp& http, const drevtest::ReceiverProcess& receiver);

// The raw request the receiver recorded for a summary that names it, split into head and body.
void ReadRaw(const drevtest::ReceiverProcess& receiver, const nlohmann::json& summary, Exchange& exchange);

// A stand-in for the control the worker is made for: records every ServerResponse stored. It is never
// made the process's current control: the worker reaches only the control it was given.
class FakeControl : public IUploadControl {
 public:
  UploadSettings* GetUploadSettings() override { return nullptr; }
  plat::LRESULT SendToControl(plat::UINT, plat::WPARAM, plat::LPARAM) override { return 0; }
  void SetServerResponse(const std::string& reply) override {
    std::lock_guard lock(mutex_);
    responses_.push_back(reply);
  }
  void FireOnFileAppended(std::int32_t, std::int32_t) override {}
  void FireOnFileDeleted(std::int32_t, std::int32_t) override {}
  std::vector<std::string> Responses() {
    std::lock_guard lock(mutex_);
    return responses_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> responses_;
};

// Waits up to 10 s for `text` in the receiver's printed lines.
bool WaitForOutput(const drevtest::ReceiverProcess& receiver, const std::string& text);

}  // namespace drev::httptest
