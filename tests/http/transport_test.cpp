// Sending the request: file blocks and callbacks, stops, locked files, statuses and broken connections.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <set>

#include "http/CBasicHttp.h"
#include "http/CBasicHttpException.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/error.h"
#include "platform/kernel/file.h"
#include "platform/kernel/message_table.h"
#include "platform/text/text.h"
#include "tests/http/http_test_support.h"
#include "tests/receiver/tcp_client.h"

namespace {

using namespace drev;
using namespace drev::httptest;
using drevtest::ReceiverProcess;
using plat::BOOL;
using plat::DWORD;
namespace kernel = plat::kernel;

// Records every callback; answers 0 from the call numbered `stopAt` (from 1; 0 never stops).
struct Blocks {
  std::vector<std::pair<DWORD, DWORD>> calls;  // (recorded file size, bytes of the block)
  std::size_t stopAt = 0;
  static BOOL Callback(void* param, DWORD fileSize, DWORD bytes) {
    auto* self = static_cast<Blocks*>(param);
    self->calls.emplace_back(fileSize, bytes);
    return self->calls.size() == self->stopAt ? plat::FALSE : plat::TRUE;
  }
  std::vector<DWORD> Sizes() const {
    std::vector<DWORD> sizes;
    for (auto& call : calls) sizes.push_back(call.second);
    return sizes;
  }
};

class Transport : public ::testing::Test {
 protected:
  void Prepare(CBasicHttp& http, Blocks& blocks) {
    http.SetVerb(CBasicHttp::Verb::Post);
    http.SetFormType(CBasicHttp::FormType::Multipart);
    http.SetObjectName("/upload.php");
    http.SetProgressCallback(&blocks, &Blocks::Callback);
  }
  Session session_;
  TempDir dir_;
};

// Sets DREV_HTTP_TRACE for the life of the object.
class TraceOn {
 public:
  TraceOn() { setenv("DREV_HTTP_TRACE", "1", 1); }
  ~TraceOn() { unsetenv("DREV_HTTP_TRACE"); }
};

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST_F(Transport, EachFileIsReadInBlocksOf1024WithOneCallbackPerBlock) {
  ReceiverProcess receiver(WithOptions());
  std::string empty = dir_.Write("empty", "");
  std::string exact = dir_.Write("exact", Pattern(1024));
  std::string longer = dir_.Write("longer", Pattern(2500));
  CBasicHttp http(session_.Get());
  Blocks blocks;
  Prepare(http, blocks);
  http.AddItem("a", "", empty, "x/y", 0);
  http.AddItem("b", "", exact, "x/y", 1024);
  http.AddItem("c", "", longer, "x/y", 2500);
  http.AddItem("text", "never a block", "", "", 0);
  Exchange exchange = SendThrough(http, receiver);
  EXPECT_EQ(exchange.status, 200u);
  EXPECT_TRUE(exchange.summary["complete"].get<bool>());
  std::vector<std::pair<DWORD, DWORD>> expected{{0, 0}, {1024, 1024}, {2500, 1024}, {2500, 1024}, {2500, 452}};
  EXPECT_EQ(blocks.calls, expected);
}

// Files are read in windows of many blocks: sizes on either side of a window's end, and several
// windows, still arrive whole, with one callback per 1 KiB block in order.
TEST_F(Transport, FilesAroundAndAcrossReadWindowsArriveWholeWithOneCallbackPerBlock) {
  ReceiverProcess receiver(WithOptions());
  const std::vector<std::size_t> sizes{1, 65535, 65536, 65537, 3 * 65536 + 452};
  std::vector<std::string> contents;
  CBasicHttp http(session_.Get());
  Blocks blocks;
  Prepare(http, blocks);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    contents.push_back(Pattern(sizes[i], static_cast<unsigned>(i + 1)));
    std::string path = dir_.Write("w" + std::to_string(i), contents.back());
    http.AddItem("f" + std::to_string(i), "", path, "x/y", static_cast<DWORD>(sizes[i]));
  }
  Exchange exchange = SendThrough(http, receiver);
  EXPECT_EQ(exchange.status, 200u);
  ASSERT_TRUE(exchange.summary["complete"].get<bool>()) << exchange.summary.dump(2);
  ASSERT_EQ(exchange.summary["files"].size(), sizes.size());
  std::vector<std::pair<DWORD, DWORD>> expected;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_EQ(exchange.summary["files"][i]["size"], sizes[i]);
    EXPECT_EQ(exchange.summary["files"][i]["crc32"], drevtest::ReferenceCrc32Hex(contents[i])) << i;
    for (std::size_t left = sizes[i]; left > 0; left -= std::min<std::size_t>(left, 1024)) {
      expected.emplace_back(static_cast<DWORD>(sizes[i]), static_cast<DWORD>(std::min<std::size_t>(left, 1024)));
    }
  }
  EXPECT_EQ(blocks.calls, expected);
}

TEST_F(Transport, TraceLinesAreWrittenOnlyWhenAskedFor) {
  ReceiverProcess receiver(WithOptions());
  std::string path = dir_.Write("traced", Pattern(2500));
  auto send = [&] {
    CBasicHttp http(session_.Get());
    Blocks blocks;
    Prepare(http, blocks);
    http.AddItem("f", "", path, "x/y", 2500);
    testing::internal::CaptureStdout();
    SendThrough(http, receiver);
    return testing::internal::GetCapturedStdout();
  };
  EXPECT_EQ(send(), "");
  TraceOn trace;
  std::string out = send();
  EXPECT_EQ(out.rfind("filename :: " + path + "readbytes::1024\n", 0), 0u) << out;
  EXPECT_EQ(Count(out, "readbytes::"), 3u);
  EXPECT_NE(out.find("readbytes::452\n\ndwSendBytes::2500 form filesize : 2500\n\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\ndwSendBytes::1024 form filesize : 2500\n\n"), std::string::npos);
}

TEST_F(Transport, ACallbackThatStopsInsideALaterReadWindowEndsTheUploadAtThatBlock) {
  ReceiverProcess receiver(WithOptions());
  std::string path = dir_.Write("long", Pattern(300000));
  CBasicHttp http(session_.Get());
  Blocks blocks;
  blocks.stopAt = 100;
  Prepare(http, blocks);
  http.AddItem("f", "", path, "x/y", 300000);
  http.SetServerName(receiver.Address());
  http.OpenRequest();
  try {
    http.SendRequest();
    ADD_FAILURE() << "the upload was not stopped";
  } catch (const CBasicHttpException& e) {
    EXPECT_EQ(e.m_nCode, HTTPERR_PROGRESS);
  }
  EXPECT_EQ(blocks.calls.size(), 100u);
  http.Close();
  EXPECT_EQ(receiver.Output().find("-> 200"), std::string::npos);
}

TEST_F(Transport, ACallbackThatStopsOnTheSecondBlockEndsTheUploadThereAndClosesTheFile) {
  ReceiverProcess receiver(WithOptions());
  std::string path = dir_.Write("stopped", Pattern(5000));
  CBasicHttp http(session_.Get());
  Blocks blocks;
  blocks.stopAt = 2;
  Prepare(http, blocks);
  http.AddItem("f", "", path, "x/y", 5000);
  http.AddItem("g", "", path, "x/y", 5000);
  http.SetServerName(receiver.Address());
  http.OpenRequest();
  TraceOn trace;
  testing::internal::CaptureStdout();
  try {
    http.SendRequest();
    ADD_FAILURE() << "the upload was not stopped";
  } catch (const CBasicHttpException& e) {
    EXPECT_EQ(e.m_nCode, HTTPERR_PROGRESS);
    EXPECT_EQ(e.m_dwOsError, 0u);
    EXPECT_EQ(e.m_strMessage, plat::text::Ansi("상태 정보 전송 오류!!!"));
  }
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(blocks.Sizes(), (std::vector<DWORD>{1024, 1024}));
  EXPECT_EQ(Count(out, "readbytes::"), 2u);
  // Closed: nobody else holds the file, so an opener that shares nothing gets it.
  kernel::File alone = kernel::File::Open(path, kernel::GENERIC_WRITE, 0, kernel::OPEN_EXISTING);
  EXPECT_TRUE(alone.IsOpen());
  http.Close();
  EXPECT_EQ(receiver.Output().find("-> 200"), std::string::npos);
}

TEST_F(Transport, AFileAnotherOpenerWritesIsRefusedWithCode100BeforeAnyContent) {
  ReceiverProcess receiver(WithOptions());
  std::string path = dir_.Write("locked", Pattern(3000));
  kernel::File writer = kernel::File::Open(path, kernel::GENERIC_WRITE, kernel::FILE_SHARE_READ | kernel::FILE_SHARE_WRITE,
                                           kernel::OPEN_EXISTING);
  ASSERT_TRUE(writer.IsOpen());
  CBasicHttp http(session_.Get());
  Blocks blocks;
  Prepare(http, blocks);
  http.AddItem("f", "", path, "x/y", 3000);
  http.SetServerName(receiver.Address());
  http.OpenRequest();
  try {
    http.SendRequest();
    ADD_FAILURE() << "a locked file was sent";
  } catch (const CBasicHttpException& e) {
    EXPECT_EQ(e.m_nCode, HTTPERR_SYSTEM);
    EXPECT_EQ(e.m_dwOsError, kernel::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(e.m_strMessage, kernel::FormatSystemMessage(kernel::ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(e.m_strMessage.empty());
  }
  EXPECT_TRUE(blocks.calls.empty());
}

TEST_F(Transport, Code100TakesTheSystemTextOfTheLastErrorAndOtherCodesTheirOwn) {
  kernel::SetLastError(kernel::ERROR_FILE_NOT_FOUND);
  CBasicHttpException system(HTTPERR_SYSTEM, 99);
  EXPECT_EQ(system.m_dwOsError, 99u);
  EXPECT_EQ(system.m_strMessage, kernel::FormatSystemMessage(kernel::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(kernel::GetLastError(), kernel::ERROR_FILE_NOT_FOUND);
  kernel::SetLastError(0xDEADu);  // no text for it: the message stays empty
  EXPECT_EQ(CBasicHttpException(HTTPERR_SYSTEM, 0).m_strMessage, "");
  EXPECT_EQ(CBasicHttpException(HTTPERR_POST_DATA, 0).m_strMessage, plat::text::Ansi("POST DATA가 잘못 되었습니다!!!"));
  EXPECT_EQ(CBasicHttpException(HTTPERR_FILE, 0).m_strMessage, plat::text::Ansi("파일이 잘못 되었습니다!!!"));
  EXPECT_EQ(CBasicHttpException().m_nCode, 0);
  EXPECT_EQ(CBasicHttpException().m_strMessage, plat::text::Ansi("알수 없는 오류!!!"));
}

TEST_F(Transport, RedirectsAndErrorStatusesComeBackAsTheirOwnStatus) {
  for (int status : {302, 404, 500}) {
    ReceiverProcess receiver(WithOptions({"--status", std::to_string(status)}));
    CBasicHttp http(session_.Get());
    Blocks blocks;
    Prepare(http, blocks);
    http.AddItem("a", "b", "", "", 0);
    Exchange exchange = SendThrough(http, receiver);
    EXPECT_EQ(exchange.status, static_cast<DWORD>(status));
    EXPECT_TRUE(WaitForOutput(receiver, "-> " + std::to_string(status)));
    EXPECT_EQ(Count(receiver.Output(), " HTTP/1.0 -> "), 1u) << receiver.Output();  // not followed
  }
}

TEST_F(Transport, AStatusIsUnreadableBeforeTheReplyAndCloseIsSafeToRepeat) {
  CBasicHttp http(session_.Get());
  DWORD status = 77;
  EXPECT_FALSE(http.QueryStatusCode(status));
  EXPECT_EQ(status, 77u);
  http.Close();
  http.Close();
  EXPECT_EQ(http.GetFile(), nullptr);
}

TEST_F(Transport, AServerThatDropsTheConnectionMidBodyRaisesTheInternetError) {
  ReceiverProcess receiver(WithOptions({"--drop-after", "200000"}));
  std::string path = dir_.Write("big", Pattern(4 * 1024 * 1024));
  CBasicHttp http(session_.Get());
  Blocks blocks;
  Prepare(http, blocks);
  http.AddItem("f", "", path, "x/y", 4 * 1024 * 1024);
  http.SetServerName(receiver.Address());
  http.OpenRequest();
  try {
    http.SendRequest();
    http.EndRequest();
    ADD_FAILURE() << "the broken connection went unnoticed";
  } catch (const plat::inet::InternetException& e) {
    std::set<DWORD> broken{plat::inet::ERROR_INTERNET_CONNECTION_ABORTED, plat::inet::ERROR_INTERNET_CONNECTION_RESET};
    EXPECT_TRUE(broken.count(e.GetErrorCode())) << e.GetErrorCode();
  }
  // Where it shows depends on how much the socket buffers took in: at a write or at the end.
}

TEST_F(Transport, ARefererThatCannotBeSentFailsWhenTheRequestStartsWithItsOwnReason) {
  ReceiverProcess receiver(WithOptions());
  const std::pair<std::string, DWORD> cases[] = {
      {"http://www.example.com/write\r\nX-Injected: 1", plat::inet::ERROR_HTTP_INVALID_HEADER},
      {"http://www.example.com/" + std::string(1 << 20, 'a'), plat::inet::ERROR_HTTP_HEADER_SIZE_OVERFLOW},
  };
  for (const auto& [referer, reason] : cases) {
    SCOPED_TRACE(reason);
    CBasicHttp http(session_.Get());
    Blocks blocks;
    Prepare(http, blocks);
    http.SetServerName(receiver.Address());
    http.SetRefererUrl(referer);
    http.AddItem("text", "value", "", "", 0);
    // Opening does not report the refused request; starting it does, before a byte reaches the
    // server, with the reason it was refused (not the invalid handle it left behind).
    EXPECT_NO_THROW(http.OpenRequest());
    EXPECT_EQ(http.GetFile(), nullptr);
    try {
      http.SendRequest();
      ADD_FAILURE() << "the request started";
    } catch (const plat::inet::InternetException& e) {
      EXPECT_EQ(e.GetErrorCode(), reason);
      EXPECT_EQ(e.GetDescription(), plat::kernel::FormatSystemMessage(reason));
      EXPECT_FALSE(e.GetDescription().empty());
    }
    http.Close();
  }
  EXPECT_EQ(receiver.Output().find("POST"), std::string::npos) << receiver.Output();
}

TEST_F(Transport, AnUnreachableServerRaisesCannotConnect) {
  CBasicHttp http(session_.Get());
  Blocks blocks;
  Prepare(http, blocks);
  http.SetServerName(drevtest::UniqueLoopbackAddress(kAddressBase));  // nothing listens there
  http.OpenRequest();
  try {
    http.SendRequest();
    ADD_FAILURE() << "no failure";
  } catch (const plat::inet::InternetException& e) {
    EXPECT_EQ(e.GetErrorCode(), plat::inet::ERROR_INTERNET_CANNOT_CONNECT);
  }
}

}  // namespace
