// Names, extensions and folder searches over CP949 paths: separators and dots are found only at
// character boundaries.
#include <gtest/gtest.h>

#include "attachments/AttachNames.h"
#include "platform/text/text.h"

namespace {

using namespace drev;

using plat::text::Utf8ToCp949;

TEST(AttachNames, TheNameFollowsTheLastSeparatorOfEitherStyle) {
  EXPECT_EQ(AttachNameOfPath("C:\\My Files\\report.doc"), "report.doc");
  EXPECT_EQ(AttachNameOfPath("/home/user/report.doc"), "report.doc");
  EXPECT_EQ(AttachNameOfPath("C:\\mixed/style\\name"), "name");
  EXPECT_EQ(AttachNameOfPath("plain.txt"), "plain.txt");
  EXPECT_EQ(AttachNameOfPath("/folder/"), "");
  EXPECT_EQ(AttachNameOfPath(Utf8ToCp949("C:\\문서\\보고서.hwp")), Utf8ToCp949("보고서.hwp"));
  // A double-byte character whose second byte has the value of "\" is not a separator.
  EXPECT_EQ(AttachNameOfPath("C:\\dir\\a\x81\x5C" "b.txt"), "a\x81\x5C" "b.txt");
}

TEST(AttachNames, TheExtensionIsTheTailFromTheLastDotOrTheWholeName) {
  EXPECT_EQ(AttachExtensionOf("archive.tar.gz"), ".gz");
  EXPECT_EQ(AttachExtensionOf("README"), "README");
  EXPECT_EQ(AttachExtensionOf(".profile"), ".profile");
  EXPECT_EQ(AttachExtensionOf("dot."), ".");
  EXPECT_EQ(AttachExtensionOf(""), "");
  EXPECT_EQ(AttachExtensionOf(Utf8ToCp949("사진.JPG")), ".JPG");
  // Nor is a second byte with the value of "." a dot.
  EXPECT_EQ(AttachExtensionOf("x.txt\xB1\x2E" "bak"), ".txt\xB1\x2E" "bak");
}

TEST(AttachNames, AFolderNameIsFoundOnlyAtACharacterBoundaryInItsExactCase) {
  const std::string folder = "Temporary Internet Files";
  EXPECT_TRUE(PathContains("C:\\Temporary Internet Files\\Content.IE5\\a.gif", folder));
  EXPECT_FALSE(PathContains("C:\\temporary internet files\\a.gif", folder));
  EXPECT_TRUE(PathContains(Utf8ToCp949("가") + folder, folder));
  // Here "T" is the second byte of a double-byte character, not the start of the name.
  EXPECT_FALSE(PathContains("\xB1" + folder, folder));
  EXPECT_FALSE(PathContains("Temporary", folder));
}

}  // namespace
