// Reading pages: objects with their params and sizes, script blocks in order with their lines, and
// the attribute forms a page may use.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/HtmlPage.h"
#include "platform/text/text.h"

namespace drev::host {
namespace {

constexpr const char* kPage = R"html(<!DOCTYPE html>
<HTML><BODY>
<OBJECT ID="up" CLASSID="clsid:6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11" WIDTH="640px" HEIGHT="50%">
  <PARAM NAME="Normal_ServerName" VALUE="127.0.0.1">
  <param name="Normal_UploadURL" value="/게시판/upload?a=1&amp;b=2">
</OBJECT>
<script for="up" event="ChangeFileList(normal, big)">
  log.push(normal);
</script>
<object id="plain"></object>
<script type="text/javascript">var first = 1;</script>
<script language="VBScript">MsgBox "x"</script>
<script src="lib/helper.js"></script>
</BODY></HTML>
)html";

TEST(HtmlPageTest, ObjectsCarryTheirParamsAndSizesWhateverTheLetterCase) {
  Page page = ParsePage(kPage, "/pages");
  ASSERT_EQ(page.objects.size(), 2u);
  const PageObject& up = page.objects[0];
  EXPECT_EQ(up.id, "up");
  EXPECT_EQ(ParseClassId(up.classid), plat::com::MakeGuid("{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}"));
  EXPECT_EQ(up.width, 640);
  EXPECT_EQ(up.height, kViewportHeight / 2);
  EXPECT_EQ(up.line, 3);
  ASSERT_EQ(up.params.size(), 2u);
  EXPECT_EQ(up.params[0], (std::pair<std::string, std::string>{"Normal_ServerName", "127.0.0.1"}));
  EXPECT_EQ(up.params[1].second, "/게시판/upload?a=1&b=2");  // entities decoded, UTF-8 kept
  EXPECT_EQ(page.objects[1].classid, "");
  EXPECT_EQ(page.objects[1].width, kDefaultObjectWidth);
  EXPECT_EQ(page.objects[1].height, kDefaultObjectHeight);
}

TEST(HtmlPageTest, ScriptsComeInDocumentOrderWithTheirLinesAndKinds) {
  Page page = ParsePage(kPage, "/pages");
  ASSERT_EQ(page.scripts.size(), 4u);
  EXPECT_EQ(page.scripts[0].forId, "up");
  EXPECT_EQ(page.scripts[0].event, "ChangeFileList(normal, big)");
  EXPECT_EQ(page.scripts[0].line, 7);
  EXPECT_NE(page.scripts[0].text.find("log.push(normal);"), std::string::npos);
  EXPECT_EQ(page.scripts[1].text, "var first = 1;");
  EXPECT_EQ(page.scripts[1].line, 11);
  EXPECT_TRUE(IsJavaScript(page.scripts[1].language));
  EXPECT_FALSE(IsJavaScript(page.scripts[2].language));
  EXPECT_EQ(page.scripts[3].src, "/pages/lib/helper.js");
  EXPECT_TRUE(page.scripts[3].text.empty());
}

TEST(HtmlPageTest, APageInTheKoreanCodePageIsReadByItsMetaCharset) {
  std::string html = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">"
                     "</head><body><object id=\"x\" classid=\"clsid:6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11\">"
                     "<param name=\"title\" value=\"" + plat::text::Utf8ToCp949("회의록") + "\"></object></body></html>";
  Page page = ParsePage(html, "/");
  ASSERT_EQ(page.objects.size(), 1u);
  ASSERT_EQ(page.objects[0].params.size(), 1u);
  EXPECT_EQ(page.objects[0].params[0].second, "회의록");
}

TEST(HtmlPageTest, LoadingReportsPagesThatCannotBeRead) {
  std::string error;
  EXPECT_FALSE(LoadPage("/nonexistent/page.html", &error));
  EXPECT_NE(error.find("/nonexistent/page.html"), std::string::npos);
  EXPECT_FALSE(LoadPage(std::filesystem::temp_directory_path().string(), &error));

  // A device that never ends is refused at the size bound, not read until memory runs out.
  EXPECT_FALSE(LoadPage("/dev/zero", &error));
  EXPECT_NE(error.find("larger than 64 MiB"), std::string::npos) << error;

  // A named pipe is refused, not waited on until a writer comes.
  auto fifo = std::filesystem::temp_directory_path() / ("drev-fifo-" + std::to_string(getpid()) + ".html");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(LoadPage(fifo.string(), &error));
  EXPECT_NE(error.find("it is a pipe or a socket, not a file"), std::string::npos) << error;
  std::filesystem::remove(fifo);

  auto path = std::filesystem::temp_directory_path() / ("drev-page-" + std::to_string(getpid()) + ".html");
  std::ofstream(path) << "<script>\nvar a;</script>";
  auto page = LoadPage(path.string(), &error);
  std::filesystem::remove(path);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->path, path.string());
  ASSERT_EQ(page->scripts.size(), 1u);
}

// What the parser cannot read past is told with its line, never a page silently cut short there.
TEST(HtmlPageTest, APageTheParserStopsInIsRefusedWithWhatAndWhere) {
  std::string problem;
  std::string nul = "<html><body>\n<p>one</p>\n<p>two";
  nul += '\0';
  nul += "</p><object id=\"up\"></object></body></html>";
  Page page = ParsePage(nul, "/", &problem);
  EXPECT_EQ(problem, "a NUL byte (character 0) at line 3; nothing after it would be read");

  // UTF-16 with a byte order mark: its zero bytes are halves of characters, not NULs, until a
  // whole unit is zero.
  auto utf16 = [](std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += {c, '\0'};
    return out;
  };
  page = ParsePage(utf16("<html><body>\n<object id=\"up\"></object></body></html>"), "/", &problem);
  EXPECT_EQ(problem, "");
  ASSERT_EQ(page.objects.size(), 1u);
  EXPECT_EQ(page.objects[0].id, "up");
  ParsePage(utf16("<html><body>\n<p>") + std::string(2, '\0') + utf16("</p></body>").substr(2), "/", &problem);
  EXPECT_EQ(problem, "a NUL byte (character 0) at line 2; nothing after it would be read");

  std::string deep = "<html><body>";
  for (int i = 0; i < 300; ++i) deep += "<div>\n";
  deep += "<object id=\"up\"></object></body></html>";
  ParsePage(deep, "/", &problem);
  EXPECT_EQ(problem.find("elements nested more than 256 deep at line "), 0u) << problem;
  // As deep as a real page goes is read whole.
  deep = "<html><body>";
  for (int i = 0; i < 200; ++i) deep += "<div>\n";
  page = ParsePage(deep + "<object id=\"up\"></object></body></html>", "/", &problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(page.objects.size(), 1u);

  // Loading such a page fails, naming the page and the reason.
  auto path = std::filesystem::temp_directory_path() / ("drev-nul-" + std::to_string(getpid()) + ".html");
  std::ofstream(path, std::ios::binary) << nul;
  std::string error;
  EXPECT_FALSE(LoadPage(path.string(), &error));
  std::filesystem::remove(path);
  EXPECT_EQ(error, "cannot read page " + path.string() + ": a NUL byte (character 0) at line 3; nothing after it would be read");
}

TEST(HtmlPageTest, Lengths) {
  EXPECT_EQ(ParseLength("600", 1, 800), 600);
  EXPECT_EQ(ParseLength(" 600px ", 1, 800), 600);
  EXPECT_EQ(ParseLength("600.7", 1, 800), 600);
  EXPECT_EQ(ParseLength("25%", 1, 800), 200);
  for (const char* bad : {"", "px", "-5", "10em", "12345678901"}) EXPECT_EQ(ParseLength(bad, 7, 800), 7) << bad;
}

TEST(HtmlPageTest, ClassIds) {
  const auto id = plat::com::MakeGuid("{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}");
  EXPECT_EQ(ParseClassId("CLSID:6b1e2a41-3c57-4d8e-9a21-5f0c7d3e8b11"), id);
  EXPECT_EQ(ParseClassId("clsid:{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}"), id);
  EXPECT_FALSE(ParseClassId("6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11"));
  EXPECT_FALSE(ParseClassId("clsid:DREV.multiuploadctrl.1"));
  EXPECT_FALSE(ParseClassId("clsid:"));
}

TEST(HtmlPageTest, EventSignatures) {
  auto s = ParseEventSignature(" OnFileDeleted( size , total ) ");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->name, "OnFileDeleted");
  EXPECT_EQ(s->params, (std::vector<std::string>{"size", "total"}));
  s = ParseEventSignature("StartUpload()");
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->params.empty());
  ASSERT_TRUE(ParseEventSignature("StartUpload"));
  for (const char* bad : {"", "(a)", "Name(a,", "Name(a,)", "Name(1a)", "Name(a b)", "Na me()"})
    EXPECT_FALSE(ParseEventSignature(bad)) << bad;
}

}  // namespace
}  // namespace drev::host

namespace drev::host {
namespace {

std::string FlowText(const Page& page) {
  std::string text;
  for (const FlowItem& item : page.flow) {
    switch (item.kind) {
      case FlowItem::Kind::kBreak: text += item.newline ? "|br" : "|"; break;
      case FlowItem::Kind::kWord:
        text += std::string(item.spaceBefore ? " " : "") + (item.heading ? "h" + std::to_string(item.heading) + ":" : "") +
                item.text;
        break;
      case FlowItem::Kind::kObject: text += std::string(item.spaceBefore ? " " : "") + "[object " + std::to_string(item.index) + "]"; break;
      case FlowItem::Kind::kControl: text += std::string(item.spaceBefore ? " " : "") + "[control " + std::to_string(item.index) + "]"; break;
    }
  }
  return text;
}

TEST(HtmlPageTest, TheBodyFlowsInDocumentOrderWithItsControls) {
  Page page = ParsePage(R"html(<html><head><title>  글쓰기
   page </title><style>p { color: red }</style></head>
<body>
<h2>Write <b>a</b>post</h2>
<object id="hidden-in-p" classid="clsid:6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11"><object id="inner"></object>fallback</object>
<p>제목:&nbsp;<input id="title" type="text" value="주간 회의록" size="30">
<input type="hidden" id="token" value="t1"><input type="checkbox" id="c">
<button id="go" onclick="send(); return false;">보내기  <i>now</i></button><input type="submit"></p>
<textarea id="memo" rows="4" cols="40">
line one
line two</textarea>line<br><br>end<img src="x.png" alt="no"><script>var x = "<p>not text</p>";</script>
</body></html>)html",
                        "/pages");
  EXPECT_EQ(page.title, "글쓰기 page");
  ASSERT_EQ(page.objects.size(), 2u);
  EXPECT_EQ(FlowText(page),
            "|h2:Write h2:ah2:post|[object 0]|제목: [control 0] [control 2][control 3]|[control 4]line|br|brend");
  ASSERT_EQ(page.controls.size(), 5u);
  EXPECT_EQ(page.controls[0].kind, PageControl::Kind::kTextInput);
  EXPECT_EQ(page.controls[0].value, "주간 회의록");
  EXPECT_EQ(page.controls[0].size, 30);
  EXPECT_EQ(page.controls[1].kind, PageControl::Kind::kHidden);
  EXPECT_EQ(page.controls[1].id, "token");
  EXPECT_EQ(page.controls[2].kind, PageControl::Kind::kButton);
  EXPECT_EQ(page.controls[2].value, "보내기 now");
  EXPECT_EQ(page.controls[2].onclick, "send(); return false;");
  EXPECT_EQ(page.controls[2].line, 8);
  EXPECT_EQ(page.controls[3].value, "Submit");
  EXPECT_EQ(page.controls[4].kind, PageControl::Kind::kTextArea);
  EXPECT_EQ(page.controls[4].value, "line one\nline two");  // the line feed after the tag dropped
  EXPECT_EQ(page.controls[4].rows, 4);
  EXPECT_EQ(page.controls[4].cols, 40);
}

}  // namespace
}  // namespace drev::host
