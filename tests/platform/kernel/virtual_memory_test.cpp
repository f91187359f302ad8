// Block memory: zero-filled and writable, released once, bad requests refused.
#include <cstring>

#include <gtest/gtest.h>

#include "platform/kernel/error.h"
#include "platform/kernel/virtual_memory.h"

namespace plat::kernel {
namespace {

TEST(VirtualMemoryTest, BlockIsZeroFilledWritableAndReleasedOnce) {
  auto* block = static_cast<unsigned char*>(VirtualAlloc(nullptr, 1024, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(block[i], 0) << i;
  std::memset(block, 0xAB, 1024);
  EXPECT_EQ(block[1023], 0xAB);
  EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(block, 0, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
}

TEST(VirtualMemoryTest, BadRequestsAreRefusedWithTheirErrors) {
  EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(VirtualAlloc(nullptr, 1024, MEM_RESERVE, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(VirtualAlloc(nullptr, 1024, MEM_COMMIT, 0x40), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(VirtualAlloc(nullptr, std::size_t{1} << 62, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);

  void* block = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(block, nullptr);
  EXPECT_FALSE(VirtualFree(block, 4096, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(VirtualFree(static_cast<char*>(block) + 16, 0, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
  EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
}

}  // namespace
}  // namespace plat::kernel
