// The control's persisted properties: defaults, loading from a page's set, saving, reloading from a
// saved stream or set, reset, and the time stamp's form.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "control/ActionTime.h"
#include "control/CurrentControl.h"
#include "model/UploadSettings.h"
#include "tests/control/control_fixture.h"

namespace drev::testing {
namespace {

namespace pc = plat::com;
using Params = std::vector<std::pair<std::string, std::string>>;

class PersistenceTest : public ControlTest {
 protected:
  const UploadSettings& Settings() { return *GetCurrentControl()->GetUploadSettings(); }

  // The time stamp is the local time of some moment in [before, after], every field once.
  static bool IsStampBetween(const std::string& stamp, std::time_t before, std::time_t after) {
    for (std::time_t t = before; t <= after; ++t)
      if (stamp == FormatActionTime(t)) return true;
    return false;
  }
};

TEST_F(PersistenceTest, APlacedControlWithoutValuesTakesTheDefaultsAndTheTimeOfLoading) {
  // Until the first load the settings hold their construction values.
  EXPECT_EQ(Settings().MaxFileCount, 0);
  EXPECT_EQ(Settings().MaxNormalSize, 0);
  EXPECT_EQ(Settings().ActionTime, "");

  std::time_t before = std::time(nullptr);
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  std::time_t after = std::time(nullptr);
  EXPECT_EQ(Host().Get("MaxFileCount").value, pc::Variant::I4(10));
  EXPECT_EQ(Host().Get("MaxNormalSize").value, pc::Variant::I4(20480000));
  EXPECT_EQ(Host().Get("Normal_ServerName").Text(), "");
  EXPECT_EQ(Host().Get("Normal_UploadURL").Text(), "");
  std::string stamp = Host().Get("ActionTime").Text();
  EXPECT_TRUE(std::regex_match(stamp, std::regex("[0-9]{14}"))) << stamp;
  EXPECT_TRUE(IsStampBetween(stamp, before, after)) << stamp;
  EXPECT_EQ(Host().IsDirty(), pc::S_FALSE);
}

TEST_F(PersistenceTest, TheStampNamesMinutesAndSecondsEachOnce) {
  // 2026-03-04 05:06:07 local time.
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 4;
  local.tm_hour = 5;
  local.tm_min = 6;
  local.tm_sec = 7;
  local.tm_isdst = -1;
  EXPECT_EQ(FormatActionTime(std::mktime(&local)), "20260304050607");
}

TEST_F(PersistenceTest, APageSetConfiguresTheControlAndBadValuesFallBackToDefaults) {
  ASSERT_EQ(Host().LoadProperties({{"normal_servername", "upload.한국.kr"},
                                   {"Normal_UploadURL", "/bin/upload.jsp?board=1"},
                                   {"MaxFileCount", "3"},
                                   {"MaxNormalSize", "lots"},
                                   {"ActionTime", "20200101000000"}}),
            pc::S_OK);
  EXPECT_EQ(Settings().Normal_ServerName, Ansi("upload.한국.kr"));
  EXPECT_EQ(Settings().Normal_UploadURL, "/bin/upload.jsp?board=1");
  EXPECT_EQ(Settings().MaxFileCount, 3);
  EXPECT_EQ(Settings().MaxNormalSize, 20480000);
  EXPECT_EQ(Settings().ActionTime, "20200101000000");
  // Script reads see the loaded values too.
  EXPECT_EQ(Host().Get("Normal_UploadURL").Text(), "/bin/upload.jsp?board=1");
  EXPECT_EQ(Host().Get("MaxFileCount").value, pc::Variant::I4(3));
}

TEST_F(PersistenceTest, SavingWritesTheVersionFrameworkAndFivePropertiesInOrder) {
  ASSERT_EQ(Host().LoadProperties({{"MaxFileCount", "4"}, {"Normal_ServerName", "서버"}}), pc::S_OK);
  std::vector<std::pair<std::string, pc::Variant>> saved;
  ASSERT_EQ(Host().SaveProperties(&saved), pc::S_OK);
  std::vector<std::string> names;
  for (const auto& [name, value] : saved) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"_Version", "_ExtentX", "_ExtentY", "ActionTime", "MaxNormalSize",
                                             "MaxFileCount", "Normal_ServerName", "Normal_UploadURL"}));
  EXPECT_EQ(saved[0].second, pc::Variant::I4(0x00010000));
  EXPECT_EQ(saved[5].second, pc::Variant::I4(4));
  EXPECT_EQ(saved[6].second, pc::Variant::Bstr(u"서버"));
}

TEST_F(PersistenceTest, SavedStateReloadsUnchangedThroughAStreamAndThroughASet) {
  ASSERT_EQ(Host().LoadProperties({{"ActionTime", "20110203040506"},
                                   {"MaxNormalSize", "-7"},
                                   {"MaxFileCount", "2147483647"},
                                   {"Normal_ServerName", "업로드.kr"},
                                   {"Normal_UploadURL", "/up?x=한글"}}),
            pc::S_OK);
  const UploadSettings expected = Settings();
  std::vector<plat::BYTE> stream;
  ASSERT_EQ(Host().SaveStream(&stream), pc::S_OK);
  std::vector<std::pair<std::string, pc::Variant>> set;
  ASSERT_EQ(Host().SaveProperties(&set), pc::S_OK);

  auto check = [&](const char* how) {
    const UploadSettings& s = Settings();
    EXPECT_EQ(s.ActionTime, expected.ActionTime) << how;  // kept, not replaced by a new time
    EXPECT_EQ(s.MaxNormalSize, expected.MaxNormalSize) << how;
    EXPECT_EQ(s.MaxFileCount, expected.MaxFileCount) << how;
    EXPECT_EQ(s.Normal_ServerName, expected.Normal_ServerName) << how;
    EXPECT_EQ(s.Normal_UploadURL, expected.Normal_UploadURL) << how;
  };
  {
    host::ControlHost reloaded(factory_.Get());
    ASSERT_EQ(reloaded.LoadStream(stream), pc::S_OK);
    check("stream");
  }
  {
    host::ControlHost reloaded(factory_.Get());
    Params params;
    for (const auto& [name, value] : set) {
      pc::Variant text;
      ASSERT_EQ(pc::ChangeType(value, pc::VT_BSTR, &text), pc::S_OK);
      params.emplace_back(name, plat::text::Utf16ToUtf8(text.bstrVal()));
    }
    ASSERT_EQ(reloaded.LoadProperties(params), pc::S_OK);
    check("set");
  }
}

// Utf8Form is a <param> only: the saved stream is the same with it as without it, and a set gets
// it back only when it is on.
TEST_F(PersistenceTest, Utf8FormComesFromThePageSetAndLeavesTheStreamAsItWas) {
  const Params base{{"ActionTime", "20110203040506"}, {"Normal_ServerName", "host"}};
  std::vector<plat::BYTE> plain;
  ASSERT_EQ(Host().LoadProperties(base), pc::S_OK);
  EXPECT_FALSE(Settings().Utf8Form);
  ASSERT_EQ(Host().SaveStream(&plain), pc::S_OK);

  for (const char* on : {"1", "true", "TRUE", "-1"}) {
    host::ControlHost host(factory_.Get());
    Params params = base;
    params.emplace_back("Utf8Form", on);
    ASSERT_EQ(host.LoadProperties(params), pc::S_OK);
    EXPECT_TRUE(Settings().Utf8Form) << on;
    std::vector<plat::BYTE> stream;
    ASSERT_EQ(host.SaveStream(&stream), pc::S_OK);
    EXPECT_EQ(stream, plain) << on;
    std::vector<std::pair<std::string, pc::Variant>> set;
    ASSERT_EQ(host.SaveProperties(&set), pc::S_OK);
    EXPECT_EQ(set.back().first, "Utf8Form");
  }
  for (const char* off : {"0", "false", "", "yes please"}) {
    host::ControlHost host(factory_.Get());
    Params params = base;
    params.emplace_back("Utf8Form", off);
    ASSERT_EQ(host.LoadProperties(params), pc::S_OK);
    EXPECT_FALSE(Settings().Utf8Form) << off;
  }
  // A stream saved without the param loads as before, off.
  host::ControlHost reloaded(factory_.Get());
  ASSERT_EQ(reloaded.LoadStream(plain), pc::S_OK);
  EXPECT_FALSE(Settings().Utf8Form);
}

// FileFieldName too: read from the page's set, never in the stream, given back to a set only when
// the page named one, cleared by a reset.
TEST_F(PersistenceTest, FileFieldNameComesFromThePageSetAndLeavesTheStreamAsItWas) {
  const Params base{{"ActionTime", "20110203040506"}, {"Normal_ServerName", "host"}};
  std::vector<plat::BYTE> plain;
  ASSERT_EQ(Host().LoadProperties(base), pc::S_OK);
  EXPECT_EQ(Settings().FileFieldName, "");
  ASSERT_EQ(Host().SaveStream(&plain), pc::S_OK);
  std::vector<std::pair<std::string, pc::Variant>> unnamed;
  ASSERT_EQ(Host().SaveProperties(&unnamed), pc::S_OK);
  for (const auto& [name, value] : unnamed) EXPECT_NE(name, "FileFieldName");

  host::ControlHost host(factory_.Get());
  Params params = base;
  params.emplace_back("FileFieldName", "첨부[]");
  ASSERT_EQ(host.LoadProperties(params), pc::S_OK);
  EXPECT_EQ(Settings().FileFieldName, plat::text::Utf8ToCp949("첨부[]"));
  std::vector<plat::BYTE> stream;
  ASSERT_EQ(host.SaveStream(&stream), pc::S_OK);
  EXPECT_EQ(stream, plain);
  std::vector<std::pair<std::string, pc::Variant>> set;
  ASSERT_EQ(host.SaveProperties(&set), pc::S_OK);
  ASSERT_EQ(set.back().first, "FileFieldName");
  EXPECT_EQ(plat::text::Utf16ToUtf8(set.back().second.bstrVal()), "첨부[]");

  ASSERT_EQ(host.InitNew(), pc::S_OK);
  EXPECT_EQ(Settings().FileFieldName, "");
}

TEST_F(PersistenceTest, ResetGivesEveryPropertyItsDefaultAndANewStamp) {
  ASSERT_EQ(Host().LoadProperties({{"ActionTime", "19991231235959"},
                                   {"MaxNormalSize", "1"},
                                   {"MaxFileCount", "1"},
                                   {"Normal_ServerName", "a"},
                                   {"Normal_UploadURL", "b"}}),
            pc::S_OK);
  ASSERT_TRUE(Host().Put("MaxFileCount", std::int32_t{50}).ok());
  ASSERT_EQ(Host().IsDirty(), pc::S_OK);
  std::time_t before = std::time(nullptr);
  ASSERT_EQ(Host().InitNew(), pc::S_OK);
  std::time_t after = std::time(nullptr);
  EXPECT_TRUE(IsStampBetween(Settings().ActionTime, before, after)) << Settings().ActionTime;
  EXPECT_EQ(Settings().MaxNormalSize, 20480000);
  EXPECT_EQ(Settings().MaxFileCount, 10);
  EXPECT_EQ(Settings().Normal_ServerName, "");
  EXPECT_EQ(Settings().Normal_UploadURL, "");
  EXPECT_EQ(Host().IsDirty(), pc::S_FALSE);
}

TEST_F(PersistenceTest, ADamagedStreamFailsAndLeavesTheDefaultsNotHalfALoad) {
  ASSERT_EQ(Host().LoadProperties({{"MaxFileCount", "5"}, {"Normal_ServerName", "host"}}), pc::S_OK);
  std::vector<plat::BYTE> stream;
  ASSERT_EQ(Host().SaveStream(&stream), pc::S_OK);
  stream.resize(stream.size() - 3);  // cut inside the last text
  host::ControlHost reloaded(factory_.Get());
  EXPECT_TRUE(pc::FAILED(reloaded.LoadStream(stream)));
  EXPECT_EQ(Settings().MaxFileCount, 10);
  EXPECT_EQ(Settings().Normal_ServerName, "");
  EXPECT_EQ(Settings().ActionTime.size(), 14u);
}

}  // namespace
}  // namespace drev::testing
