// The "Edit" class: typing (CP949 bytes as an ANSI window gets them, or code points), the caret keys over double-byte characters,
// several lines, clicks that place the caret and take the focus, and the parent's notices.
#include <gtest/gtest.h>

#include <vector>

#include "platform/text/text.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "tests/platform/win/test_window.h"

namespace plat::win {
namespace {

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent = testing::CreateTestWindow([this](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_COMMAND) codes.push_back(HIWORD(wParam));
      return std::nullopt;
    }, WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 200});
  }
  void TearDown() override { DestroyWindow(parent); }

  HWND Make(DWORD style, const char* text = "", RECT rect = {10, 10, 210, 34}) {
    return CreateWindowEx(WS_EX_CLIENTEDGE, "Edit", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rect.left,
                          rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, 300, nullptr);
  }
  static void Type(HWND edit, std::u32string chars) {
    for (char32_t c : chars) SendMessage(edit, WM_CHAR, c, 1);
  }
  // What the screen sends for typed text: its CP949 bytes, one WM_CHAR each.
  static void TypeBytes(HWND edit, const std::string& utf8) {
    for (char byte : text::Utf8ToCp949(utf8)) SendMessage(edit, WM_CHAR, static_cast<unsigned char>(byte), 1);
  }
  static void Key(HWND edit, UINT key) { SendMessage(edit, WM_KEYDOWN, key, 1); }
  static DWORD Caret(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);
    return end;
  }
  static std::string Utf8(HWND edit) { return text::Cp949ToUtf8(GetWindowText(edit)); }

  HWND parent = nullptr;
  std::vector<WORD> codes;
};

TEST_F(EditTest, TypedCharactersGoInAtTheCaretAsCp949AndTheCaretKeysWalkWholeCharacters) {
  HWND edit = Make(ES_AUTOHSCROLL);
  TypeBytes(edit, "회");
  Type(edit, U"의 A");
  EXPECT_EQ(Utf8(edit), "회의 A");
  EXPECT_EQ(GetWindowText(edit), text::Utf8ToCp949("회의 A"));
  EXPECT_EQ(Caret(edit), 6u);  // two double-byte characters, a space and a letter
  Key(edit, VK_LEFT);
  Key(edit, VK_LEFT);
  Key(edit, VK_LEFT);          // before 의: never inside a character
  EXPECT_EQ(Caret(edit), 2u);
  TypeBytes(edit, "록");
  Type(edit, U"\b");            // Backspace takes the whole character before the caret
  Type(edit, U"x");
  EXPECT_EQ(Utf8(edit), "회x의 A");
  Key(edit, VK_HOME);
  Key(edit, VK_DELETE);
  EXPECT_EQ(Utf8(edit), "x의 A");
  Key(edit, VK_END);
  Type(edit, U"\t\r\x7f" U"\U0001F600");  // control characters are not text; one the code page lacks is '?'
  EXPECT_EQ(Utf8(edit), "x의 A?");
  SendMessage(edit, WM_CHAR, 0xB0, 1);  // a lead byte, then no second byte: nothing is typed
  Type(edit, U"!");
  SendMessage(edit, WM_CHAR, 0x80, 1);  // no character starts with this byte
  EXPECT_EQ(Utf8(edit), "x의 A?!");
  EXPECT_FALSE(codes.empty());
  EXPECT_EQ(codes.back(), EN_CHANGE);
  SetWindowText(edit, text::Utf8ToCp949("새 값"));
  EXPECT_EQ(Caret(edit), 5u);  // a text set from outside leaves the caret at its end
  Key(edit, VK_RIGHT);
  EXPECT_EQ(Caret(edit), 5u);
}

TEST_F(EditTest, SeveralLinesTakeEnterAndMoveUpAndDownByColumn) {
  HWND edit = Make(ES_MULTILINE, "", RECT{10, 10, 210, 110});
  Type(edit, U"first\rab\rthird");
  EXPECT_EQ(GetWindowText(edit), "first\nab\nthird");
  Key(edit, VK_UP);  // from column 5 of "third" to the end of "ab"
  EXPECT_EQ(Caret(edit), 8u);
  Key(edit, VK_UP);
  EXPECT_EQ(Caret(edit), 2u);  // column 2 of "first"
  Key(edit, VK_HOME);
  Key(edit, VK_LEFT);  // at the very start nothing moves
  EXPECT_EQ(Caret(edit), 0u);
  Key(edit, VK_END);
  Key(edit, VK_RIGHT);  // over the line feed to the next line's start
  EXPECT_EQ(Caret(edit), 6u);
  Type(edit, U"\b");  // joins the lines
  EXPECT_EQ(GetWindowText(edit), "firstab\nthird");
  HWND single = Make(0, "one", RECT{10, 120, 210, 144});
  Type(single, U"\r");
  Key(single, VK_UP);
  EXPECT_EQ(GetWindowText(single), "one");  // Enter is no text in a box of one line
}

TEST_F(EditTest, AClickTakesTheFocusAndPutsTheCaretAtTheNearestCharacter) {
  HWND first = Make(0, "abcdefgh");
  HWND second = Make(0, text::Utf8ToCp949("가나다라").c_str(), RECT{10, 50, 210, 74});
  SetFocus(first);
  ASSERT_TRUE(SendClick(second, POINT{1, 12}));
  EXPECT_EQ(GetFocus(), second);
  EXPECT_EQ(Caret(second), 0u);
  ASSERT_TRUE(SendClick(second, POINT{190, 12}));
  EXPECT_EQ(Caret(second), 8u);  // past the text: its end
  // The caret shows where the focus is: a dark line at the text's end, none in the other box.
  auto darkIn = [](HWND edit, int fromX, int toX) {
    for (int x = fromX; x < toX; ++x)
      if (GetWindowPixel(edit, x, 10) == RGB(0, 0, 0)) return true;
    return false;
  };
  EXPECT_FALSE(darkIn(second, 150, 190));
  SendMessage(second, EM_SETSEL, 0, 2);
  EXPECT_EQ(Caret(second), 2u);
  SendMessage(second, EM_SETSEL, 0, 3);  // inside a character: back to its start
  EXPECT_EQ(Caret(second), 2u);
  EnableWindow(second, FALSE);
  EXPECT_FALSE(SendClick(second, POINT{1, 12}));
  Type(second, U"x");
  EXPECT_EQ(Utf8(second), "가나다라");  // a disabled box takes no typing
  EXPECT_NE(std::find(codes.begin(), codes.end(), EN_SETFOCUS), codes.end());
}

}  // namespace
}  // namespace plat::win
