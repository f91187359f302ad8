// Every documented way drevhost refuses: bad usage, an unreadable page, an object that cannot be
// made (class not registered, module not loadable or not started, no factory), script errors and
// actions that cannot be done.
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "tests/e2e/e2e_support.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {
namespace {

using ::testing::HasSubstr;
namespace pc = plat::com;

constexpr int kUsage = 2, kPageUnreadable = 3, kObjectFailed = 4, kScriptError = 5, kActionFailed = 6;

class ErrorExitTest : public E2eTest {
 protected:
  // Registers class `clsid` as served by the module file `path`.
  void RegisterClassAt(const char* clsid, const std::string& path) {
    pc::ControlClassInfo info;
    info.clsid = *pc::ParseGuid(clsid);
    info.progId = "Drev.Test.1";
    info.userTypeName = "test class";
    info.modulePath = path;
    ASSERT_EQ(pc::RegisterControlClass(info), pc::S_OK);
  }
  RunResult RunObjectPage(const std::string& classid, const std::map<std::string, std::string>& env = {}) {
    WritePage("page.html", PageOf("<object id=\"up\" classid=\"" + classid + "\"></object>\n"
                                  "<script>alert('scripts ran');</script>\n"));
    return Host({"run", "page.html"}, env);
  }
};

TEST_F(ErrorExitTest, BadUsage) {
  RunResult r = Host({});
  EXPECT_EQ(r.status, kUsage);
  EXPECT_THAT(r.err, HasSubstr("usage: drevhost regsvr [-u] MODULE"));
  EXPECT_EQ(Host({"frobnicate"}).status, kUsage);
  EXPECT_EQ(Host({"regsvr"}).status, kUsage);
  EXPECT_EQ(Host({"run"}).status, kUsage);
  r = Host({"run", "page.html", "--tick", "first"});
  EXPECT_EQ(r.status, kUsage);
  EXPECT_THAT(r.err, HasSubstr("--tick: malformed argument \"first\""));
  EXPECT_TRUE(r.out.empty());
}

TEST_F(ErrorExitTest, APageThatCannotBeRead) {
  RunResult r = Host({"run", "missing.html"});
  EXPECT_EQ(r.status, kPageUnreadable);
  EXPECT_EQ(r.err, "drevhost: cannot read page missing.html\n");
  r = Host({"run", "/dev/zero"});
  EXPECT_EQ(r.status, kPageUnreadable);
  EXPECT_EQ(r.err, "drevhost: cannot read page /dev/zero: it is larger than 64 MiB\n");
  // What the HTML parser would silently stop at is named, and nothing of the page runs.
  std::string nul = "<html><body>\n<script>alert('ran');</script>\n";
  nul += '\0';
  nul += "</body></html>";
  r = Host({"run", WriteFile("nul.html", nul)});
  EXPECT_EQ(r.status, kPageUnreadable);
  EXPECT_THAT(r.err, HasSubstr("nul.html: a NUL byte (character 0) at line 3"));
  EXPECT_EQ(r.out, "");
  std::string deep = "<html><body>";
  for (int i = 0; i < 300; ++i) deep += "<div>";
  r = Host({"run", WriteFile("deep.html", deep + "</body></html>")});
  EXPECT_EQ(r.status, kPageUnreadable);
  EXPECT_THAT(r.err, HasSubstr("deep.html: elements nested more than 256 deep at line 1"));
}

TEST_F(ErrorExitTest, ADamagedRegistryStoreIsNamedAsTheCause) {
  const std::string store = WriteFile("damaged.json", "{\"HKEY_CLASSES_ROOT\": ");
  const std::map<std::string, std::string> env{{"DREV_REGISTRY", store}};
  const std::string note = "(the registry store " + store + " is damaged: it is not a well-formed store)";
  RunResult r = Host({"regsvr", ModulePath()}, env);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(note));
  r = Host({"typelib", ModulePath()}, env);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(note));
  r = RunObjectPage(kClassId, env);
  EXPECT_EQ(r.status, kObjectFailed);
  EXPECT_THAT(r.err, HasSubstr("is not registered " + note));
  // A sound store that lacks the class is not called damaged.
  EXPECT_THAT(RunObjectPage(kClassId).err, Not(HasSubstr("damaged")));
  EXPECT_EQ(drevtest::ReadFileBytes(store), "{\"HKEY_CLASSES_ROOT\": ");  // never written over
}

TEST_F(ErrorExitTest, AClassThatIsNotRegistered) {
  RunResult r = RunObjectPage(kClassId);
  EXPECT_EQ(r.status, kObjectFailed);
  const std::string store = (Dir() / "registry.json").string();
  // The newcomer learns which store was read (not there yet) and how to register.
  EXPECT_THAT(r.err, HasSubstr("object \"up\" at line 3: class {6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11} is not registered"
                               " in the registry store " + store + ", which does not exist yet; register the module "
                               "that serves it with: drevhost regsvr MODULE"));
  EXPECT_THAT(r.out, Not(HasSubstr("scripts ran")));
  RegisterClassAt("{00000000-0000-0000-0000-0000000000AA}", ModulePath());
  EXPECT_THAT(RunObjectPage(kClassId).err, HasSubstr("is not registered in the registry store " + store + "; register"));
  EXPECT_EQ(RunObjectPage("clsid:not-a-guid").status, kObjectFailed);
}

TEST_F(ErrorExitTest, AModuleThatCannotBeLoaded) {
  RegisterClassAt("{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}", WriteFile("not-a-module.ocx", "just text"));
  RunResult r = RunObjectPage(kClassId);
  EXPECT_EQ(r.status, kObjectFailed);
  EXPECT_THAT(r.err, HasSubstr("not-a-module.ocx of class {6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11} cannot be loaded"));
}

TEST_F(ErrorExitTest, AModuleWhoseStartFailsRefusesToServe) {
  RegisterModule();
  const std::map<std::string, std::string> failing = {{"DREV_FAIL_OLE_INIT", "1"}};
  RunResult r = RunObjectPage(kClassId, failing);
  EXPECT_EQ(r.status, kObjectFailed);
  EXPECT_EQ(r.out, "messagebox zelk: AfxOleInit Error!\n");
  EXPECT_THAT(r.err, HasSubstr("is not loadable: its start failed (0x8007045A)"));

  r = Host({"regsvr", ModulePath()}, failing);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("DllRegisterServer in " + ModulePath() + " failed. Return code was: 0x8007045A"));
  EXPECT_EQ(RunObjectPage(kClassId, {{"DREV_FAIL_OLE_INIT", "0"}}).status, 0);
}

TEST_F(ErrorExitTest, AModuleWithoutAFactoryForTheClass) {
  RegisterModule();
  RegisterClassAt("{0D0E0A0D-0000-4000-8000-000000000001}", ModulePath());
  RunResult r = RunObjectPage("clsid:0D0E0A0D-0000-4000-8000-000000000001");
  EXPECT_EQ(r.status, kObjectFailed);
  EXPECT_THAT(r.err, HasSubstr("gave no class factory for class {0D0E0A0D-0000-4000-8000-000000000001} "
                               "(CLASS_E_CLASSNOTAVAILABLE"));
}

TEST_F(ErrorExitTest, ScriptErrorsArePrintedWithTheirLinesAndTheRestOfThePageStillRuns) {
  RegisterModule();
  WritePage("page.html", PageOf(ControlObject("up", {}) +
                                "<script>\n"
                                "  var ok = 1;\n"
                                "  up.PID = 'x';\n"
                                "</script>\n"
                                "<script>var broken = ;</script>\n"
                                "<script for=\"up\" event=\"NoSuchEvent()\">alert('never');</script>\n"
                                "<script for=\"nobody\" event=\"StartUpload()\">alert('never');</script>\n"
                                "<script>alert('later block ran');</script>\n"));
  RunResult r = Host({"run", "page.html", "--eval", "up.Nothing()"});
  EXPECT_EQ(r.status, kScriptError);
  auto out = r.out;
  EXPECT_THAT(out, HasSubstr("script error at line 10: <script for=\"up\" event=\"NoSuchEvent()\">: the object has no such event"));
  EXPECT_THAT(out, HasSubstr("script error at line 11: <script for=\"nobody\">: the page has no object with that id"));
  EXPECT_THAT(out, HasSubstr("script error at line 7: TypeError: up.PID: member not found"));
  EXPECT_THAT(out, HasSubstr("script error at line 9: SyntaxError"));
  EXPECT_THAT(out, HasSubstr("alert later block ran"));
  EXPECT_THAT(out, HasSubstr("script error at line 1: TypeError: up.Nothing: member not found"));
  EXPECT_THAT(r.err, HasSubstr("page.html: 5 script error(s)"));
}

TEST_F(ErrorExitTest, ActionsThatCannotBeDone) {
  RegisterModule();
  WritePage("page.html", PageOf(ControlObject("up", {})));
  RunResult r = Host({"run", "page.html", "--tick", "0", "--eval", "alert('not reached')"});
  EXPECT_EQ(r.status, kActionFailed);
  EXPECT_EQ(r.err, "drevhost: --tick 0: the list has 0 rows\n");
  EXPECT_THAT(r.out, Not(HasSubstr("not reached")));

  r = Host({"run", "page.html", "--load-state", "missing.bin"});
  EXPECT_EQ(r.status, kActionFailed);
  EXPECT_THAT(r.err, HasSubstr("--load-state: cannot read missing.bin"));

  r = Host({"run", "page.html", "--load-state", "/dev/zero"});
  EXPECT_EQ(r.status, kActionFailed);
  EXPECT_THAT(r.err, HasSubstr("--load-state: cannot read /dev/zero: it is larger than 64 MiB"));

  const std::string fifo = (Dir() / "state.fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  r = Host({"run", "page.html", "--load-state", fifo});  // answers at once instead of waiting for a writer
  EXPECT_EQ(r.status, kActionFailed);
  EXPECT_THAT(r.err, HasSubstr("it is a pipe or a socket, not a file"));

  r = Host({"run", "page.html", "--load-state", WriteFile("garbage.bin", "not a saved state")});
  EXPECT_EQ(r.status, kActionFailed);
  EXPECT_THAT(r.err, HasSubstr("--load-state: the object refused"));

  r = Host({"run", "page.html", "--progress-snapshot", "p.png"});
  EXPECT_EQ(r.status, kActionFailed);
  EXPECT_THAT(r.err, HasSubstr("no progress dialog reported progress, so p.png was not written"));

  r = Host({"run", "page.html", "--snapshot", "/nonexistent/dir/c.png"});
  EXPECT_EQ(r.status, kActionFailed);
  EXPECT_THAT(r.err, HasSubstr("cannot write the control's snapshot to /nonexistent/dir/c.png"));
}

}  // namespace
}  // namespace drev::e2e
