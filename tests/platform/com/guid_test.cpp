// GUID parsing, formatting, comparison and hashing; result code helpers.
#include <gtest/gtest.h>

#include <unordered_set>

#include "platform/com/cat_register.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"

namespace plat::com {
namespace {

TEST(Guid, ParsesEveryAcceptedFormAndFormatsTheRegistryForm) {
  const std::string canonical = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
  for (std::string text : {canonical, std::string("7dd95801-9882-11cf-9fa9-00aa006c42c4"),
                           std::string("{7dD95801-9882-11Cf-9fA9-00aA006c42C4}")}) {
    auto g = ParseGuid(text);
    ASSERT_TRUE(g) << text;
    EXPECT_EQ(FormatGuid(*g), canonical);
    EXPECT_EQ(*g, CATID_SafeForScripting);
  }
  auto g = ParseGuid(canonical);
  EXPECT_EQ(g->Data1, 0x7DD95801u);
  EXPECT_EQ(g->Data2, 0x9882);
  EXPECT_EQ(g->Data3, 0x11CF);
  EXPECT_EQ(g->Data4[0], 0x9F);
  EXPECT_EQ(g->Data4[7], 0xC4);
}

TEST(Guid, RejectsMalformedText) {
  for (const char* bad : {"", "{}", "7DD95801-9882-11CF-9FA9-00AA006C42C",     // one digit short
                          "7DD95801-9882-11CF-9FA9-00AA006C42C4A",                // one too many
                          "{7DD95801-9882-11CF-9FA9-00AA006C42C4",                // open brace only
                          "7DD95801-9882-11CF-9FA9-00AA006C42C4}",                // close brace only
                          "(7DD95801-9882-11CF-9FA9-00AA006C42C4)",               // wrong brackets
                          "7DD95801+9882-11CF-9FA9-00AA006C42C4",                 // wrong separator
                          "7DD958019882-11CF-9FA9-00AA006C42C4-",                 // dash misplaced
                          "7DD9580G-9882-11CF-9FA9-00AA006C42C4",                 // not hex
                          " 7DD95801-9882-11CF-9FA9-00AA006C42C4"}) {
    EXPECT_FALSE(ParseGuid(bad)) << bad;
  }
}

TEST(Guid, RoundTripsAndOrdersAndHashesByValue) {
  GUID a = MakeGuid("{00000000-0000-0000-C000-000000000046}");
  GUID b = MakeGuid("{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(ParseGuid(FormatGuid(a)), a);
  EXPECT_EQ(FormatGuid(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_NE(a, b);
  EXPECT_LT(a, b);
  std::unordered_set<GUID> set{a, b, CATID_SafeForScripting, CATID_SafeForInitializing};
  EXPECT_EQ(set.size(), 4u);
  EXPECT_TRUE(set.count(*ParseGuid("7dd95802-9882-11cf-9fa9-00aa006c42c4")));
  EXPECT_NE(std::hash<GUID>{}(CATID_SafeForScripting), std::hash<GUID>{}(CATID_SafeForInitializing));
}

TEST(HResult, SuccessAndFailureFollowTheSignBit) {
  EXPECT_TRUE(SUCCEEDED(S_OK));
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
  EXPECT_FALSE(FAILED(S_FALSE));
  for (HRESULT hr : {E_FAIL, E_NOTIMPL, E_INVALIDARG, DISP_E_MEMBERNOTFOUND, CONNECT_E_NOCONNECTION})
    EXPECT_TRUE(FAILED(hr)) << HResultName(hr);
  EXPECT_EQ(HResultName(DISP_E_BADPARAMCOUNT), "DISP_E_BADPARAMCOUNT (0x8002000E)");
  EXPECT_EQ(HResultName(static_cast<HRESULT>(0x80001234)), "0x80001234");
}

}  // namespace
}  // namespace plat::com
