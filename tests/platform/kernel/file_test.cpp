// Opening, sizing, reading and writing files through the handle calls and the File wrapper.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/kernel/error.h"
#include "platform/kernel/file.h"
#include "platform/text/text.h"
#include "tests/platform/kernel/temp_dir.h"

namespace plat::kernel {
namespace {

using testing::TempDir;

void WriteText(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD creation) {
  return CreateFileA(path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(FileTest, OpenFailuresReportThePlatformsErrors) {
  TempDir dir;
  EXPECT_EQ(Open(dir / "missing.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(Open(dir / "no-folder/missing.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  EXPECT_EQ(Open("", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  // A folder is refused whichever way it is opened.
  EXPECT_EQ(Open(dir / "", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  std::filesystem::create_directory(dir / "sub");
  EXPECT_EQ(Open(dir / "sub", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  WriteText(dir / "there.txt", "x");
  EXPECT_EQ(Open(dir / "there.txt", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(Open(dir / "there.txt", 0, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Open(dir / "there.txt", GENERIC_READ, 0, 9), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// The last error of opening `path` for reading, as an unprivileged user (root is not bound by
// permissions, so as root the open runs in a child that has given its privileges up).
DWORD OpenErrorWithoutPrivileges(const std::string& path) {
  if (geteuid() != 0) {
    HANDLE h = Open(path, GENERIC_READ, 0, OPEN_EXISTING);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  }
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
    HANDLE h = Open(path, GENERIC_READ, 0, OPEN_EXISTING);
    _exit(h == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 255;
}

TEST(FileTest, UnreadableFileIsAccessDenied) {
  TempDir dir;
  WriteText(dir / "locked.txt", "secret");
  WriteText(dir / "open.txt", "public");
  chmod((dir / "").c_str(), 0755);
  chmod((dir / "locked.txt").c_str(), 0);
  chmod((dir / "open.txt").c_str(), 0644);
  EXPECT_EQ(OpenErrorWithoutPrivileges(dir / "open.txt"), ERROR_SUCCESS);
  EXPECT_EQ(OpenErrorWithoutPrivileges(dir / "locked.txt"), ERROR_ACCESS_DENIED);
}

TEST(FileTest, PipesAreRefusedInsteadOfWaitingForAWriter) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(Open(dir / "pipe", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(FileTest, AttributesTellFoldersRegularFilesAndEverythingElseApartWithoutOpening) {
  TempDir dir;
  WriteText(dir / "f", "x");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(GetFileAttributesA((dir / "f").c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributesA((dir / ".").c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA((dir / "pipe").c_str()), FILE_ATTRIBUTE_DEVICE);  // no writer waited for
  EXPECT_EQ(GetFileAttributesA("/dev/null"), FILE_ATTRIBUTE_DEVICE);
  EXPECT_EQ(GetFileAttributesA((dir / "none").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA((dir / "none/f").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(FileTest, BasicInformationCarriesTheTimesAsTheDesktopCountsThemAndMovesWithAWrite) {
  TempDir dir;
  WriteText(dir / "f", "0123456789");
  timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 500}};  // 2001-09-09, access and write
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "f").c_str(), times, 0), 0);
  File file = File::Open(dir / "f", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  FILE_BASIC_INFO before;
  ASSERT_TRUE(file.BasicInfo(before));
  EXPECT_EQ(before.LastWriteTime.QuadPart, 116444736000000000 + 10'000'000'000'000'000 + 5);
  EXPECT_EQ(before.LastAccessTime.QuadPart, 116444736000000000 + 10'000'000'000'000'000);
  EXPECT_GT(before.ChangeTime.QuadPart, before.LastWriteTime.QuadPart);  // the times were just set

  std::fstream(dir / "f", std::ios::binary | std::ios::in | std::ios::out) << "ab";  // same size
  FILE_BASIC_INFO after;
  ASSERT_TRUE(file.BasicInfo(after));
  EXPECT_NE(after.LastWriteTime.QuadPart, before.LastWriteTime.QuadPart);
  EXPECT_EQ(file.Size(), 10);

  EXPECT_FALSE(GetFileInformationByHandleEx(file.Get(), static_cast<FILE_INFO_BY_HANDLE_CLASS>(1), &after, sizeof after));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &after, 8));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FileTest, WriteThenReadBackInBlocks) {
  TempDir dir;
  std::string content(2500, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);

  HANDLE out = Open(dir / "data.bin", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);  // a new file
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(out, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
  EXPECT_EQ(written, content.size());
  ASSERT_TRUE(CloseHandle(out));

  HANDLE in = Open(dir / "data.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(in, &size));
  EXPECT_EQ(size.QuadPart, 2500);

  // 1024, 1024, 452, then 0 at the end: the reads an upload makes.
  std::string back;
  char block[1024];
  DWORD counts[4] = {};
  for (DWORD& n : counts) {
    ASSERT_TRUE(ReadFile(in, block, sizeof block, &n, nullptr));
    back.append(block, n);
  }
  EXPECT_EQ(counts[0], 1024u);
  EXPECT_EQ(counts[1], 1024u);
  EXPECT_EQ(counts[2], 452u);
  EXPECT_EQ(counts[3], 0u);
  EXPECT_EQ(back, content);

  // The handle refuses what it was not opened for.
  DWORD n = 99;
  EXPECT_FALSE(WriteFile(in, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(n, 0u);
  ASSERT_TRUE(CloseHandle(in));
}

TEST(FileTest, CreateAlwaysTruncatesAnExistingFileAndSaysSo) {
  TempDir dir;
  WriteText(dir / "old.txt", "old content");
  HANDLE h = Open(dir / "old.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 0);
  CloseHandle(h);

  h = Open(dir / "old.txt", GENERIC_READ, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(h);
  h = Open(dir / "fresh.txt", GENERIC_READ, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(h);
}

TEST(FileTest, SizesBeyondFourGibibytesKeepAllSixtyFourBits) {
  TempDir dir;
  const std::int64_t big = (std::int64_t{5} << 30) + 123;  // sparse: no data blocks are written
  {
    int fd = open((dir / "big.bin").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, big), 0);
    close(fd);
  }
  File file = File::Open(dir / "big.bin", GENERIC_READ, 0, OPEN_EXISTING);
  ASSERT_TRUE(file.IsOpen());
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(file.Get(), &size));
  EXPECT_EQ(size.QuadPart, big);
  EXPECT_EQ(size.LowPart(), 0x4000007Bu);  // what a 32-bit size keeps
  EXPECT_EQ(size.HighPart(), 1);
  EXPECT_EQ(file.Size(), big);
}

TEST(FileTest, KoreanPathsReachTheFileSystemAsUtf8) {
  TempDir dir;
  const std::string utf8Name = "첨부할파일.txt";
  WriteText(dir / utf8Name, "hello");
  std::string cp949Path = text::Utf8ToCp949(dir / utf8Name);
  ASSERT_NE(cp949Path, dir / utf8Name);
  File file = File::Open(cp949Path, GENERIC_READ, 0, OPEN_EXISTING);
  ASSERT_TRUE(file.IsOpen()) << GetLastError();
  EXPECT_EQ(file.Size(), 5);

  // Bytes that are not CP949 text cannot name a file.
  EXPECT_FALSE(File::Open(dir / "\xFF\xFF.txt", GENERIC_READ, 0, OPEN_EXISTING).IsOpen());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST(FileTest, ClosedAndForeignHandlesAreRefused) {
  TempDir dir;
  HANDLE h = Open(dir / "a.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  LARGE_INTEGER size;
  EXPECT_FALSE(GetFileSizeEx(h, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  char c;
  DWORD n = 0;
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  // A new handle never takes the value of a closed one.
  HANDLE again = Open(dir / "a.txt", GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_NE(again, h);
  CloseHandle(again);
}

TEST(FileTest, FileWrapperClosesAndMoves) {
  TempDir dir;
  File first = File::Open(dir / "w.txt", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_TRUE(first.IsOpen());
  EXPECT_EQ(first.Write("abc", 3), 3);
  File second = std::move(first);
  EXPECT_FALSE(first.IsOpen());
  HANDLE raw = second.Get();
  second = File();  // closes
  EXPECT_FALSE(CloseHandle(raw));

  File failed = File::Open(dir / "none.txt", GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_FALSE(failed.IsOpen());
  EXPECT_EQ(failed.Size(), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace plat::kernel
