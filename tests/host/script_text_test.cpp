// Strings crossing into and out of the script engine, and the escaping of output lines.
#include <gtest/gtest.h>

#include "host/ScriptText.h"

namespace drev::host {
namespace {

TEST(ScriptTextTest, EveryUtf16UnitCrossesIntoTheEngineAndBackUnchanged) {
  const std::u16string texts[] = {
      u"plain ASCII", u"한글 회의록", u"a\U0001F600b",  // a character beyond U+FFFF: a surrogate pair
      std::u16string(1, char16_t(0xD800)),            // a lone high surrogate
      std::u16string{u'x', char16_t(0xDC05), u'y'},   // a lone low surrogate
      std::u16string(1, u'\0') + u"after a zero"};
  for (const std::u16string& text : texts) EXPECT_EQ(Cesu8ToUtf16(Utf16ToCesu8(text)), text);
}

TEST(ScriptTextTest, CharactersBeyondTheBasicPlaneAreTwoThreeByteSequencesInTheEngine) {
  EXPECT_EQ(Utf16ToCesu8(u"\U0001F600"), "\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(Utf16ToCesu8(u"가"), "\xEA\xB0\x80");
}

TEST(ScriptTextTest, FourByteUtf8ReadsAsASurrogatePair) {
  EXPECT_EQ(Cesu8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(ScriptTextTest, MalformedBytesBecomeReplacementCharactersWithoutLosingTheRest) {
  EXPECT_EQ(Cesu8ToUtf16("a\x80" "b"), u"a\uFFFDb");            // stray continuation byte
  EXPECT_EQ(Cesu8ToUtf16("a\xEA\xB0"), u"a\uFFFD\uFFFD");       // sequence cut at the end
  EXPECT_EQ(Cesu8ToUtf16("\xC0\xAFz"), u"\uFFFD\uFFFDz");       // overlong form of '/'
  EXPECT_EQ(Cesu8ToUtf16("\xF5\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
  EXPECT_FALSE(IsUtf8("\xB0\xA1"));  // CP949 bytes of 가
  EXPECT_TRUE(IsUtf8("가나 abc \xF0\x9F\x98\x80"));
}

TEST(ScriptTextTest, PrintingJoinsPairsAndReplacesLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"a\U0001F600b"), "a\xF0\x9F\x98\x80" "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD83D)}), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDE00), u'b'}), "\xEF\xBF\xBD" "b");
  EXPECT_EQ(Cesu8ToUtf8("\xED\xA0\xBD\xED\xB8\x80"), "\xF0\x9F\x98\x80");
}

TEST(ScriptTextTest, OutputLinesStayOneLine) {
  EXPECT_EQ(EscapeForLine("two\nlines\r\tand \\ \"quotes\" \x01"), "two\\nlines\\r\\tand \\\\ \"quotes\" \\x01");
  EXPECT_EQ(QuoteForLine("say \"hi\"\n"), "\"say \\\"hi\\\"\\n\"");
  EXPECT_EQ(EscapeForLine("한글"), "한글");
}

}  // namespace
}  // namespace drev::host
