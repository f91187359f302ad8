// Dispatch by id and by name through an object that forwards IDispatch to a DispatchTable.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/com/dispatch_table.h"
#include "platform/com/ref_counted.h"
#include "platform/text/text.h"

namespace plat::com {
namespace {

// A small scriptable object in the shape a control takes: members bound to its own functions.
class Gadget : public RefCounted<IDispatch> {
 public:
  Gadget() {
    table_.Method(1, "Reset", [this] { total_ = 0; ++calls_; })
        .Method(2, "Add", Bind(this, &Gadget::Add), {"amount"})
        .Method(3, "Echo", [this](std::string text) { ++calls_; lastText_ = text; return text + "!"; })
        .Method(4, "Flags", [this](bool b, std::uint16_t u, std::int16_t s) {
              ++calls_;
              lastFlags_ = {b ? 1 : 0, u, s};
              return !b;
            }, {"b", "u", "s"})
        .Method(5, "Fail", []() -> std::int32_t { throw std::runtime_error("disk on fire"); })
        .Property(10, "Name", [this] { return name_; }, [this](std::string v) { name_ = v; })
        .ReadOnlyProperty(11, "Total", [this] { return total_; })
        .Declared(9, "PID", VT_BSTR);
  }

  HRESULT GetTypeInfoCount(UINT* count) override { return count ? (*count = 0, S_OK) : E_POINTER; }
  HRESULT GetIDsOfNames(std::span<const std::u16string_view> names, DISPID* ids) override {
    return table_.GetIDsOfNames(names, ids);
  }
  HRESULT Invoke(DISPID id, WORD flags, std::span<const Variant> args, Variant* result, EXCEPINFO* excep,
                 UINT* argErr) override {
    return table_.Invoke(id, flags, args, result, excep, argErr);
  }

  std::int32_t Add(std::int32_t amount) {
    ++calls_;
    return total_ += amount;
  }

  DispatchTable table_;
  std::int32_t total_ = 0;
  int calls_ = 0;
  std::string lastText_;
  std::vector<int> lastFlags_;
  std::string name_;
};

class DispatchTest : public ::testing::Test {
 protected:
  HRESULT Call(DISPID id, std::vector<Variant> args, Variant* result = nullptr, WORD flags = DISPATCH_METHOD) {
    argErr_ = 999;
    return obj_->Invoke(id, flags, args, result, &excep_, &argErr_);
  }
  ComPtr<Gadget> obj_ = MakeCom<Gadget>();
  EXCEPINFO excep_;
  UINT argErr_ = 999;
};

TEST_F(DispatchTest, ArgumentsArriveInTheDeclaredTypesAndResultsGoBackAsScriptValues) {
  Variant r;
  ASSERT_EQ(Call(2, {Variant::R8(2.5)}, &r), S_OK);  // a script number, rounded half to even
  EXPECT_EQ(r, Variant::I4(2));
  ASSERT_EQ(Call(2, {Variant::Bstr(u"40")}, &r), S_OK);
  EXPECT_EQ(r, Variant::I4(42));

  ASSERT_EQ(Call(4, {Variant::I4(5), Variant::R8(3), Variant::Bstr(u"-2")}, &r), S_OK);
  EXPECT_EQ(obj_->lastFlags_, (std::vector<int>{1, 3, -2}));
  EXPECT_EQ(r, Variant::Bool(false));
  ASSERT_EQ(Call(4, {Variant::I4(0), Variant::I4(0), Variant::I4(0)}, &r), S_OK);
  EXPECT_EQ(r.boolVal(), VARIANT_TRUE);  // true goes back as -1

  ASSERT_EQ(Call(1, {}, &r), S_OK);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(obj_->total_, 0);
}

TEST_F(DispatchTest, TextCrossesAsCp949InsideAndUtf16Outside) {
  Variant r;
  ASSERT_EQ(Call(3, {Variant::Bstr(u"첨부파일 똠.hwp")}, &r), S_OK);
  EXPECT_EQ(obj_->lastText_, plat::text::Utf8ToCp949("첨부파일 똠.hwp"));
  EXPECT_EQ(r, Variant::Bstr(u"첨부파일 똠.hwp!"));

  // Characters code page 949 cannot hold become '?', and the rest of the text is kept.
  ASSERT_EQ(Call(3, {Variant::Bstr(u"a\U0001F600b\u00FFc")}, &r), S_OK);
  EXPECT_EQ(obj_->lastText_, "a?b?c");

  // Numbers given for a text parameter arrive as their decimal text.
  ASSERT_EQ(Call(3, {Variant::I4(-12)}, &r), S_OK);
  EXPECT_EQ(obj_->lastText_, "-12");
}

TEST_F(DispatchTest, PropertiesReadAndWriteAndRefuseWhatTheyDoNotOffer) {
  Variant r;
  ASSERT_EQ(Call(10, {Variant::Bstr(u"업로드")}, nullptr, DISPATCH_PROPERTYPUT), S_OK);
  ASSERT_EQ(Call(10, {}, &r, DISPATCH_PROPERTYGET), S_OK);
  EXPECT_EQ(r, Variant::Bstr(u"업로드"));
  // Scripts that cannot tell a call from a get pass both flags.
  ASSERT_EQ(Call(11, {}, &r, DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
  EXPECT_EQ(r, Variant::I4(0));

  EXPECT_EQ(Call(11, {Variant::I4(5)}, nullptr, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);  // read-only
  EXPECT_EQ(Call(2, {}, &r, DISPATCH_PROPERTYGET), DISP_E_MEMBERNOTFOUND);    // get of a method
  EXPECT_EQ(Call(10, {}, &r, DISPATCH_METHOD), DISP_E_MEMBERNOTFOUND);        // call of a property
  EXPECT_EQ(Call(10, {Variant::I4(1), Variant::I4(2)}, nullptr, DISPATCH_PROPERTYPUT), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(10, {Variant::I4(1)}, &r, DISPATCH_PROPERTYGET), DISP_E_BADPARAMCOUNT);
}

TEST_F(DispatchTest, FailuresReportTheProtocolsErrorsAndNeverReachTheHandler) {
  Variant r = Variant::I4(7);
  EXPECT_EQ(Call(99, {}, &r), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(9, {}, &r, DISPATCH_PROPERTYGET), DISP_E_MEMBERNOTFOUND);  // declared only
  EXPECT_EQ(Call(9, {Variant::Bstr(u"x")}, nullptr, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(2, {}, &r), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(2, {Variant::I4(1), Variant::I4(2)}, &r), DISP_E_BADPARAMCOUNT);

  EXPECT_EQ(Call(4, {Variant::I4(1), Variant::Bstr(u"many"), Variant::I4(0)}, &r), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr_, 1u);  // position in call order
  EXPECT_EQ(Call(4, {Variant::I4(1), Variant::I4(1), Variant::Bstr(u"x")}, &r), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr_, 2u);
  EXPECT_EQ(Call(4, {Variant::I4(1), Variant::I4(70000), Variant::I4(0)}, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(argErr_, 1u);

  EXPECT_EQ(obj_->calls_, 0);
  EXPECT_EQ(r, Variant::I4(7));  // untouched by the failed calls
}

TEST_F(DispatchTest, AHandlerThatThrowsBecomesAnExceptionResult) {
  Variant r;
  EXPECT_EQ(Call(5, {}, &r), DISP_E_EXCEPTION);
  EXPECT_EQ(excep_.bstrDescription, u"disk on fire");
  EXPECT_TRUE(FAILED(excep_.scode));
  // Without an EXCEPINFO the failure is still reported.
  EXPECT_EQ(obj_->Invoke(5, DISPATCH_METHOD, {}, &r, nullptr, nullptr), DISP_E_EXCEPTION);
}

TEST_F(DispatchTest, NamesResolveWithoutRegardToLetterCase) {
  auto id = [this](std::u16string_view name) {
    DISPID d = 12345;
    HRESULT hr = obj_->GetIDsOfNames(std::span<const std::u16string_view>(&name, 1), &d);
    return std::make_pair(hr, d);
  };
  EXPECT_EQ(id(u"Add"), std::make_pair(S_OK, DISPID{2}));
  EXPECT_EQ(id(u"aDD"), std::make_pair(S_OK, DISPID{2}));
  EXPECT_EQ(id(u"NAME"), std::make_pair(S_OK, DISPID{10}));
  EXPECT_EQ(id(u"pid"), std::make_pair(S_OK, DISPID{9}));
  EXPECT_EQ(id(u"Ad"), std::make_pair(DISP_E_UNKNOWNNAME, DISPID_UNKNOWN));
  EXPECT_EQ(id(u""), std::make_pair(DISP_E_UNKNOWNNAME, DISPID_UNKNOWN));

  // Parameter names map to their positions; an unknown one is marked and reported.
  std::u16string_view names[] = {u"flags", u"S", u"b", u"nope"};
  DISPID ids[4] = {};
  EXPECT_EQ(obj_->GetIDsOfNames(names, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 4);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 0);
  EXPECT_EQ(ids[3], DISPID_UNKNOWN);
}

TEST(DispatchTable, RefusesAmbiguousMembers) {
  DispatchTable t;
  t.Method(1, "Go", [] {});
  EXPECT_THROW(t.Method(1, "Other", [] {}), std::invalid_argument);
  EXPECT_THROW(t.Declared(2, "GO"), std::invalid_argument);
  EXPECT_THROW(t.Method(3, "Two", [](std::int32_t, std::int32_t) {}, {"onlyOne"}), std::invalid_argument);
  EXPECT_EQ(t.Members().size(), 1u);
}

TEST(DispatchTable, DeclaresTheTypesItDeducedFromTheHandlers) {
  DispatchTable t;
  t.Method(4, "DeleteAllItem", [](std::uint16_t) {})
      .Method(29, "GetFileCount", [](std::string) -> std::int16_t { return 0; })
      .Property(14, "MaxNormalSize", [] { return std::int32_t{0}; }, [](std::int32_t) {});
  EXPECT_EQ(t.Find(4)->params, std::vector<VARTYPE>{VT_UI2});
  EXPECT_EQ(t.Find(4)->type, VT_EMPTY);
  EXPECT_EQ(t.Find(29)->params, std::vector<VARTYPE>{VT_BSTR});
  EXPECT_EQ(t.Find(29)->type, VT_I2);
  EXPECT_EQ(t.Find(14)->kind, MemberKind::Property);
  EXPECT_EQ(t.Find(14)->type, VT_I4);
  EXPECT_EQ(t.Find(15), nullptr);
}

}  // namespace
}  // namespace plat::com
