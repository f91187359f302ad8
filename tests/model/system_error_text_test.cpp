// The system error text: the two-call pattern, the capacity rules and the user's language.
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "model/SystemErrorText.h"
#include "platform/kernel/error.h"
#include "platform/text/text.h"

namespace {

using namespace drev;

using plat::DWORD;

// Runs a test in a Korean or an English user's session.
class LanguageScope {
 public:
  explicit LanguageScope(const char* lang) {
    if (const char* old = std::getenv("LC_ALL")) saved_ = old;
    setenv("LC_ALL", lang, 1);
  }
  ~LanguageScope() {
    if (saved_.empty()) {
      unsetenv("LC_ALL");
    } else {
      setenv("LC_ALL", saved_.c_str(), 1);
    }
  }

 private:
  std::string saved_;
};

std::string TwoCalls(DWORD code) {
  DWORD length = 0;
  if (!GetSystemErrorText(code, nullptr, &length)) return "<none>";
  std::string text(length + 1, '#');
  DWORD capacity = length + 1;
  EXPECT_TRUE(GetSystemErrorText(code, text.data(), &capacity));
  EXPECT_EQ(capacity, length);
  EXPECT_EQ(text[length], '\0');
  text.resize(length);
  return text;
}

TEST(SystemErrorTextTest, TwoCallsGiveTheTextInTheUsersLanguage) {
  {
    LanguageScope korean("ko_KR.UTF-8");
    EXPECT_EQ(TwoCalls(plat::kernel::ERROR_FILE_NOT_FOUND), plat::text::Ansi("지정된 파일을 찾을 수 없습니다.\r\n"));
    EXPECT_EQ(TwoCalls(plat::kernel::ERROR_SHARING_VIOLATION),
              plat::text::Ansi("다른 프로세스가 파일을 사용 중이기 때문에 프로세스가 액세스 할 수 없습니다.\r\n"));
  }
  {
    LanguageScope english("en_US.UTF-8");
    EXPECT_EQ(TwoCalls(plat::kernel::ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
  }
}

TEST(SystemErrorTextTest, CopiesOnlyWhenTheCapacityExceedsTheLength) {
  LanguageScope english("en_US.UTF-8");
  const std::string expected = "Access is denied.\r\n";
  const DWORD length = static_cast<DWORD>(expected.size());

  char buffer[64];
  std::memset(buffer, '#', sizeof buffer);
  DWORD capacity = length;  // room for the text but not its terminator
  EXPECT_TRUE(GetSystemErrorText(plat::kernel::ERROR_ACCESS_DENIED, buffer, &capacity));
  EXPECT_EQ(capacity, length);
  EXPECT_EQ(buffer[0], '#');

  capacity = length + 1;
  EXPECT_TRUE(GetSystemErrorText(plat::kernel::ERROR_ACCESS_DENIED, buffer, &capacity));
  EXPECT_EQ(capacity, length);
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(buffer[length + 1], '#');  // nothing written past the terminator

  capacity = 0;  // no buffer: only the length
  EXPECT_TRUE(GetSystemErrorText(plat::kernel::ERROR_ACCESS_DENIED, nullptr, &capacity));
  EXPECT_EQ(capacity, length);
}

TEST(SystemErrorTextTest, NumberWithoutTextLeavesEverythingUntouched) {
  char buffer[16] = "untouched";
  DWORD capacity = 16;
  EXPECT_FALSE(GetSystemErrorText(123456, buffer, &capacity));
  EXPECT_EQ(capacity, 16u);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_FALSE(GetSystemErrorText(plat::kernel::ERROR_ACCESS_DENIED, buffer, nullptr));
  EXPECT_STREQ(buffer, "untouched");
}

}  // namespace
