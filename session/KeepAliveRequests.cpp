// KeepAliveRequests: one thread per keep-alive GET, kept until joined.
#include "session/KeepAliveRequests.h"

#include <utility>

#include "platform/kernel/wait.h"

namespace drev {

namespace inet = plat::inet;
namespace kernel = plat::kernel;

namespace {

// The request itself: the reply header is awaited (that is what keeps the session alive) and the
// request closed at once, unread.
void RequestOnce(inet::HINTERNET session, const std::string& url) {
  inet::HINTERNET request = inet::InternetOpenUrlA(
      session, url.c_str(), nullptr, 0, inet::INTERNET_FLAG_RELOAD | inet::INTERNET_FLAG_EXISTING_CONNECT, 0);
  if (request != nullptr) inet::InternetCloseHandle(request);
}

}  // namespace

std::string KeepAliveRequests::AddressFor(const std::string& host) { return "http://" + host + "/bin/Plimtrans.gif"; }

bool KeepAliveRequests::Start(inet::HINTERNET session, const std::string& url) {
  JoinEnded();
  auto thread = std::make_unique<kernel::Thread>();
  // The body owns copies of what it needs: the handle value and the address.
  if (!thread->Start([session, url] { RequestOnce(session, url); }, kernel::Thread::Priority::BelowNormal)) {
    return false;
  }
  threads_.push_back(std::move(thread));
  return true;
}

plat::DWORD KeepAliveRequests::WaitForLast(plat::DWORD milliseconds) {
  if (threads_.empty()) return kernel::WAIT_OBJECT_0;
  return threads_.back()->Wait(milliseconds);
}

void KeepAliveRequests::JoinEnded() {
  std::erase_if(threads_, [](const std::unique_ptr<kernel::Thread>& thread) {
    if (thread->Wait(0) != kernel::WAIT_OBJECT_0) return false;
    thread->Join();
    return true;
  });
}

void KeepAliveRequests::JoinAll() {
  for (auto& thread : threads_) thread->Join();
  threads_.clear();
}

}  // namespace drev
