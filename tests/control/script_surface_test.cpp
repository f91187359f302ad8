// The control's script surface as a page sees it: ids and names, argument and result conversions,
// the missing-member error, the properties and the small methods.
#include <gtest/gtest.h>

#include "control/CurrentControl.h"
#include "control/DispIds.h"
#include "model/UploadSettings.h"
#include "platform/com/persist.h"
#include "tests/control/control_fixture.h"

namespace drev::testing {
namespace {

namespace pc = plat::com;
namespace d = dispid;

using ScriptSurfaceTest = ControlTest;

TEST_F(ScriptSurfaceTest, EveryMemberOfTheTypeLibraryIsFoundUnderItsIdAndHelpStringsFollowTheRule) {
  const pc::TypeDispInterface* itf = DrevTypeLibrary().FindInterface("_DDrev");
  ASSERT_NE(itf, nullptr);
  for (const auto* members : {&itf->methods, &itf->properties}) {
    for (const auto& m : *members) {
      EXPECT_EQ(Host().IdOf(m.name), m.id) << m.name;
      std::string prefix = members == &itf->methods ? "메서드 " : "속성 ";
      std::string name = m.name == "BIG_ServerName" ? "ServerName" : m.name;
      EXPECT_EQ(plat::text::Cp949ToUtf8(m.helpString), prefix + name) << m.name;
    }
  }
  for (const auto& e : EventInterface().methods)
    EXPECT_EQ(plat::text::Cp949ToUtf8(e.helpString), "메서드 " + e.name);
  // Implemented but not declared: a page reaches it by name all the same; names ignore case.
  EXPECT_EQ(itf->properties.size(), 10u);
  for (const auto& p : itf->properties) EXPECT_NE(p.name, "Normal_UploadURL");
  EXPECT_EQ(Host().IdOf("Normal_UploadURL"), d::Normal_UploadURL);
  EXPECT_EQ(Host().IdOf("getscrapyn"), d::getScrapYn);
  EXPECT_EQ(Host().IdOf("NoSuchMember"), pc::DISPID_UNKNOWN);

  plat::UINT count = 0;
  EXPECT_EQ(Host().Dispatch()->GetTypeInfoCount(&count), pc::S_OK);
  EXPECT_EQ(count, 1u);
}

TEST_F(ScriptSurfaceTest, DeclaredOnlyPropertiesAndUnknownIdsGiveTheMissingMemberError) {
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  for (pc::DISPID id : {d::PID, d::BIG_UploadURL, d::BIG_PrecheckURL, d::BIG_ServerName, d::MinBigFileSize,
                        d::BIG_ExpireDay}) {
    EXPECT_EQ(Host().Get(id).hr, pc::DISP_E_MEMBERNOTFOUND) << id;
    EXPECT_EQ(Host().Put(id, "x").hr, pc::DISP_E_MEMBERNOTFOUND) << id;
    EXPECT_EQ(Host().Put(id, std::int32_t{1}).hr, pc::DISP_E_MEMBERNOTFOUND) << id;
  }
  EXPECT_EQ(Host().Get("BIG_ServerName").hr, pc::DISP_E_MEMBERNOTFOUND);
  for (pc::DISPID id : {0, 5, 20, 21, 25, 40, 100, -1})
    EXPECT_EQ(Host().Call(id).hr, pc::DISP_E_MEMBERNOTFOUND) << id;
  // A property is not a method and a method not a property.
  EXPECT_EQ(Host().Call(d::ActionTime).hr, pc::DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Host().Get(d::GetUploadSize).hr, pc::DISP_E_MEMBERNOTFOUND);
  // None of these touched the control's state.
  EXPECT_EQ(Host().IsDirty(), pc::S_FALSE);
  EXPECT_TRUE(EventLog().empty());
}

TEST_F(ScriptSurfaceTest, KoreanTextCrossesTheBoundaryBothWays) {
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  const std::string korean = "업로드 서버.한국";
  ASSERT_EQ(Host().Put("Normal_ServerName", korean).hr, pc::S_OK);
  EXPECT_EQ(Host().Get("Normal_ServerName").Text(), korean);
  EXPECT_EQ(GetCurrentControl()->GetUploadSettings()->Normal_ServerName, Ansi(korean));

  // The page's fields and referer arrive as CP949 bytes, in order, duplicates kept.
  ASSERT_TRUE(Host().Call("AddParameter", {"제목", "첫 번째"}).ok());
  ASSERT_TRUE(Host().Call("AddParameter", {"제목", "첫 번째"}).ok());
  ASSERT_TRUE(Host().Call("SetReferer", {"http://예제.kr/글쓰기"}).ok());
  const UploadSettings& s = *GetCurrentControl()->GetUploadSettings();
  ASSERT_EQ(s.Parameters.size(), 2u);
  EXPECT_EQ(s.Parameters[0], std::make_pair(Ansi("제목"), Ansi("첫 번째")));
  EXPECT_EQ(s.Parameters[1], s.Parameters[0]);
  EXPECT_EQ(s.Referer, Ansi("http://예제.kr/글쓰기"));

  // A reply the worker stored comes back as a new UTF-16 string.
  EXPECT_EQ(Host().Call("GetServerResponse").Text(), "");
  GetCurrentControl()->SetServerResponse(Ansi("<결과>성공</결과>"));
  host::CallResult reply = Host().Call("GetServerResponse");
  ASSERT_EQ(reply.value.vt(), pc::VT_BSTR);
  EXPECT_EQ(reply.Text(), "<결과>성공</결과>");
}

TEST_F(ScriptSurfaceTest, BooleansAreNonzeroOnEntryAndMinusOneOnReturn) {
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  host::CallResult off = Host().Call("getScrapYn");
  ASSERT_EQ(off.value.vt(), pc::VT_BOOL);
  EXPECT_EQ(off.value.boolVal(), 0);
  for (host::ScriptArg on : {host::ScriptArg(std::int32_t{5}), host::ScriptArg(true), host::ScriptArg(-1.0)}) {
    ASSERT_TRUE(Host().Call("setScrapYn", {on}).ok());
    EXPECT_EQ(Host().Call("getScrapYn").value, pc::Variant::Bool(true));
    EXPECT_EQ(Host().Call("getScrapYn").value.boolVal(), -1);
    ASSERT_TRUE(Host().Call("setScrapYn", {std::int32_t{0}}).ok());
    EXPECT_EQ(Host().Call("getScrapYn").value.boolVal(), 0);
  }
  // Arguments that do not fit their declared types are refused at the boundary.
  EXPECT_EQ(Host().Call("DeleteAllItem", {std::int32_t{70000}}).hr, pc::DISP_E_OVERFLOW);
  EXPECT_EQ(Host().Call("SetUploadSize", {"many"}).hr, pc::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Host().Call("AddParameter", {"only one"}).hr, pc::DISP_E_BADPARAMCOUNT);
}

TEST_F(ScriptSurfaceTest, GetFileCountAnswersZeroForAnyOtherKey) {
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  for (const char* key : {"attach_file", "ATTACH_FILES", "", "TOTAL", "DELETE_FILE "}) {
    host::CallResult r = Host().Call("GetFileCount", {key});
    ASSERT_EQ(r.value.vt(), pc::VT_I2) << key;
    EXPECT_EQ(r.value.iVal(), 0) << key;
  }
}

TEST_F(ScriptSurfaceTest, TestShowsItsFixedTextWhateverItIsGiven) {
  ASSERT_TRUE(Host().Call("test", {"보여 줄 글"}).ok());
  ASSERT_TRUE(Host().Call("test", {""}).ok());
  auto boxes = plat::win::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 2u);
  for (const auto& box : boxes) {
    EXPECT_EQ(plat::text::Cp949ToUtf8(box.text), "무조건 테스트버전13");
    EXPECT_EQ(box.caption, "zelk");
    EXPECT_EQ(box.type, plat::win::MB_OK | plat::win::MB_ICONEXCLAMATION);
  }
}

TEST_F(ScriptSurfaceTest, PropertyWritesReachTheSettingsAndMarkTheControlModified) {
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  const UploadSettings& s = *GetCurrentControl()->GetUploadSettings();
  struct Write {
    const char* name;
    host::ScriptArg value;
  };
  for (const Write& w : {Write{"ActionTime", "20240102030405"}, Write{"MaxNormalSize", std::int32_t{-3}},
                         Write{"MaxFileCount", std::int32_t{3}}, Write{"Normal_ServerName", "up.example.kr"},
                         Write{"Normal_UploadURL", "/bin/up.jsp?a=1"}}) {
    std::vector<plat::BYTE> saved;
    ASSERT_EQ(Host().SaveStream(&saved), pc::S_OK);  // clears the modified flag
    ASSERT_EQ(Host().IsDirty(), pc::S_FALSE);
    ASSERT_TRUE(Host().Put(w.name, w.value).ok()) << w.name;
    EXPECT_EQ(Host().IsDirty(), pc::S_OK) << w.name;
    EXPECT_EQ(Host().Get(w.name).value, w.value.value()) << w.name;
  }
  EXPECT_EQ(s.ActionTime, "20240102030405");
  EXPECT_EQ(s.MaxNormalSize, -3);
  EXPECT_EQ(s.MaxFileCount, 3);
  EXPECT_EQ(s.Normal_ServerName, "up.example.kr");
  EXPECT_EQ(s.Normal_UploadURL, "/bin/up.jsp?a=1");

  // Page state of the moment is not saved with the control.
  std::vector<plat::BYTE> saved;
  ASSERT_EQ(Host().SaveStream(&saved), pc::S_OK);
  ASSERT_TRUE(Host().Call("SetReferer", {"http://a.kr/"}).ok());
  ASSERT_TRUE(Host().Call("AddParameter", {"a", "b"}).ok());
  ASSERT_TRUE(Host().Call("SetMaxFileSize", {std::int32_t{1}}).ok());
  EXPECT_EQ(Host().IsDirty(), pc::S_FALSE);
}

TEST_F(ScriptSurfaceTest, TheControlAnswersItsHostingQueries) {
  auto persist = Host().As<pc::IPersistStreamInit>();
  ASSERT_TRUE(persist);
  pc::CLSID clsid;
  EXPECT_EQ(persist->GetClassID(&clsid), pc::S_OK);
  EXPECT_EQ(clsid, CLSID_DREV);
  auto window = Host().As<IControlWindow>();
  ASSERT_TRUE(window);
  plat::DWORD misc = 0;
  EXPECT_EQ(window->GetMiscStatus(&misc), pc::S_OK);
  EXPECT_EQ(misc, 0x00020191u);
  // The dispatch interface's own id reaches the same object.
  pc::ComPtr<pc::IDispatch> byIid;
  EXPECT_EQ(Host().Dispatch()->QueryInterface(DIID__DDrev, byIid.PutVoid()), pc::S_OK);
  EXPECT_EQ(byIid.Get(), Host().Dispatch());
  // There is one connection point: the event interface's.
  auto container = Host().As<pc::IConnectionPointContainer>();
  pc::ComPtr<pc::IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(DIID__DDrev, point.Put()), pc::CONNECT_E_NOCONNECTION);
}

TEST_F(ScriptSurfaceTest, TheNewestControlIsCurrentAndADestroyedOneLeavesNothingBehind) {
  IUploadControl* first = GetCurrentControl();
  ASSERT_NE(first, nullptr);
  {
    host::ControlHost second(factory_.Get());
    ASSERT_TRUE(second.ok());
    EXPECT_NE(GetCurrentControl(), first);
    ASSERT_TRUE(second.Put("MaxFileCount", std::int32_t{77}).ok());
    EXPECT_EQ(GetCurrentControl()->GetUploadSettings()->MaxFileCount, 77);
  }
  // The second control took the pointer over; its destruction cleared it instead of leaving it
  // pointing at freed memory.
  EXPECT_EQ(GetCurrentControl(), nullptr);
  host_.reset();
  EXPECT_EQ(DrevModule().CanUnloadNow(), pc::S_OK);
}

}  // namespace
}  // namespace drev::testing
