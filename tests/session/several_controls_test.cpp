// Several controls in one process, as on one page (or on two pages of one browser): each uploads to
// its own path with its own parameters, hears only its own events and keeps its own reply, also when
// another control goes away while it uploads.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "platform/shell/file_dialog.h"
#include "tests/session/upload_fixture.h"

namespace drev::testing {
namespace {

using drevtest::ReceiverProcess;
using nlohmann::json;
using Names = std::vector<std::string>;
namespace pw = plat::win;

const Names kFinished{"StartUpload", "ChangeFileList", "OnContentReceived"};

class SeveralControlsTest : public UploadTest {
 protected:
  // Places a control named `name` on the page: its own upload path "/<name>.php" on `server`, its
  // own parameter ("from", name) and one file of its own. The first one is the fixture's control;
  // every later one is made after it, so the last one made is the process's current control.
  host::ControlHost& Add(const std::string& name, const std::string& server) {
    host::ControlHost* placed = nullptr;
    if (hosts_.empty()) {
      placed = &Host();
    } else {
      extra_.push_back(std::make_unique<host::ControlHost>(factory_.Get()));
      placed = extra_.back().get();
      EXPECT_TRUE(placed->ok());
      EXPECT_TRUE(placed->ConnectEvents(DIID__DDrevEvents, EventInterface()));
    }
    EXPECT_EQ(placed->LoadProperties({{"Normal_ServerName", server}, {"Normal_UploadURL", "/" + name + ".php"}}),
              plat::com::S_OK);
    EXPECT_EQ(placed->CreateWindows(400, 200), plat::com::S_OK);
    EXPECT_TRUE(placed->Call("SetUploadSize", {std::int32_t{1} << 30}).ok());
    EXPECT_TRUE(placed->Call("AddParameter", {"from", name}).ok());
    plat::shell::QueueOpenFileSelection({MakeFile(name + ".txt", 100 + hosts_.size())});
    EXPECT_TRUE(placed->Call("AttachFiles").ok());
    hosts_[name] = placed;
    return *placed;
  }
  host::ControlHost& Of(const std::string& name) { return *hosts_.at(name); }

  // Destroys the control `name` (its window, the control and its host window), as a page that
  // removes its element does.
  void Remove(const std::string& name) {
    host::ControlHost* gone = hosts_.at(name);
    hosts_.erase(name);
    if (gone == host_.get()) host_.reset();
    for (auto& placed : extra_)
      if (placed.get() == gone) placed.reset();
  }

  static Names NamesOf(host::ControlHost& control) {
    Names names;
    for (const auto& event : control.Events().Events()) names.push_back(event.name);
    return names;
  }
  void ClearAllEvents() {
    for (auto& [name, control] : hosts_) control->Events().Clear();
  }
  // What the receiver made of the upload that this control's page was handed back.
  static json ReplyOf(host::ControlHost& control) {
    json reply = json::parse(control.Call("GetServerResponse").Text(), nullptr, false);
    return reply.is_discarded() ? json::object() : reply;
  }
  // Uploads through `name` and checks that exactly it saw the upload, to its own path, with its own
  // parameter and file, and that every other control heard nothing and kept its file.
  void ExpectOwnUpload(const std::string& name) {
    ClearAllEvents();
    EXPECT_TRUE(Of(name).Call("UploadFiles").value == plat::com::Variant::Bool(true)) << name;
    EXPECT_EQ(NamesOf(Of(name)), kFinished) << name;
    json reply = ReplyOf(Of(name));
    EXPECT_EQ(reply["target"], "/" + name + ".php") << name;
    ASSERT_EQ(reply["fields"].size(), 3u) << reply.dump();
    EXPECT_EQ(reply["fields"][2]["name"], "from");
    EXPECT_EQ(reply["fields"][2]["value"], name);
    ASSERT_EQ(reply["files"].size(), 1u) << reply.dump();
    EXPECT_TRUE(reply["files"][0]["filename"].get<std::string>().ends_with("/" + name + ".txt"));
    // The reply the page was handed is the one the control keeps.
    const auto& events = Of(name).Events().Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(plat::text::Utf16ToUtf8(events.back().args.at(0).bstrVal()), Of(name).Call("GetServerResponse").Text());
    EXPECT_EQ(Of(name).Call("GetFileCount", {"ATTACH_FILE"}).value.iVal(), 0);
    for (auto& [other, control] : hosts_) {
      if (other == name) continue;
      EXPECT_TRUE(control->Events().Events().empty()) << other << " heard " << ::testing::PrintToString(NamesOf(*control));
    }
  }

  std::map<std::string, host::ControlHost*> hosts_;
  std::vector<std::unique_ptr<host::ControlHost>> extra_;
};

TEST_F(SeveralControlsTest, TwoControlsEachUploadTheirOwnFilesToTheirOwnPath) {
  ReceiverProcess receiver(Receiver());
  Add("one", receiver.Address());
  Add("two", receiver.Address());

  ExpectOwnUpload("one");
  EXPECT_EQ(Of("two").Call("GetFileCount", {"ATTACH_FILE"}).value.iVal(), 1);
  EXPECT_EQ(Of("two").Call("GetServerResponse").Text(), "");
  ExpectOwnUpload("two");
  EXPECT_EQ(ReplyOf(Of("one"))["target"], "/one.php");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SeveralControlsTest, ThreeControlsUploadInAnyOrderAndEachKeepsItsOwnReply) {
  ReceiverProcess first(Receiver());
  ReceiverProcess second(Receiver());
  Add("one", first.Address());
  Add("two", second.Address());
  Add("three", first.Address());

  ExpectOwnUpload("two");
  ExpectOwnUpload("one");
  ExpectOwnUpload("three");
  EXPECT_EQ(ReplyOf(Of("one"))["target"], "/one.php");
  EXPECT_EQ(ReplyOf(Of("two"))["target"], "/two.php");
  EXPECT_EQ(ReplyOf(Of("three"))["target"], "/three.php");
  EXPECT_NE(first.Output().find("POST /three.php"), std::string::npos);
  EXPECT_EQ(second.Output().find("POST /one.php"), std::string::npos);
}

TEST_F(SeveralControlsTest, ACancelReachesOnlyTheControlThatUploads) {
  ReceiverProcess receiver(Receiver({"--read-delay", "1"}));
  Add("one", receiver.Address());
  Add("two", receiver.Address());
  plat::shell::QueueOpenFileSelection({MakeFile("big.bin", 8 << 20)});
  ASSERT_TRUE(Of("one").Call("AttachFiles").ok());
  ClearAllEvents();
  DialogWatcher watcher([](pw::HWND dialog) { DialogWatcher::ClickCancel(dialog); });

  EXPECT_TRUE(Of("one").Call("UploadFiles").value == plat::com::Variant::Bool(false));

  EXPECT_EQ(NamesOf(Of("one")), (Names{"StartUpload", "CancelUpload"}));
  EXPECT_TRUE(Of("two").Events().Events().empty());
  EXPECT_EQ(Of("one").Call("GetFileCount", {"ATTACH_FILE"}).value.iVal(), 2);
  EXPECT_EQ(Of("two").Call("GetFileCount", {"ATTACH_FILE"}).value.iVal(), 1);
}

TEST_F(SeveralControlsTest, ControlsDestroyedWhileAnotherUploadsLeaveItsUploadWhole) {
  ReceiverProcess receiver(Receiver({"--read-delay", "1"}));
  Add("one", receiver.Address());
  Add("two", receiver.Address());
  Add("three", receiver.Address());
  // A file of some megabytes keeps the upload running over several ticks of the dialog's loop.
  plat::shell::QueueOpenFileSelection({MakeFile("two-big.bin", 6 << 20)});
  ASSERT_TRUE(Of("two").Call("AttachFiles").ok());
  ClearAllEvents();
  bool removed = false;
  DialogWatcher watcher([&](pw::HWND) {
    if (removed) return;
    removed = true;
    // The last control made (the process's current one) and the first one go while two uploads.
    Remove("three");
    Remove("one");
  });

  EXPECT_TRUE(Of("two").Call("UploadFiles").value == plat::com::Variant::Bool(true));

  EXPECT_TRUE(removed);
  EXPECT_EQ(NamesOf(Of("two")), kFinished);
  json reply = ReplyOf(Of("two"));
  EXPECT_EQ(reply["target"], "/two.php");
  EXPECT_EQ(reply["files"].size(), 2u);
  EXPECT_EQ(reply["files"][1]["size"], 6 << 20);
  EXPECT_EQ(reply["complete"], true);
  EXPECT_TRUE(Messages().empty());

  // The control that is left goes on working on its own.
  plat::shell::QueueOpenFileSelection({MakeFile("again.txt", 10)});
  ASSERT_TRUE(Of("two").Call("AttachFiles").ok());
  ClearAllEvents();
  EXPECT_TRUE(Of("two").Call("UploadFiles").value == plat::com::Variant::Bool(true));
  EXPECT_EQ(NamesOf(Of("two")), kFinished);
  EXPECT_EQ(ReplyOf(Of("two"))["target"], "/two.php");
}

}  // namespace
}  // namespace drev::testing
