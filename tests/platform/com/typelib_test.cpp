// A small type library printed as ODL and stored as JSON.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/com/typelib.h"
#include "platform/text/text.h"

namespace plat::com {
namespace {

std::string Ansi(const char* utf8) { return plat::text::Utf8ToCp949(utf8); }

TypeLibrary Sample() {
  TypeLibrary lib;
  lib.libid = MakeGuid("{11111111-2222-3333-4444-555555555555}");
  lib.name = "DREV";
  lib.lcid = 0x0409;
  lib.helpFile = "DREV.hlp";
  lib.helpString = Ansi("DREV ActiveX 컨트롤 모듈");
  lib.control = true;

  TypeDispInterface dispatch;
  dispatch.iid = MakeGuid("{AAAAAAAA-0000-0000-0000-000000000001}");
  dispatch.name = "_DDrev";
  dispatch.helpString = Ansi("UploadList Control의 디스패치 인터페이스");
  dispatch.hidden = true;
  dispatch.properties = {{10, "ActionTime", {}, VT_BSTR, Ansi("속성 ActionTime")},
                         {14, "MaxNormalSize", {}, VT_I4, Ansi("속성 MaxNormalSize")}};
  dispatch.methods = {{1, "DeleteSelectedItem", {}, VT_EMPTY, Ansi("메서드 DeleteSelectedItem")},
                      {2, "UploadFiles", {}, VT_BOOL, Ansi("메서드 UploadFiles")},
                      {4, "DeleteAllItem", {{"uType", VT_UI2}}, VT_EMPTY, Ansi("메서드 DeleteAllItem")},
                      {29, "GetFileCount", {{"FILE_TYPE", VT_BSTR}}, VT_I2, ""},
                      {31, "AddDeleteFile", {{"fileid", VT_I4}, {"filesize", VT_I4}, {"bIsImage", VT_BOOL}},
                       VT_EMPTY, "say \"hi\" \\ bye"}};
  TypeDispInterface events;
  events.iid = MakeGuid("{AAAAAAAA-0000-0000-0000-000000000002}");
  events.name = "_DDrevEvents";
  events.helpString = Ansi("UploadList Control의 이벤트 인터페이스");
  events.methods = {{4, "ChangeFileList", {{"NormalSize", VT_BSTR}, {"BigSize", VT_BSTR}}, VT_EMPTY, ""}};
  lib.interfaces = {dispatch, events};

  TypeCoClass cls;
  cls.clsid = MakeGuid("{AAAAAAAA-0000-0000-0000-000000000003}");
  cls.name = "DREV";
  cls.helpString = Ansi("UploadList Control");
  cls.control = true;
  cls.defaultInterface = "_DDrev";
  cls.defaultSource = "_DDrevEvents";
  lib.coclasses = {cls};
  return lib;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    auto start = line.find_first_not_of(" \t");
    lines.push_back(start == std::string::npos ? "" : line.substr(start));
  }
  return lines;
}

// Index of the line, or -1; so tests can say a line exists and where it stands.
int Find(const std::vector<std::string>& lines, const std::string& line) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == line) return static_cast<int>(i);
  return -1;
}

TEST(TypeLibraryOdl, PrintsTheLibraryHeaderWithUtf8HelpStrings) {
  auto lines = Lines(ToOdl(Sample()));
  int first = Find(lines, "[ uuid(11111111-2222-3333-4444-555555555555), version(1.0),");
  EXPECT_GE(first, 0);
  EXPECT_EQ(Find(lines, "lcid(0x0409),"), first + 1);
  EXPECT_EQ(Find(lines, "helpfile(\"DREV.hlp\"),"), first + 2);
  EXPECT_EQ(Find(lines, "helpstring(\"DREV ActiveX 컨트롤 모듈\"),"), first + 3);
  EXPECT_EQ(Find(lines, "control ]"), first + 4);
  EXPECT_EQ(Find(lines, "library DREV"), first + 5);
  EXPECT_EQ(lines.back(), "};");
}

TEST(TypeLibraryOdl, PrintsPropertiesBeforeMethodsWithTheirTypesAndIds) {
  auto lines = Lines(ToOdl(Sample()));
  int itf = Find(lines, "dispinterface _DDrev");
  int props = Find(lines, "properties:");
  int action = Find(lines, "[id(10), helpstring(\"속성 ActionTime\")] BSTR ActionTime;");
  int methods = Find(lines, "methods:");
  EXPECT_GE(itf, 0);
  EXPECT_LT(itf, props);
  EXPECT_LT(props, action);
  EXPECT_LT(action, methods);
  EXPECT_GT(Find(lines, "[id(14), helpstring(\"속성 MaxNormalSize\")] long MaxNormalSize;"), action);
  EXPECT_GT(Find(lines, "[id(1), helpstring(\"메서드 DeleteSelectedItem\")] void DeleteSelectedItem();"), methods);
  EXPECT_GT(Find(lines, "[id(2), helpstring(\"메서드 UploadFiles\")] boolean UploadFiles();"), methods);
  EXPECT_GT(Find(lines, "[id(4), helpstring(\"메서드 DeleteAllItem\")] void DeleteAllItem(unsigned short uType);"),
            methods);
  EXPECT_GT(Find(lines, "[id(29)] short GetFileCount(BSTR FILE_TYPE);"), methods);
  EXPECT_GT(Find(lines, "[id(31), helpstring(\"say \\\"hi\\\" \\\\ bye\")] "
                        "void AddDeleteFile(long fileid, long filesize, boolean bIsImage);"), methods);
  EXPECT_EQ(Find(lines, "helpstring(\"UploadList Control의 디스패치 인터페이스\"), hidden ]"), itf - 1);
}

TEST(TypeLibraryOdl, PrintsTheCoclassWithItsDefaultAndSourceInterfaces) {
  auto lines = Lines(ToOdl(Sample()));
  int cls = Find(lines, "coclass DREV");
  EXPECT_EQ(Find(lines, "[ uuid(AAAAAAAA-0000-0000-0000-000000000003),"), cls - 2);
  EXPECT_EQ(Find(lines, "helpstring(\"UploadList Control\"), control ]"), cls - 1);
  EXPECT_EQ(Find(lines, "[default] dispinterface _DDrev;"), cls + 2);
  EXPECT_EQ(Find(lines, "[default, source] dispinterface _DDrevEvents;"), cls + 3);
  EXPECT_GT(Find(lines, "dispinterface _DDrevEvents"), Find(lines, "dispinterface _DDrev"));
}

TEST(TypeLibraryJson, RoundTripsExactly) {
  TypeLibrary lib = Sample();
  TypeLibrary back;
  ASSERT_EQ(FromJson(ToJson(lib), &back), S_OK);
  EXPECT_EQ(back, lib);
  EXPECT_EQ(back.FindInterface("_DDrevEvents")->methods[0].params[1].name, "BigSize");
  EXPECT_EQ(back.FindInterface("_DDrevX"), nullptr);
}

TEST(TypeLibraryJson, RefusesMalformedTextAndLeavesTheTargetAlone) {
  std::string good = ToJson(Sample());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
  };
  TypeLibrary target;
  target.name = "untouched";
  for (const std::string& bad :
       {std::string(""), std::string("{"), std::string("[]"), good.substr(0, good.size() / 2),
        replaced("\"libid\":\"{11111111", "\"libid\":\"{1111111X"),
        replaced("\"lcid\":1033", "\"lcid\":\"en\""), replaced("\"name\":\"DREV\",", "")}) {
    EXPECT_EQ(FromJson(bad, &target), E_INVALIDARG) << bad.substr(0, 60);
    EXPECT_EQ(target.name, "untouched");
  }
}

}  // namespace
}  // namespace plat::com
