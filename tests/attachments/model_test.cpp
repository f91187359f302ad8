// The attachment model through the control's script interface: counts by type, the size
// arithmetic with its wrapping sums and negative results, the 16-bit count, scrap mode, and the
// emptying of every list.
#include <gtest/gtest.h>

#include <climits>

#include "control/CurrentControl.h"
#include "model/PrivateMessages.h"
#include "tests/control/control_fixture.h"

namespace drev::testing {
namespace {

namespace pc = plat::com;
using Log = std::vector<std::string>;

class ModelTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    PlaceWithWindow();
  }
  std::int16_t Count(const char* type) { return Host().Call("GetFileCount", {type}).value.iVal(); }
  std::int32_t UploadSize() { return Host().Call("GetUploadSize").value.lVal(); }
  void ServerFile(const char* name, std::int32_t id, std::int32_t size, bool image) {
    ASSERT_TRUE(Host().Call("AddPreUploadFile", {name, id, size, image}).ok());
  }
  void Deletion(std::int32_t id, std::int32_t size, bool image) {
    ASSERT_TRUE(Host().Call("AddDeleteFile", {id, size, image}).ok());
  }
};

TEST_F(ModelTest, AFreshManagerCountsNothing) {
  for (const char* type : {"ATTACH_FILE", "ATTACH_IMAGE", "DELETE_FILE", "TOTAL_ATTACH_FILE"}) EXPECT_EQ(Count(type), 0);
  EXPECT_EQ(UploadSize(), 0);
  EXPECT_EQ(Host().Call("GetDeleteFileList").Text(), ",");
  EXPECT_TRUE(EventLog().empty());
}

TEST_F(ModelTest, CountsByTypeLeaveServerFilesOutOfTheAttachmentCounts) {
  ServerFile("one.txt", 1, 10, false);
  ServerFile("two.txt", 2, 20, false);
  ServerFile("three.jpg", 3, 3000, true);
  Deletion(4, 40, false);
  Deletion(5, 50, true);
  EXPECT_EQ(Count("ATTACH_FILE"), 0);  // both rows are the server's
  EXPECT_EQ(Count("ATTACH_IMAGE"), 0);
  EXPECT_EQ(Count("TOTAL_ATTACH_FILE"), 0);
  EXPECT_EQ(Count("DELETE_FILE"), 2);
  EXPECT_EQ(Count("Delete_File"), 0);
  // The totals the page hears count every row and every image all the same.
  EXPECT_EQ(EventLog().back(), "ChangeFileList(\"30Byte\", \"2KB\")");
  EXPECT_EQ(Host().Call("GetDeleteFileList").Text(), ",,4,5");
}

TEST_F(ModelTest, UploadSizeIsTheRowsLessTheDeletedFilesThatAreNotImagesAndMayBeNegative) {
  ServerFile("a.doc", 1, 100, false);
  ServerFile("b.doc", 2, 200, false);
  ServerFile("c.png", 3, 1000, true);  // images are not rows
  EXPECT_EQ(UploadSize(), 300);
  Deletion(9, 250, false);
  EXPECT_EQ(UploadSize(), 50);
  Deletion(10, 5000, true);  // a deleted image does not count
  EXPECT_EQ(UploadSize(), 50);
  Deletion(11, 400, false);
  EXPECT_EQ(UploadSize(), -350);
  // A negative size given by the page counts as it is.
  ServerFile("d.doc", 4, -50, false);
  EXPECT_EQ(UploadSize(), -400);
}

TEST_F(ModelTest, SumsWrapAround32BitsInsteadOfFailing) {
  ServerFile("big1", 1, INT_MAX, false);
  ServerFile("big2", 2, 1, false);
  EXPECT_EQ(UploadSize(), INT_MIN);
  // The page's text is the size text of the wrapped total read as an unsigned count: 2^31 bytes.
  EXPECT_EQ(EventLog().back(), "ChangeFileList(\"2048MB\", \"0Byte\")");
  Deletion(3, INT_MIN, false);  // less the most negative size: wraps back to 0
  EXPECT_EQ(UploadSize(), 0);
  ServerFile("img1", 4, INT_MAX, true);
  ServerFile("img2", 5, INT_MAX, true);
  EXPECT_EQ(EventLog().back(), "ChangeFileList(\"2048MB\", \"4095MB\")");
}

TEST_F(ModelTest, CountsBeyond32767WrapToNegativeSixteenBitValues) {
  for (int i = 0; i < 32767; ++i) Deletion(i, 1, false);
  EXPECT_EQ(Count("DELETE_FILE"), 32767);
  Deletion(32767, 1, false);
  EXPECT_EQ(Count("DELETE_FILE"), -32768);
  for (int i = 32768; i < 40000; ++i) Deletion(i, 1, false);
  host::CallResult r = Host().Call("GetFileCount", {"DELETE_FILE"});
  ASSERT_EQ(r.value.vt(), pc::VT_I2);
  EXPECT_EQ(r.value.iVal(), 40000 - 65536);
  EXPECT_EQ(UploadSize(), -40000);
  // Every deletion record is released once when the lists are emptied.
  ASSERT_EQ(GetCurrentControl()->SendToControl(UM_UPLOAD_FINISH, 0, 0), 0);
  EXPECT_EQ(Count("DELETE_FILE"), 0);
}

TEST_F(ModelTest, ScrapModeFreezesTheListsButStillTakesServerImagesAndAnswersQueries) {
  ServerFile("kept.txt", 1, 10, false);
  Deletion(2, 20, false);
  ASSERT_TRUE(Host().Call("setScrapYn", {true}).ok());
  Host().Events().Clear();

  ServerFile("image.png", 3, 2048, true);        // still taken
  ServerFile("dropped.txt", 4, 30, false);       // refused: no row in scrap mode
  Deletion(5, 40, false);                        // ignored
  ASSERT_TRUE(Host().Call("DeleteAllItem", {std::int32_t{0}}).ok());
  ASSERT_TRUE(Host().Call("DeleteSelectedItem").ok());
  EXPECT_EQ(Host().Call("UploadFiles").value, pc::Variant::Bool(true));

  EXPECT_EQ(Count("DELETE_FILE"), 1);
  EXPECT_EQ(UploadSize(), 10 - 20);
  EXPECT_EQ(Host().Call("GetDeleteFileList").Text(), ",,2");
  // Only the image changed the lists; no upload started and nothing else was announced.
  for (const auto& entry : EventLog()) {
    EXPECT_EQ(entry, "ChangeFileList(\"10Byte\", \"2KB\")");
  }
  EXPECT_FALSE(EventLog().empty());

  // The finish handling empties nothing while scrap mode lasts, but still recounts.
  Host().Events().Clear();
  GetCurrentControl()->SendToControl(UM_UPLOAD_FINISH, 0, 0);
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"10Byte\", \"2KB\")", "OnContentReceived(\"\")"}));
  ASSERT_TRUE(Host().Call("setScrapYn", {false}).ok());
  GetCurrentControl()->SendToControl(UM_UPLOAD_FINISH, 0, 0);
  EXPECT_EQ(Count("DELETE_FILE"), 0);
  EXPECT_EQ(UploadSize(), 0);
}

}  // namespace
}  // namespace drev::testing
