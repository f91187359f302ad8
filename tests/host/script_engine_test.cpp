// The page's script engine with a dispatch object as a global: values crossing both ways, members
// found by name, the errors a page sees with their lines, and event handlers.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/ScriptEngine.h"
#include "platform/com/ref_counted.h"

namespace drev::host {
namespace {

namespace pc = plat::com;

// An object with a method Echo (returns its first argument as given), a property Count, a property
// Hidden that its type description leaves out, and a declared-only property Declared.
class FakeObject : public pc::RefCounted<pc::IDispatch> {
 public:
  struct Call {
    pc::DISPID id;
    plat::WORD flags;
    std::vector<pc::Variant> args;
  };
  std::vector<Call> calls;
  pc::Variant count = pc::Variant::I4(3);
  std::function<void()> onFire;  // what method Fire does: the object firing its event at once

  plat::HRESULT GetTypeInfoCount(plat::UINT* n) override {
    *n = 0;
    return pc::S_OK;
  }
  plat::HRESULT GetIDsOfNames(std::span<const std::u16string_view> names, pc::DISPID* ids) override {
    static const std::map<std::u16string, pc::DISPID> known = {
        {u"echo", 1}, {u"count", 2}, {u"declared", 3}, {u"hidden", 4}, {u"fire", 5}};
    std::u16string lower(names[0]);
    for (auto& c : lower) c = static_cast<char16_t>(c < 128 ? std::tolower(c) : c);
    auto it = known.find(lower);
    ids[0] = it == known.end() ? pc::DISPID_UNKNOWN : it->second;
    return it == known.end() ? pc::DISP_E_UNKNOWNNAME : pc::S_OK;
  }
  plat::HRESULT Invoke(pc::DISPID id, plat::WORD flags, std::span<const pc::Variant> args, pc::Variant* result,
                       pc::EXCEPINFO*, plat::UINT*) override {
    calls.push_back({id, flags, {args.begin(), args.end()}});
    if (id == 1 && (flags & pc::DISPATCH_METHOD)) {
      if (args.empty()) return pc::DISP_E_BADPARAMCOUNT;
      if (result) *result = args[0];
      return pc::S_OK;
    }
    if (id == 5 && (flags & pc::DISPATCH_METHOD)) {
      if (onFire) onFire();
      return pc::S_OK;
    }
    if ((id == 2 || id == 4) && (flags & pc::DISPATCH_PROPERTYPUT)) {
      count = args[0];
      return pc::S_OK;
    }
    if ((id == 2 || id == 4) && (flags & pc::DISPATCH_PROPERTYGET)) {
      if (result) *result = count;
      return pc::S_OK;
    }
    return pc::DISP_E_MEMBERNOTFOUND;
  }
};

pc::TypeDispInterface Methods() {
  pc::TypeDispInterface itf;
  itf.name = "_DFake";
  itf.methods = {{1, "Echo", {{"value", pc::VT_BSTR}}, pc::VT_BSTR, ""}, {5, "Fire", {}, pc::VT_EMPTY, ""}};
  itf.properties = {{2, "Count", {}, pc::VT_I4, ""}, {3, "Declared", {}, pc::VT_I4, ""}};
  return itf;
}

pc::TypeDispInterface Events() {
  pc::TypeDispInterface itf;
  itf.name = "_DFakeEvents";
  itf.methods = {{1, "Changed", {{"what", pc::VT_BSTR}}, pc::VT_EMPTY, ""}};
  return itf;
}

class ScriptEngineTest : public ::testing::Test {
 protected:
  ScriptEngineTest()
      : file_(std::tmpfile()),
        output_(file_),
        object_(pc::MakeCom<FakeObject>()),
        script_("fake", object_.Get(), Methods(), Events()),
        engine_(output_, "page.html") {
    engine_.AddObject(script_);
  }
  ~ScriptEngineTest() override { std::fclose(file_); }

  std::vector<std::string> Lines() {
    std::fflush(file_);
    std::rewind(file_);
    std::vector<std::string> lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, file_)) {
      std::string line(buffer);
      if (!line.empty() && line.back() == '\n') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  std::string EvalText(const std::string& source) {
    bool ok = false;
    auto text = engine_.Eval(source, &ok);
    EXPECT_TRUE(ok) << source;
    return text.value_or("<undefined>");
  }
  const FakeObject::Call& LastCall() { return object_->calls.back(); }

  std::FILE* file_;
  PageOutput output_;
  pc::ComPtr<FakeObject> object_;
  ScriptObject script_;
  ScriptEngine engine_;
};

TEST_F(ScriptEngineTest, NumbersCrossAsI4WhenWholeAndInRangeElseAsR8) {
  EXPECT_EQ(EvalText("fake.Echo(5)"), "5");
  EXPECT_EQ(LastCall().args[0], pc::Variant::I4(5));
  EvalText("fake.Echo(-2147483648)");
  EXPECT_EQ(LastCall().args[0], pc::Variant::I4(-2147483647 - 1));
  EvalText("fake.Echo(2147483648)");
  EXPECT_EQ(LastCall().args[0], pc::Variant::R8(2147483648.0));
  EXPECT_EQ(EvalText("fake.Echo(2.5)"), "2.5");
  EXPECT_EQ(LastCall().args[0], pc::Variant::R8(2.5));
  EvalText("fake.Echo(-0)");
  EXPECT_EQ(LastCall().args[0].vt(), pc::VT_R8);
}

TEST_F(ScriptEngineTest, OtherValuesCrossByTheirKind) {
  EXPECT_EQ(EvalText("fake.Echo(true) === true"), "true");
  EXPECT_EQ(LastCall().args[0], pc::Variant::Bool(true));
  EXPECT_EQ(EvalText("fake.Echo(null) === undefined"), "true");
  EXPECT_TRUE(LastCall().args[0].IsEmpty());
  EXPECT_EQ(EvalText("fake.Echo({toString: function () { return 'obj'; }})"), "obj");
  EXPECT_EQ(LastCall().args[0], pc::Variant::Bstr(u"obj"));
}

TEST_F(ScriptEngineTest, StringsCrossUnitForUnitBothWays) {
  EXPECT_EQ(EvalText("fake.Echo('한글 a\\uD83D\\uDE00b')"), "한글 a\xF0\x9F\x98\x80" "b");
  EXPECT_EQ(LastCall().args[0], pc::Variant::Bstr(u"한글 a\U0001F600b"));
  // Written directly in the source, the same character is the same two units.
  EXPECT_EQ(EvalText("var s = fake.Echo('\xF0\x9F\x98\x80'); s.length + ' ' + s.charCodeAt(1).toString(16)"),
            "2 de00");
  // A lone surrogate survives the trip; printing shows it as U+FFFD.
  EXPECT_EQ(EvalText("var t = fake.Echo('\\uD800x'); t.length + ' ' + t.charCodeAt(0).toString(16)"), "2 d800");
  EXPECT_EQ(LastCall().args[0], pc::Variant::Bstr(std::u16string{char16_t(0xD800), u'x'}));
}

TEST_F(ScriptEngineTest, PropertiesReadAndWriteThroughTheObject) {
  EXPECT_EQ(EvalText("fake.Count = 7; fake.count"), "7");  // names ignore letter case
  EXPECT_EQ(object_->count, pc::Variant::I4(7));
  EXPECT_EQ(EvalText("fake.Hidden"), "7");  // not in the type description, answered by the object
  EXPECT_EQ(EvalText("'Echo' in fake && !('Nothing' in fake)"), "true");
  EXPECT_EQ(EvalText("typeof fake.toString"), "function");
}

TEST_F(ScriptEngineTest, RefusedAccessIsAScriptErrorNamingObjectMemberAndResultAtItsPageLine) {
  EXPECT_FALSE(engine_.Run("var a = 1;\nvar b = fake.Declared;", 20));
  EXPECT_FALSE(engine_.Run("fake.Nothing = 1;", 30));
  EXPECT_FALSE(engine_.Run("\n\nfake.Echo();", 40));
  EXPECT_EQ(engine_.ErrorCount(), 3);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "script error at line 21: TypeError: fake.Declared: member not found "
                      "(DISP_E_MEMBERNOTFOUND (0x80020003))");
  EXPECT_EQ(lines[1].rfind("script error at line 30: TypeError: fake.Nothing: member not found", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("script error at line 42: TypeError: fake.Echo: wrong number of arguments", 0), 0u)
      << lines[2];
}

TEST_F(ScriptEngineTest, SyntaxErrorsCarryThePageLineAndLaterBlocksStillRun) {
  EXPECT_FALSE(engine_.Run("var ok = 1;\nvar x = ;", 8));
  EXPECT_TRUE(engine_.Run("alert('still running')", 12));
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("script error at line 9: SyntaxError", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "alert still running");
}

TEST_F(ScriptEngineTest, AlertPrintsOneLineInUtf8) {
  engine_.Run("alert('회의록\\n2쪽 \\uD83D\\uDE00'); alert(); alert(12.5)", 1);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"alert 회의록\\n2쪽 \xF0\x9F\x98\x80", "alert ", "alert 12.5"}));
}

TEST_F(ScriptEngineTest, PageGlobals) {
  EXPECT_EQ(EvalText("window.fake === fake && document.getElementById('fake') === fake"), "true");
  EXPECT_EQ(EvalText("document.getElementById('none')"), "null");
}

TEST_F(ScriptEngineTest, HandlersRunInTheOrderConnectedWithTheEventsArguments) {
  auto forBlock = engine_.CompileHandler({"what"}, "\nlog.push('for:' + what);", 50);
  ASSERT_TRUE(forBlock);
  script_.AddHandler("Changed", *forBlock);
  engine_.Run("var log = [];\n"
              "function second(w) { log.push('attached:' + w); }\n"
              "var added = fake.attachEvent('changed', second);\n"
              "var again = fake.attachEvent('Changed', function (w) { log.push('third:' + w.length); });\n"
              "var unknown = fake.attachEvent('NoSuchEvent', second);\n"
              "var notFunction = fake.attachEvent('Changed', 'second');",
              1);
  EXPECT_EQ(EvalText("[added, again, unknown, notFunction].join()"), "true,true,false,false");
  const pc::Variant args[] = {pc::Variant::Bstr(u"한\U0001F600")};
  for (int ref : script_.HandlersOf("Changed")) EXPECT_TRUE(engine_.CallHandler(ref, args));
  EXPECT_EQ(EvalText("log.join('|')"), "for:한\xF0\x9F\x98\x80|attached:한\xF0\x9F\x98\x80|third:3");

  EXPECT_EQ(EvalText("fake.detachEvent('Changed', second)"), "true");
  EXPECT_EQ(EvalText("fake.detachEvent('Changed', second)"), "false");
  EXPECT_EQ(script_.HandlersOf("Changed").size(), 2u);
}

TEST_F(ScriptEngineTest, AnErrorInAHandlerIsReportedAtItsLineAndEndsOnlyThatHandler) {
  auto ref = engine_.CompileHandler({}, "\n  undefinedFunction();", 70);
  ASSERT_TRUE(ref);
  EXPECT_FALSE(engine_.CallHandler(*ref, {}));
  EXPECT_TRUE(engine_.Run("alert('after')", 1));
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("script error at line 71: ReferenceError", 0), 0u) << lines[0];
  EXPECT_FALSE(engine_.CompileHandler({}, "}{", 80));
  EXPECT_EQ(engine_.ErrorCount(), 2);
}

TEST_F(ScriptEngineTest, AHandlerThatFiresItsOwnEventAgainIsStoppedByTheHostWithOneReport) {
  object_->onFire = [this] {
    const pc::Variant args[] = {pc::Variant::Bstr(u"again")};
    for (int ref : script_.HandlersOf("Changed")) engine_.CallHandler(ref, args);
  };
  engine_.Run("var depth = 0;\nfake.attachEvent('Changed', function () { depth++; fake.Fire(); });", 1);
  EXPECT_EQ(EvalText("fake.Fire(); depth"), "100");
  EXPECT_EQ(engine_.ErrorCount(), 1);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("script error at line 0: event handlers nested more than 100 deep", 0), 0u) << lines[0];
  // Once the nesting has unwound, handlers run again.
  object_->onFire = nullptr;
  EvalText("depth = 0");
  for (int ref : script_.HandlersOf("Changed")) EXPECT_TRUE(engine_.CallHandler(ref, {}));
  EXPECT_EQ(EvalText("depth"), "1");
}

}  // namespace
}  // namespace drev::host
