// Conversions between variant types at the dispatch boundary: rounding, overflow, text, booleans.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/com/hresult.h"
#include "platform/com/variant.h"

namespace plat::com {
namespace {

Variant Convert(const Variant& v, VARTYPE to, HRESULT expected = S_OK) {
  Variant out = Variant::I4(12345);  // a failed conversion must leave this alone
  HRESULT hr = ChangeType(v, to, &out);
  EXPECT_EQ(hr, expected) << HResultName(hr);
  return out;
}

TEST(ChangeType, DoublesRoundHalfToEvenIntoEveryIntegerType) {
  struct Case { double in; std::int32_t out; };
  for (Case c : {Case{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2},
                 {2.5001, 3}, {-0.4, 0}, {7.0, 7}}) {
    EXPECT_EQ(Convert(Variant::R8(c.in), VT_I4).lVal(), c.out) << c.in;
    EXPECT_EQ(Convert(Variant::R8(c.in), VT_I2).iVal(), c.out) << c.in;
  }
  EXPECT_EQ(Convert(Variant::R8(65534.5), VT_UI2).uiVal(), 65534);
  EXPECT_EQ(Convert(Variant::R8(-0.5), VT_UI2).uiVal(), 0);
}

TEST(ChangeType, OutOfRangeNumbersOverflowAndLeaveTheTargetAlone) {
  EXPECT_EQ(Convert(Variant::R8(2147483647.0), VT_I4).lVal(), 2147483647);
  EXPECT_EQ(Convert(Variant::R8(-2147483648.0), VT_I4).lVal(), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(Convert(Variant::R8(2147483647.5), VT_I4, DISP_E_OVERFLOW).lVal(), 12345);
  Convert(Variant::R8(-2147483648.6), VT_I4, DISP_E_OVERFLOW);
  Convert(Variant::R8(32767.5), VT_I2, DISP_E_OVERFLOW);
  Convert(Variant::R8(65535.5), VT_UI2, DISP_E_OVERFLOW);
  Convert(Variant::R8(-0.6), VT_UI2, DISP_E_OVERFLOW);
  Convert(Variant::R8(std::numeric_limits<double>::infinity()), VT_I4, DISP_E_OVERFLOW);
  Convert(Variant::R8(std::nan("")), VT_I2, DISP_E_OVERFLOW);
  Convert(Variant::I4(40000), VT_I2, DISP_E_OVERFLOW);
  Convert(Variant::I4(-1), VT_UI2, DISP_E_OVERFLOW);
  Convert(Variant::UI2(65535), VT_I2, DISP_E_OVERFLOW);
  EXPECT_EQ(Convert(Variant::UI2(65535), VT_I4).lVal(), 65535);
  Convert(Variant::Bstr(u"99999999999"), VT_I4, DISP_E_OVERFLOW);
}

TEST(ChangeType, TextOfNumbersBecomesIntegersAndOtherTextIsAMismatch) {
  EXPECT_EQ(Convert(Variant::Bstr(u"42"), VT_I4).lVal(), 42);
  EXPECT_EQ(Convert(Variant::Bstr(u"  -17 "), VT_I2).iVal(), -17);
  EXPECT_EQ(Convert(Variant::Bstr(u"+8"), VT_UI2).uiVal(), 8);
  EXPECT_EQ(Convert(Variant::Bstr(u"2.5"), VT_I4).lVal(), 2);
  EXPECT_EQ(Convert(Variant::Bstr(u"2.5e1"), VT_I4).lVal(), 25);
  EXPECT_EQ(Convert(Variant::Bstr(u"1e-3"), VT_R8).dblVal(), 0.001);
  for (const char16_t* bad : {u"", u"   ", u"abc", u"12abc", u"1 2", u"--1", u"0x10", u"e5", u"1e", u".", u"inf",
                              u"nan", u"\uD30C\uC77C"})
    Convert(Variant::Bstr(bad), VT_I4, DISP_E_TYPEMISMATCH);
}

TEST(ChangeType, NumbersAndBooleansBecomeDecimalText) {
  EXPECT_EQ(Convert(Variant::I4(-2147483647 - 1), VT_BSTR).bstrVal(), u"-2147483648");
  EXPECT_EQ(Convert(Variant::UI2(65535), VT_BSTR).bstrVal(), u"65535");
  EXPECT_EQ(Convert(Variant::I2(-5), VT_BSTR).bstrVal(), u"-5");
  EXPECT_EQ(Convert(Variant::R8(20480000.0), VT_BSTR).bstrVal(), u"20480000");
  EXPECT_EQ(Convert(Variant::R8(1.5), VT_BSTR).bstrVal(), u"1.5");
  EXPECT_EQ(Convert(Variant::Bool(true), VT_BSTR).bstrVal(), u"-1");
  EXPECT_EQ(Convert(Variant::Bool(false), VT_BSTR).bstrVal(), u"0");
  EXPECT_EQ(Convert(Variant(), VT_BSTR).bstrVal(), u"");
}

TEST(ChangeType, BooleansFollowThePlatformsNumbers) {
  // Any nonzero number is true; true is -1.
  for (Variant v : {Variant::I4(1), Variant::I4(-7), Variant::I2(2), Variant::UI2(65535), Variant::R8(0.25),
                    Variant::Bstr(u"TRUE"), Variant::Bstr(u" true "), Variant::Bstr(u"3")})
    EXPECT_EQ(Convert(v, VT_BOOL).boolVal(), VARIANT_TRUE);
  for (Variant v : {Variant::I4(0), Variant::R8(0.0), Variant::Bstr(u"False"), Variant::Bstr(u"0"), Variant()})
    EXPECT_EQ(Convert(v, VT_BOOL).boolVal(), VARIANT_FALSE);
  Convert(Variant::Bstr(u"yes"), VT_BOOL, DISP_E_TYPEMISMATCH);
  Convert(Variant::Bstr(u""), VT_BOOL, DISP_E_TYPEMISMATCH);

  EXPECT_EQ(Convert(Variant::Bool(true), VT_I4).lVal(), -1);
  EXPECT_EQ(Convert(Variant::Bool(true), VT_I2).iVal(), -1);
  EXPECT_EQ(Convert(Variant::Bool(false), VT_I4).lVal(), 0);
  EXPECT_EQ(Convert(Variant::Bool(true), VT_R8).dblVal(), -1.0);
  EXPECT_EQ(Convert(Variant::Bool(true), VT_UI2).uiVal(), 65535);
}

TEST(ChangeType, EmptyBecomesZeroAndAnythingBecomesEmpty) {
  EXPECT_EQ(Convert(Variant(), VT_I4).lVal(), 0);
  EXPECT_EQ(Convert(Variant(), VT_UI2).uiVal(), 0);
  EXPECT_TRUE(Convert(Variant::Bstr(u"x"), VT_EMPTY).IsEmpty());
  Convert(Variant::I4(1), static_cast<VARTYPE>(77), DISP_E_TYPEMISMATCH);
}

TEST(Variant, AccessorsGuardTheirTypeAndEqualityComparesTypeAndValue) {
  EXPECT_THROW(Variant::I4(1).bstrVal(), std::bad_variant_access);
  EXPECT_THROW(Variant::I2(1).lVal(), std::bad_variant_access);
  EXPECT_NE(Variant::I2(1), Variant::I4(1));
  EXPECT_NE(Variant::Bool(true), Variant::I2(-1));
  EXPECT_EQ(Variant::Bstr(u"a"), Variant::Bstr(u"a"));
  EXPECT_EQ(Variant().vt(), VT_EMPTY);
}

}  // namespace
}  // namespace plat::com
