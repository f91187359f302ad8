// Code page 949 conversions of the system's texts, the '?' boundary, and lead-byte-aware searches.
#include <string>

#include <gtest/gtest.h>

#include "platform/text/text.h"

namespace plat::text {
namespace {

// Every Korean text the system shows or stores.
const char* const kSystemTexts[] = {
    "%d개 이상 파일을 추가 할 수 없습니다.",
    "DREV ActiveX 컨트롤 모듈",
    "POST DATA가 잘못 되었습니다!!!",
    "POST 형식이 잘못 되었습니다!!!",
    "UploadList Control의 디스패치 인터페이스",
    "UploadList Control의 이벤트 인터페이스",
    "굴림",
    "돋움",
    "메서드 UploadFinished",
    "모든 파일(*.*)|*.*||",
    "무조건 테스트버전13",
    "상태 정보 전송 오류!!!",
    "속성 ServerName",
    "알수 없는 오류!!!",
    "알수 없는 오류(%d)",
    "전체 파일 : ",
    "첨부된 파일이 용량을 초과 하였습니다",
    "첨부하실 파일을 마우스로 끌어서 넣어주세요.",
    "첨부할파일",
    "추가된 이미지 파일이 용량을 초과 하였습니다",
    "취  소",
    "크기",
    "파일명",
    "파일이 잘못 되었습니다!!!",
};

TEST(TextTest, EverySystemTextSurvivesTheRoundTrips) {
  for (const char* utf8 : kSystemTexts) {
    SCOPED_TRACE(utf8);
    bool lossless = false;
    std::string cp949 = Utf8ToCp949(utf8, &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_NE(cp949, utf8);  // really converted: Korean is two bytes a character here, three in UTF-8
    EXPECT_EQ(Ansi(utf8), cp949);
    lossless = false;
    EXPECT_EQ(Cp949ToUtf8(cp949, &lossless), utf8);
    EXPECT_TRUE(lossless);
    std::u16string utf16 = Cp949ToUtf16(cp949, &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(Utf16ToCp949(utf16), cp949);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
  }
}

TEST(TextTest, SevenBitTextIsItselfInEveryFormAndAnyHighByteStillConverts) {
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);  // the terminator's byte included
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp949(ascii, &lossless), ascii);
  EXPECT_TRUE(lossless);
  lossless = false;
  EXPECT_EQ(Cp949ToUtf8(ascii, &lossless), ascii);
  EXPECT_TRUE(lossless);
  lossless = false;
  std::u16string wide = Cp949ToUtf16(ascii, &lossless);
  EXPECT_TRUE(lossless);
  ASSERT_EQ(wide.size(), ascii.size());
  for (std::size_t i = 0; i < wide.size(); ++i) EXPECT_EQ(wide[i], static_cast<char16_t>(i));
  EXPECT_EQ(Utf8ToUtf16(ascii), wide);
  EXPECT_EQ(Utf16ToUtf8(wide), ascii);
  lossless = false;
  EXPECT_EQ(Utf16ToCp949(wide, &lossless), ascii);
  EXPECT_TRUE(lossless);
  EXPECT_EQ(Utf16ToUtf8(u"size \uAC00"), "size 가");
  EXPECT_EQ(Utf16ToCp949(u"size \uAC00", &lossless), "size \xB0\xA1");
  EXPECT_EQ(Utf16ToCp949(u"\u00E9", &lossless), "?");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Utf8ToUtf16("x\xEA\xB0\x80"), u"x\uAC00");
  // One character past seven bits anywhere in a path makes the whole text go through the converter.
  const std::string path = "C:\\docs\\report-\xB0\xA1.txt";
  EXPECT_EQ(Cp949ToUtf8(path, &lossless), "C:\\docs\\report-가.txt");
  EXPECT_TRUE(lossless);
  EXPECT_EQ(Cp949ToUtf8("a\xFF", &lossless), "a?");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Utf8ToCp949("x\xC3\xA9", &lossless), "x?");  // é is not in the code page
  EXPECT_FALSE(lossless);
}

TEST(TextTest, KnownCodes) {
  EXPECT_EQ(Ansi("취  소"), "\xC3\xEB  \xBC\xD2");
  EXPECT_EQ(Ansi("가"), "\xB0\xA1");
  EXPECT_EQ(Ansi("똠"), "\x8C\x63");  // outside EUC-KR, inside code page 949
  EXPECT_EQ(&Ansi("첨부할파일"), &Ansi("첨부할파일"));  // converted once, kept
}

TEST(TextTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  bool lossless = true;
  EXPECT_EQ(Utf8ToCp949("a😀b한ก", &lossless), "a?b" + Ansi("한") + "?");
  EXPECT_FALSE(lossless);
  lossless = true;
  EXPECT_EQ(Utf16ToCp949(u"x\U0001F600y", &lossless), "x?y");  // one '?' for a surrogate pair
  EXPECT_FALSE(lossless);

  // Bytes that are not CP949 text: a byte that starts nothing, and a lead byte cut off at the end.
  lossless = true;
  EXPECT_EQ(Cp949ToUtf8("a\xFF" "b", &lossless), "a?b");
  EXPECT_FALSE(lossless);
  lossless = true;
  EXPECT_EQ(Cp949ToUtf8("ab\xB0", &lossless), "ab?");
  EXPECT_FALSE(lossless);
  lossless = false;
  EXPECT_EQ(Cp949ToUtf8("plain", &lossless), "plain");
  EXPECT_TRUE(lossless);
}

TEST(TextTest, ADamagedPieceCostsOneQuestionMarkAndNothingAfterIt) {
  // Found by the cp949 fuzz target: a bad sequence used to swallow the bytes after it as if they
  // belonged to it, so a server's reply or a file name lost the character that followed.
  bool lossless = true;
  EXPECT_EQ(Cp949ToUtf8("\n\xFA\n/tail", &lossless), "\n?\n/tail");  // a lead byte whose next byte cannot follow it
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Cp949ToUtf16("a\xB0 b"), u"a? b");
  EXPECT_EQ(Cp949ToUtf8("\xB0\xA1x"), "가x");   // a real pair is still one character
  EXPECT_EQ(Cp949ToUtf8("\xC9\x41" "b"), "?b");  // and an unassigned one is one '?'
  EXPECT_EQ(Utf8ToCp949("\xE0" "ab"), "?ab");           // a lead byte without its continuation bytes
  EXPECT_EQ(Utf8ToCp949("\xF0\x9F" "x"), "?x");        // a four-byte sequence cut after two
  EXPECT_EQ(Utf8ToCp949("x\xF0\x9F\x98\x80y"), "x?y");  // a whole character the code page lacks
  EXPECT_EQ(Utf8ToUtf16("\xC3(z"), u"\uFFFD(z");
  EXPECT_EQ(Utf16ToCp949(std::u16string(u"\xD800") + u"A/b"), "?A/b");  // a high surrogate alone
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"\xD83D") + u"\n"), "\xEF\xBF\xBD\n");
  EXPECT_EQ(Utf16ToCp949(u"\U0001F600z"), "?z");  // a pair is one character
}

TEST(TextTest, ABadSequenceReportedAfterTheLastByteEndsTheText) {
  // Found by the cp949 fuzz target: glibc's converter reported the unassigned pair A2 E8 with its
  // position already past the pair (at the end of the text here), so skipping it once more read
  // beyond the text, or took the byte after it.
  const std::string bytes("\x43\x8a\x3a\x54\x46\xec\x84\x5c\xe8\xe8\xe8\xe8\xe8\xe8\xe8\xe8\xa2\xe8", 18);
  const std::string expected = "C?:TF?\\" + std::string(4 * 3, ' ').replace(0, 12, "\xEF\xA6\xBB\xEF\xA6\xBB\xEF\xA6\xBB\xEF\xA6\xBB") + "?";
  bool lossless = true;
  EXPECT_EQ(Cp949ToUtf8(bytes, &lossless), expected);
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Cp949ToUtf8(bytes + "XYZ"), expected + "XYZ");
  EXPECT_EQ(Utf16ToUtf8(Cp949ToUtf16(bytes + "XYZ")), expected + "XYZ");
}

TEST(TextTest, NoCp949CharacterEndsInABackslashOrADot) {
  // Why the path searches below can only be fooled by bytes that are not text: the code page puts
  // only letters and bytes from 0x81 up second in a character.
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (char trail : {'\\', '.', '/'}) {
      bool lossless = true;
      std::string pair{static_cast<char>(lead), trail};
      Cp949ToUtf8(pair, &lossless);
      EXPECT_FALSE(lossless) << std::hex << lead << " " << trail;
    }
  }
}

TEST(TextTest, ReverseSearchNeverTakesASecondByteForTheCharacter) {
  // "갂" is 0x81 0x41: its second byte is 'A'.
  const std::string gak = Ansi("갂");
  ASSERT_EQ(gak, "\x81\x41");
  EXPECT_EQ(ReverseFindChar(gak, 'A'), std::string::npos);
  EXPECT_EQ(ReverseFindChar("A" + gak, 'A'), 0u);
  EXPECT_EQ(ReverseFindChar(gak + "A" + gak, 'A'), 2u);

  // A lead byte followed by '\\' or '.' is walked as one character, whatever the pair means.
  EXPECT_EQ(ReverseFindAny("dir\\\x81\\", "\\/"), 3u);
  EXPECT_EQ(ReverseFindChar("name\x81.", '.'), std::string::npos);
  EXPECT_EQ(ReverseFindChar("a.b\x81", '.'), 1u);  // a lone lead byte at the end stops nothing

  const std::string path = Ansi("C:\\첨부\\파일명.tar.gz");
  std::size_t slash = ReverseFindAny(path, "\\/");
  ASSERT_NE(slash, std::string::npos);
  EXPECT_EQ(path.substr(slash + 1), Ansi("파일명.tar.gz"));
  EXPECT_EQ(path.substr(ReverseFindChar(path, '.')), ".gz");
  EXPECT_EQ(ReverseFindAny("/home/user/a.txt", "\\/"), 10u);
  EXPECT_EQ(ReverseFindChar("README", '.'), std::string::npos);
}

}  // namespace
}  // namespace plat::text
