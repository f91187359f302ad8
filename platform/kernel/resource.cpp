// The process-wide resource table.
#include "platform/kernel/resource.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace plat::kernel {
namespace {

struct Entry {
  ResourceKind kind;
  UINT id;
  ResourceData data;
  const void* owner;
};

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}

std::vector<Entry>& Table() {
  static std::vector<Entry> table;
  return table;
}

}  // namespace

void RegisterResource(ResourceKind kind, UINT id, const void* data, std::size_t size, const void* owner) {
  std::lock_guard lock(Mutex());
  Table().push_back({kind, id, {data, size}, owner});
}

void UnregisterResources(const void* owner) {
  std::lock_guard lock(Mutex());
  std::erase_if(Table(), [owner](const Entry& e) { return e.owner == owner; });
}

ResourceData FindResource(ResourceKind kind, UINT id) {
  std::lock_guard lock(Mutex());
  auto& table = Table();
  for (auto it = table.rbegin(); it != table.rend(); ++it)
    if (it->kind == kind && it->id == id) return it->data;
  return {};
}

std::string LoadString(UINT id) {
  ResourceData r = FindResource(ResourceKind::String, id);
  if (!r) return {};
  return *static_cast<const std::string*>(r.data);
}

}  // namespace plat::kernel
