// Page-granular memory from the system, in the platform's reserve/commit call shape.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

namespace plat::kernel {

constexpr DWORD MEM_COMMIT = 0x1000;
constexpr DWORD MEM_RESERVE = 0x2000;
constexpr DWORD MEM_RELEASE = 0x8000;

constexpr DWORD PAGE_NOACCESS = 0x01;
constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;

// Maps `size` bytes (rounded up to whole pages), zero-filled, anywhere the system chooses.
//   address must be null; type must include MEM_COMMIT (reserving alone is not offered);
//   protect is PAGE_NOACCESS, PAGE_READONLY or PAGE_READWRITE.
// Returns the block, or null with the last error: ERROR_INVALID_PARAMETER (bad arguments, size 0),
// ERROR_NOT_ENOUGH_MEMORY (the system refused).
void* VirtualAlloc(void* address, std::size_t size, DWORD type, DWORD protect);

// Releases a whole block from VirtualAlloc: `size` must be 0 and `type` MEM_RELEASE.
// FALSE with ERROR_INVALID_PARAMETER for other arguments, ERROR_INVALID_ADDRESS for an address
// that is not the start of a block.
BOOL VirtualFree(void* address, std::size_t size, DWORD type);

}  // namespace plat::kernel
