// The handle table: handles are numbers that are never reused, mapped to shared objects.
#include "platform/inet/handles.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace plat::inet::detail {
namespace {

struct Entry {
  std::shared_ptr<HandleObject> object;
  std::uintptr_t parent;
};

struct Table {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, Entry> entries;
  std::uintptr_t next = 0x1000;
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

Timeouts::Timeouts(TimeoutValues values)
    : connectMs_(values.connectMs), sendMs_(values.sendMs), receiveMs_(values.receiveMs), replyMs_(values.replyMs) {}

TimeoutValues Timeouts::Get() const {
  return {connectMs_.load(), sendMs_.load(), receiveMs_.load(), replyMs_.load()};
}

bool Timeouts::Set(DWORD option, DWORD ms) {
  switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: connectMs_ = ms; return true;
    case INTERNET_OPTION_SEND_TIMEOUT: sendMs_ = ms; return true;
    case INTERNET_OPTION_RECEIVE_TIMEOUT: receiveMs_ = ms; return true;
    case INTERNET_OPTION_REPLY_TIMEOUT: replyMs_ = ms; return true;
    default: return false;
  }
}

bool Timeouts::Query(DWORD option, DWORD& ms) const {
  switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: ms = connectMs_; return true;
    case INTERNET_OPTION_SEND_TIMEOUT: ms = sendMs_; return true;
    case INTERNET_OPTION_RECEIVE_TIMEOUT: ms = receiveMs_; return true;
    case INTERNET_OPTION_REPLY_TIMEOUT: ms = replyMs_; return true;
    default: return false;
  }
}

HINTERNET RegisterHandle(std::shared_ptr<HandleObject> object, HINTERNET parent) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  // A parent closed by another thread a moment ago takes no new children: they would never be closed.
  if (parent != nullptr && !table.entries.contains(reinterpret_cast<std::uintptr_t>(parent))) return nullptr;
  std::uintptr_t id = table.next++;
  table.entries.emplace(id, Entry{std::move(object), reinterpret_cast<std::uintptr_t>(parent)});
  return reinterpret_cast<HINTERNET>(id);
}

std::shared_ptr<HandleObject> FindHandle(HINTERNET handle) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  auto it = table.entries.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == table.entries.end() ? nullptr : it->second.object;
}

bool CloseHandleTree(HINTERNET handle) {
  Table& table = TheTable();
  std::vector<std::shared_ptr<HandleObject>> released;  // destroyed after the lock is let go
  {
    std::lock_guard lock(table.mutex);
    std::vector<std::uintptr_t> doomed{reinterpret_cast<std::uintptr_t>(handle)};
    if (!table.entries.contains(doomed.front())) return false;
    // Handles are only ever opened under an open parent, so one pass per generation finds them all.
    for (std::size_t i = 0; i < doomed.size(); ++i) {
      for (const auto& [id, entry] : table.entries) {
        if (entry.parent == doomed[i]) doomed.push_back(id);
      }
    }
    for (std::uintptr_t id : doomed) {
      auto it = table.entries.find(id);
      it->second.object->MarkClosed();
      released.push_back(std::move(it->second.object));
      table.entries.erase(it);
    }
  }
  // A call another thread is inside on one of them ends now instead of at its time limit.
  for (const auto& object : released) object->Abort();
  return true;
}

}  // namespace plat::inet::detail
