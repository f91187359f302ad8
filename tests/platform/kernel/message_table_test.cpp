// System message texts: the user's language from the locale, both buffer modes, unknown numbers.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/inet/internet_error.h"
#include "platform/kernel/error.h"
#include "platform/kernel/message_table.h"
#include "platform/text/text.h"

namespace plat::kernel {
namespace {

using namespace plat::inet;  // the WinInet numbers, whose texts the table holds too

// Sets the locale variables for one test and puts the old ones back.
class LocaleEnv {
 public:
  LocaleEnv(const char* lcAll, const char* lcMessages, const char* lang) {
    for (int i = 0; i < 3; ++i) {
      const char* old = std::getenv(kNames[i]);
      saved_[i] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    Set(kNames[0], lcAll);
    Set(kNames[1], lcMessages);
    Set(kNames[2], lang);
  }
  ~LocaleEnv() {
    for (int i = 0; i < 3; ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<std::string> saved_[3];
};

constexpr LANGID kKorean = 0x0412;
constexpr LANGID kEnglish = 0x0409;

TEST(MessageTableTest, UserLanguageComesFromTheFirstSetLocaleVariable) {
  struct Case {
    const char *lcAll, *lcMessages, *lang;
    LANGID expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, kKorean},             // nothing set: a Korean system
      {nullptr, nullptr, "C", kKorean},                 // the C locale counts as unset
      {nullptr, nullptr, "POSIX", kKorean},
      {nullptr, nullptr, "C.UTF-8", kKorean},
      {nullptr, nullptr, "ko_KR.UTF-8", kKorean},
      {nullptr, nullptr, "en_US.UTF-8", kEnglish},
      {nullptr, nullptr, "de_DE.UTF-8", kEnglish},      // not Korean, so English
      {"", "", "en_GB", kEnglish},                      // empty counts as unset
      {"ko_KR.EUC-KR", nullptr, "en_US.UTF-8", kKorean},  // LC_ALL comes first
      {nullptr, "en_US", "ko_KR", kEnglish},            // then LC_MESSAGES
  };
  for (const Case& c : cases) {
    LocaleEnv env(c.lcAll, c.lcMessages, c.lang);
    EXPECT_EQ(GetUserDefaultLangID(), c.expected)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");
  }
}

TEST(MessageTableTest, TextsFollowTheUsersLanguage) {
  {
    LocaleEnv env(nullptr, nullptr, "ko_KR.UTF-8");
    EXPECT_EQ(FormatSystemMessage(ERROR_FILE_NOT_FOUND), text::Ansi("지정된 파일을 찾을 수 없습니다.\r\n"));
    EXPECT_EQ(FormatSystemMessage(ERROR_SHARING_VIOLATION),
              text::Ansi("다른 프로세스가 파일을 사용 중이기 때문에 프로세스가 액세스 할 수 없습니다.\r\n"));
  }
  {
    LocaleEnv env(nullptr, nullptr, "en_US.UTF-8");
    EXPECT_EQ(FormatSystemMessage(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(FormatSystemMessage(ERROR_INTERNET_NAME_NOT_RESOLVED),
              "The server name or address could not be resolved\r\n");
  }
}

TEST(MessageTableTest, EveryNumberThisSystemReportsHasTextsInBothLanguages) {
  const DWORD codes[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE,
                         ERROR_NOT_ENOUGH_MEMORY, ERROR_SHARING_VIOLATION, ERROR_INVALID_PARAMETER,
                         ERROR_DISK_FULL, ERROR_FILE_EXISTS, ERROR_INVALID_NAME, ERROR_INVALID_ADDRESS,
                         ERROR_INTERNET_TIMEOUT, ERROR_INTERNET_NAME_NOT_RESOLVED, ERROR_INTERNET_CANNOT_CONNECT,
                         ERROR_INTERNET_CONNECTION_ABORTED, ERROR_INTERNET_CONNECTION_RESET,
                         ERROR_HTTP_HEADER_NOT_FOUND, ERROR_HTTP_INVALID_SERVER_RESPONSE,
                         ERROR_HTTP_INVALID_HEADER, ERROR_HTTP_HEADER_SIZE_OVERFLOW};
  for (DWORD code : codes) {
    char korean[512], english[512];
    DWORD k = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, kKorean,
                             korean, sizeof korean, nullptr);
    DWORD e = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, kEnglish,
                             english, sizeof english, nullptr);
    ASSERT_GT(k, 2u) << code;
    ASSERT_GT(e, 2u) << code;
    EXPECT_EQ(std::string(korean + k - 2), "\r\n") << code;
    EXPECT_EQ(std::string(english + e - 2), "\r\n") << code;
    bool lossless = false;
    std::string utf8 = text::Cp949ToUtf8(std::string(korean, k), &lossless);
    EXPECT_TRUE(lossless) << code;
    EXPECT_NE(utf8, english) << code;  // really translated
    EXPECT_EQ(std::string(english).find_first_of("\x80\xFF"), std::string::npos) << code;
  }
}

TEST(MessageTableTest, AllocatedAndCallerBuffers) {
  char* allocated = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED,
                           kEnglish, reinterpret_cast<char*>(&allocated), 0, nullptr);
  ASSERT_EQ(n, std::string("Access is denied.\r\n").size());
  ASSERT_NE(allocated, nullptr);
  EXPECT_STREQ(allocated, "Access is denied.\r\n");
  EXPECT_EQ(LocalFree(allocated), nullptr);

  // Exactly length + 1 fits; one byte less does not and leaves the buffer as it was.
  char exact[20];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, kEnglish, exact, 20, nullptr), 19u);
  EXPECT_STREQ(exact, "Access is denied.\r\n");
  char tight[19] = "untouched";
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, kEnglish, tight, 19, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(tight, "untouched");

  // The 0x8007xxxx form of a number finds the same text.
  char wrapped[64];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x80070005, kEnglish, wrapped, 64, nullptr), 19u);
}

TEST(MessageTableTest, UnknownNumbersAndUnsupportedRequestsGiveNoText) {
  char buffer[64] = "untouched";
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0x0400, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(FormatSystemMessage(99999), "");

  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0x0407, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "%1", 0, 0, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace plat::kernel
