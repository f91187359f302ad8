// Files whose size is not the recorded one: refused, and never sent as a body unlike its declaration.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "http/CBasicHttp.h"
#include "http/CBasicHttpException.h"
#include "platform/text/text.h"
#include "tests/http/http_test_support.h"

namespace {

using namespace drev;
using namespace drev::httptest;
using drevtest::ReceiverProcess;
using plat::BOOL;
using plat::DWORD;

constexpr DWORD kBig = 200 * 1024;  // more than the client gathers, so part of the body reaches the server

// A callback that changes the file after the block numbered `at` (from 1).
struct Tamper {
  std::filesystem::path file;
  std::size_t at = 0;
  std::function<void(const std::filesystem::path&)> change;
  std::size_t calls = 0;
  static BOOL Callback(void* param, DWORD, DWORD) {
    auto* self = static_cast<Tamper*>(param);
    if (++self->calls == self->at) self->change(self->file);
    return plat::TRUE;
  }
};

class FileSize : public ::testing::Test {
 protected:
  // Sends one file field recorded with `recorded` bytes; expects code 103 and returns the callbacks made.
  std::size_t ExpectRefused(const std::string& path, DWORD recorded, Tamper* tamper = nullptr) {
    CBasicHttp http(session_.Get());
    http.SetVerb(CBasicHttp::Verb::Post);
    http.SetFormType(CBasicHttp::FormType::Multipart);
    std::size_t calls = 0;
    auto count = [](void* param, DWORD, DWORD) -> BOOL {
      ++*static_cast<std::size_t*>(param);
      return plat::TRUE;
    };
    if (tamper != nullptr) {
      http.SetProgressCallback(tamper, &Tamper::Callback);
    } else {
      http.SetProgressCallback(&calls, count);
    }
    http.AddItem("ATTACH_FILES", "", path, "x/y", recorded);
    http.SetServerName(receiver_.Address());
    http.OpenRequest();
    try {
      http.SendRequest();
      http.EndRequest();
      ADD_FAILURE() << "the file was sent";
    } catch (const CBasicHttpException& e) {
      EXPECT_EQ(e.m_nCode, HTTPERR_FILE);
      EXPECT_EQ(e.m_strMessage, plat::text::Ansi("파일이 잘못 되었습니다!!!"));
    }
    http.Close();
    return tamper != nullptr ? tamper->calls : calls;
  }

  // The server never received a whole body.
  void ExpectNoCompleteUpload() { EXPECT_EQ(receiver_.Output().find("-> 200"), std::string::npos) << receiver_.Output(); }

  ReceiverProcess receiver_{WithOptions({}, false)};
  Session session_;
  TempDir dir_;
};

TEST_F(FileSize, AFileOfAnotherSizeThanRecordedIsRefusedBeforeItsContent) {
  std::string path = dir_.Write("changed", Pattern(kBig));
  EXPECT_EQ(ExpectRefused(path, kBig + 1), 0u);  // shorter than recorded
  EXPECT_EQ(ExpectRefused(path, kBig - 1), 0u);  // longer than recorded
  ExpectNoCompleteUpload();
}

TEST_F(FileSize, AFileThatShrinksWhileItIsReadAbandonsTheRequest) {
  std::string path = dir_.Write("shrinks", Pattern(kBig));
  Tamper tamper{dir_.Path() / "shrinks", 10, [](const std::filesystem::path& file) {
                  std::filesystem::resize_file(file, 100 * 1024 + 500);
                }};
  std::size_t blocks = ExpectRefused(path, kBig, &tamper);
  EXPECT_GE(blocks, 10u);
  EXPECT_LE(blocks, 100u);  // stopped at the latest where the file now ends
  // Some of the body reached the server, which then saw the connection end short of the declared length.
  EXPECT_TRUE(WaitForOutput(receiver_, "-> 400")) << receiver_.Output();
  ExpectNoCompleteUpload();
}

TEST_F(FileSize, AFileThatGrowsWhileItIsReadAbandonsTheRequest) {
  std::string path = dir_.Write("grows", Pattern(kBig));
  Tamper tamper{dir_.Path() / "grows", 10, [](const std::filesystem::path& file) {
                  std::ofstream(file, std::ios::binary | std::ios::app) << "more";
                }};
  EXPECT_EQ(ExpectRefused(path, kBig, &tamper), kBig / 1024);  // never past the recorded size
  EXPECT_TRUE(WaitForOutput(receiver_, "-> 400")) << receiver_.Output();
  ExpectNoCompleteUpload();
}

TEST_F(FileSize, AFileOverwrittenInPlaceWithTheSameSizeAbandonsTheRequest) {
  std::string path = dir_.Write("overwritten", Pattern(kBig));
  // Its times lie well in the past, so that the overwrite shows however coarse the clock of the
  // file system is.
  std::filesystem::last_write_time(dir_.Path() / "overwritten",
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  Tamper tamper{dir_.Path() / "overwritten", 10, [](const std::filesystem::path& file) {
                  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
                  out << std::string(4096, 'n');  // the start of another version, the size kept
                }};
  EXPECT_EQ(ExpectRefused(path, kBig, &tamper), kBig / 1024);
  EXPECT_EQ(std::filesystem::file_size(dir_.Path() / "overwritten"), kBig);
  EXPECT_TRUE(WaitForOutput(receiver_, "-> 400")) << receiver_.Output();
  ExpectNoCompleteUpload();
}

TEST_F(FileSize, AFileOf4GiBOrMoreIsRefusedNotCutToItsLow32Bits) {
  std::string path = dir_.Write("huge", "");
  std::filesystem::resize_file(dir_.Path() / "huge", (std::uint64_t{1} << 32) + 10);  // sparse
  EXPECT_EQ(ExpectRefused(path, 10), 0u);
  ExpectNoCompleteUpload();
}

TEST_F(FileSize, ABodyTooLongToDeclareIsRefusedBeforeTheRequestStarts) {
  dir_.Write("a", "");
  std::filesystem::resize_file(dir_.Path() / "a", std::uint64_t{3} << 30);
  CBasicHttp http(session_.Get());
  http.SetVerb(CBasicHttp::Verb::Post);
  http.SetFormType(CBasicHttp::FormType::Multipart);
  std::string path = plat::text::Utf8ToCp949((dir_.Path() / "a").string());
  http.AddItem("one", "", path, "x/y", 3u << 30);
  http.AddItem("two", "", path, "x/y", 3u << 30);
  http.SetServerName(receiver_.Address());
  http.OpenRequest();
  try {
    http.SendRequest();
    ADD_FAILURE() << "a wrapped length was declared";
  } catch (const CBasicHttpException& e) {
    EXPECT_EQ(e.m_nCode, HTTPERR_POST_DATA);
  }
  http.Close();
  EXPECT_EQ(receiver_.Output().find("POST"), std::string::npos);
}

}  // namespace
