// The private messages of the attachment manager and the progress dialog as the page hears them:
// which events, with which arguments, in which order, on which thread.
#include <gtest/gtest.h>

#include <thread>

#include "control/CurrentControl.h"
#include "model/PrivateMessages.h"
#include "model/UploadSettings.h"
#include "platform/win/message.h"
#include "tests/control/control_fixture.h"

namespace drev::testing {
namespace {

namespace pc = plat::com;
using Log = std::vector<std::string>;

class EventsTest : public ControlTest {
 protected:
  plat::LRESULT Send(plat::UINT message) { return GetCurrentControl()->SendToControl(message, 0, 0); }
  std::int16_t Count(const char* type) { return Host().Call("GetFileCount", {type}).value.iVal(); }
};

TEST_F(EventsTest, UploadFinishEmptiesEveryListThenHandsTheReplyToThePage) {
  PlaceWithWindow();
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"서버 문서.hwp", std::int32_t{11}, std::int32_t{100}, false}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"사진.jpg", std::int32_t{12}, std::int32_t{300}, true}).ok());
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{13}, std::int32_t{50}, false}).ok());
  ASSERT_EQ(Host().Call("GetUploadSize").value, pc::Variant::I4(50));
  GetCurrentControl()->SetServerResponse(Ansi("OK 응답"));
  Host().Events().Clear();

  EXPECT_EQ(Send(UM_UPLOAD_FINISH), 0);
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"0Byte\", \"0Byte\")", "OnContentReceived(\"OK 응답\")"}));
  EXPECT_EQ(Count("DELETE_FILE"), 0);
  EXPECT_EQ(Host().Call("GetDeleteFileList").Text(), ",");
  EXPECT_EQ(Host().Call("GetUploadSize").value, pc::Variant::I4(0));

  // Finished twice: the reply is still the last one stored, the lists stay empty.
  Host().Events().Clear();
  Send(UM_UPLOAD_FINISH);
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"0Byte\", \"0Byte\")", "OnContentReceived(\"OK 응답\")"}));
}

TEST_F(EventsTest, StartAndCancelBecomeTheirEventsAndLeaveTheListsAlone) {
  PlaceWithWindow();
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{7}, std::int32_t{10}, false}).ok());
  Host().Events().Clear();
  EXPECT_EQ(Send(UM_UPLOAD_START), 0);
  EXPECT_EQ(Send(UM_UPLOAD_CANCEL), 0);
  EXPECT_EQ(EventLog(), (Log{"StartUpload()", "CancelUpload()"}));
  EXPECT_EQ(Count("DELETE_FILE"), 1);
}

TEST_F(EventsTest, ChangeFileListCarriesTheSizeTextsOfTheRowAndImageTotals) {
  PlaceWithWindow();
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"a.txt", std::int32_t{1}, std::int32_t{2048}, false}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"b.txt", std::int32_t{2}, std::int32_t{1000}, false}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"c.png", std::int32_t{3}, std::int32_t{1572864}, true}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"d.png", std::int32_t{4}, std::int32_t{1023}, true}).ok());
  // Two rows of 3048 bytes and two images of 1573887 bytes: the texts are sizes, not counts.
  Log log = EventLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "ChangeFileList(\"2KB\", \"1MB\")");
  EXPECT_EQ(std::count(log.begin(), log.end(), "OnFileAppended(1000, 3048)"), 1);
  // Images fire no OnFileAppended.
  for (const auto& entry : log) EXPECT_EQ(entry.find("OnFileAppended(1572864"), std::string::npos);
}

TEST_F(EventsTest, AMessageSentFromAnotherThreadIsHandledOnTheControlsThread) {
  PlaceWithWindow();
  std::thread::id handlerThread;
  Host().Events().onEvent = [&](const host::RecordedEvent&) { handlerThread = std::this_thread::get_id(); };
  std::atomic<bool> done = false;
  plat::LRESULT answer = -1;
  std::thread worker([&] {
    answer = GetCurrentControl()->SendToControl(UM_UPLOAD_CANCEL, 0, 0);
    done = true;
  });
  while (!done) plat::win::PumpPendingMessages();
  worker.join();
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(EventLog(), (Log{"CancelUpload()"}));
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST_F(EventsTest, APageHandlerMayCallBackIntoTheControlWhileAnEventRuns) {
  PlaceWithWindow();
  std::vector<std::int16_t> seen;
  Host().Events().onEvent = [&](const host::RecordedEvent& e) {
    if (e.name == "ChangeFileList") seen.push_back(Count("TOTAL_ATTACH_FILE"));
    if (e.name == "StartUpload") Host().Call("AddDeleteFile", {std::int32_t{1}, std::int32_t{1}, false});
  };
  Send(UM_UPLOAD_START);
  EXPECT_EQ(Count("DELETE_FILE"), 1);
  EXPECT_EQ(EventLog(), (Log{"StartUpload()", "ChangeFileList(\"0Byte\", \"0Byte\")"}));
  EXPECT_EQ(seen, (std::vector<std::int16_t>{0}));
}

TEST_F(EventsTest, ChangesBeforeTheListExistsAreKeptAndCountedOnceItDoes) {
  ASSERT_EQ(Host().LoadProperties({}), pc::S_OK);
  // No window yet: there is no list to count against, so nothing is announced, but nothing is lost.
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"early.png", std::int32_t{9}, std::int32_t{2048}, true}).ok());
  EXPECT_TRUE(EventLog().empty());
  ASSERT_EQ(Host().CreateWindows(400, 200), pc::S_OK);
  EXPECT_TRUE(EventLog().empty());  // creating the window recounts nothing
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{5}, std::int32_t{1}, false}).ok());
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"0Byte\", \"2KB\")"}));
}

}  // namespace
}  // namespace drev::testing
