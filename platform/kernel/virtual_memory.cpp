// VirtualAlloc/VirtualFree over anonymous mappings, with the block sizes kept for the release.
#include "platform/kernel/virtual_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "platform/kernel/error.h"

namespace plat::kernel {
namespace {

struct Blocks {
  std::mutex mutex;
  std::map<void*, std::size_t> sizes;
};

Blocks& TheBlocks() {
  static Blocks blocks;
  return blocks;
}

int Protection(DWORD protect) {
  switch (protect) {
    case PAGE_NOACCESS: return PROT_NONE;
    case PAGE_READONLY: return PROT_READ;
    case PAGE_READWRITE: return PROT_READ | PROT_WRITE;
    default: return -1;
  }
}

}  // namespace

void* VirtualAlloc(void* address, std::size_t size, DWORD type, DWORD protect) {
  int prot = Protection(protect);
  if (address != nullptr || size == 0 || !(type & MEM_COMMIT) || (type & ~(MEM_COMMIT | MEM_RESERVE)) ||
      prot < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* block = mmap(nullptr, size, prot, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Blocks& blocks = TheBlocks();
  std::lock_guard lock(blocks.mutex);
  blocks.sizes[block] = size;
  return block;
}

BOOL VirtualFree(void* address, std::size_t size, DWORD type) {
  if (size != 0 || type != MEM_RELEASE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::size_t length = 0;
  {
    Blocks& blocks = TheBlocks();
    std::lock_guard lock(blocks.mutex);
    auto it = blocks.sizes.find(address);
    if (it == blocks.sizes.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = it->second;
    blocks.sizes.erase(it);
  }
  munmap(address, length);
  return TRUE;
}

}  // namespace plat::kernel
