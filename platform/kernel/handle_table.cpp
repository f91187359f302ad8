// The process-wide handle table: handles are multiples of four counted up from four.
#include "platform/kernel/handle_table.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace plat::kernel::detail {
namespace {

struct Table {
  std::mutex mutex;
  std::uintptr_t next = 4;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  std::uintptr_t value = t.next;
  t.next += 4;
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == t.objects.end()) return nullptr;
  std::shared_ptr<KernelObject> object = std::move(it->second);
  t.objects.erase(it);
  return object;
}

}  // namespace plat::kernel::detail
