// Removing files through the control: ticked rows, rows by kind, and the deletion list of files the
// server holds.
#include <gtest/gtest.h>

#include "tests/attachments/attach_fixture.h"

namespace drev::testing {
namespace {

using Log = std::vector<std::string>;

class RemovingTest : public AttachTest {
 protected:
  // Appends local rows of the given sizes, in order.
  void LocalRows(const std::vector<std::size_t>& sizes) {
    const int before = Rows();
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < sizes.size(); ++i) paths.push_back(MakeFile("row" + std::to_string(i), sizes[i]));
    Pick(paths);
    ASSERT_EQ(Rows(), before + static_cast<int>(sizes.size()));
  }
  // The user ticks the row's box.
  void Tick(int row) { ASSERT_TRUE(Frame().GetListCtrl().SetCheckbox(row, 0, 1)); }
  std::string DeleteList() { return Host().Call("GetDeleteFileList").Text(); }
  void ChangeCount(int n) {
    int seen = 0;
    for (const auto& e : EventLog()) seen += e.rfind("ChangeFileList", 0) == 0;
    EXPECT_EQ(seen, n);
  }
};

TEST_F(RemovingTest, TickedRowsGoAndOneEventReportsTheLowestTickedRowsSize) {
  LocalRows({10, 20, 30});
  for (int row : {0, 1, 2}) Tick(row);
  Host().Events().Clear();
  ASSERT_TRUE(Host().Call("DeleteSelectedItem").ok());
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"0Byte\", \"0Byte\")", "OnFileDeleted(10, 0)"}));
  EXPECT_EQ(DeleteList(), ",");  // local files are simply forgotten
}

TEST_F(RemovingTest, UntickedRowsStayInTheirOrder) {
  LocalRows({10, 20, 30, 40});
  Tick(1);
  Tick(3);
  Host().Events().Clear();
  ASSERT_TRUE(Host().Call("DeleteSelectedItem").ok());
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Row(0).m_nSize, 10);
  EXPECT_EQ(Row(1).m_nSize, 30);
  EXPECT_EQ(Frame().GetListCtrl().GetItemText(1, 2), "30Byte");  // the row's cells moved up with it
  EXPECT_EQ(EventLog().back(), "OnFileDeleted(20, 40)");

  // Nothing ticked: nothing goes, but the page still hears of it once.
  Host().Events().Clear();
  ASSERT_TRUE(Host().Call("DeleteSelectedItem").ok());
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"40Byte\", \"0Byte\")", "OnFileDeleted(0, 40)"}));
}

TEST_F(RemovingTest, AServerRowMovesToTheDeletionList) {
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"kept-on-server.doc", 7, 100, false}).ok());
  LocalRows({200, 50});  // appended after the server row
  Tick(0);
  ASSERT_TRUE(Host().Call("DeleteSelectedItem").ok());
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Count("DELETE_FILE"), 1);
  EXPECT_EQ(DeleteList(), ",,7");
  EXPECT_EQ(Call32("GetUploadSize"), 150);  // 250 of rows less the deleted server file's 100
  ASSERT_EQ(Frame().GetDeleteRecords().size(), 1u);
  const CAttachFile& moved = *Frame().GetDeleteRecords().front();
  EXPECT_EQ(moved.m_bDeleted, 1);
  EXPECT_EQ(moved.m_strName, "kept-on-server.doc");
  EXPECT_EQ(EventLog().back(), "OnFileDeleted(100, 250)");
}

TEST_F(RemovingTest, DeleteAllItemRemovesNoRowAsRowsKeepTheirKindButStillRecounts) {
  LocalRows({10});
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"server.doc", 1, 20, false}).ok());
  Host().Events().Clear();
  for (std::int32_t kind : {0, 1, 65535}) ASSERT_TRUE(Host().Call("DeleteAllItem", {kind}).ok());
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Count("DELETE_FILE"), 0);
  EXPECT_EQ(EventLog(), Log(3, "ChangeFileList(\"30Byte\", \"0Byte\")"));
}

TEST_F(RemovingTest, DeletingAnImageTakesTheFirstImageWithThatId) {
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"a.jpg", 5, 1, true}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"b.jpg", 5, 2, true}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"c.jpg", 6, 4, true}).ok());
  Host().Events().Clear();
  ASSERT_TRUE(Host().Call("AddDeleteFile", {5, 100, true}).ok());
  ASSERT_EQ(Frame().GetImageRecords().size(), 2u);
  EXPECT_EQ(Frame().GetImageRecords()[0]->m_strName, "b.jpg");
  EXPECT_EQ(EventLog(), Log{"ChangeFileList(\"0Byte\", \"6Byte\")"});
  EXPECT_EQ(DeleteList(), ",,5");

  // Id -1 is the id of every local image: the first of them goes.
  ASSERT_TRUE(Host().Call("AddImage", {"F", MakeFile("local.png", 8)}).ok());
  ASSERT_EQ(Count("ATTACH_IMAGE"), 1);
  ASSERT_TRUE(Host().Call("AddDeleteFile", {-1, 0, true}).ok());
  EXPECT_EQ(Count("ATTACH_IMAGE"), 0);
  EXPECT_EQ(Frame().GetImageRecords().size(), 2u);
  EXPECT_EQ(DeleteList(), ",,5,-1");
  // An id that no image has still makes a deletion record.
  ASSERT_TRUE(Host().Call("AddDeleteFile", {99, 0, true}).ok());
  EXPECT_EQ(Frame().GetImageRecords().size(), 2u);
  EXPECT_EQ(Count("DELETE_FILE"), 3);
}

TEST_F(RemovingTest, DeletingAFileThatIsNotAnImageLowersTheUploadSizeAndKeepsTheRows) {
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"listed.doc", 3, 100, false}).ok());
  LocalRows({40});
  Host().Events().Clear();
  ASSERT_TRUE(Host().Call("AddDeleteFile", {3, 100, false}).ok());
  ASSERT_TRUE(Host().Call("AddDeleteFile", {3, 100, false}).ok());  // each call adds a record
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Call32("GetUploadSize"), 140 - 200);
  EXPECT_EQ(DeleteList(), ",,3,3");
  ChangeCount(2);
  const CAttachFile& record = *Frame().GetDeleteRecords().front();
  EXPECT_EQ(record.m_bServer, 1);
  EXPECT_EQ(record.m_bDeleted, 1);
  EXPECT_EQ(record.m_nSize, 100);
  EXPECT_TRUE(record.m_strPath.empty());
}

}  // namespace
}  // namespace drev::testing
