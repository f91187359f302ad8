// Values: round trips of each type, buffer sizes, the MIME database's content types.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/registry/mime_types.h"
#include "platform/text/text.h"
#include "tests/platform/registry/registry_fixture.h"

namespace plat::registry {
namespace {

using namespace plat::kernel;
using testing::RegistryTest;

TEST_F(RegistryTest, ValuesOfEveryKindComeBackAsWritten) {
  HKEY key = Create("CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(SetText(key, nullptr, "/opt/drev/zelk.ocx"), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "ThreadingModel", "Apartment"), ERROR_SUCCESS);
  DWORD number = 0x00020191;
  ASSERT_EQ(RegSetValueExA(key, "MiscStatus", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4), ERROR_SUCCESS);
  const BYTE bytes[] = {0x00, 0xFF, 0x10, 0x7F};
  ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, bytes, sizeof bytes), ERROR_SUCCESS);
  RegCloseKey(key);

  // Through a new handle, from what the file holds.
  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32", 0,
                          KEY_READ, &again),
            ERROR_SUCCESS);
  EXPECT_EQ(GetText(again, ""), "/opt/drev/zelk.ocx");  // "" and null both name the default value
  EXPECT_EQ(GetText(again, "ThreadingModel"), "Apartment");
  DWORD type = 0, read = 0, size = sizeof read;
  ASSERT_EQ(RegQueryValueExA(again, "MiscStatus", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(read, 0x00020191u);
  BYTE blob[8] = {};
  size = sizeof blob;
  ASSERT_EQ(RegQueryValueExA(again, "Blob", nullptr, &type, blob, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(std::memcmp(blob, bytes, 4), 0);
  RegCloseKey(again);
}

TEST_F(RegistryTest, ATooSmallBufferIsLeftAloneAndTheNeededSizeReported) {
  HKEY key = Create(".doc1");
  ASSERT_EQ(SetText(key, "Content Type", "application/msword"), ERROR_SUCCESS);  // 18 bytes + terminator

  DWORD size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "Content Type", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 19u);

  char small[18];
  std::memset(small, '#', sizeof small);
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Content Type", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 19u);
  EXPECT_EQ(small[0], '#');

  char exact[19];
  size = sizeof exact;
  ASSERT_EQ(RegQueryValueExA(key, "Content Type", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(exact, "application/msword");

  DWORD wrongSize = 7;
  EXPECT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&wrongSize), 2),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, MissingValuesAndKeysAreNotFound) {
  HKEY key = Create("Empty");
  EXPECT_EQ(GetText(key, "Nothing"), std::nullopt);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Nothing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Nothing"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  HKEY none = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "No\\Such\\Key", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(none, nullptr);
}

TEST_F(RegistryTest, ContentTypesComeFromTheMimeDatabaseWithoutBeingStored) {
  EXPECT_EQ(ContentType(".txt"), "text/plain");
  EXPECT_EQ(ContentType(".JPG"), "image/jpeg");
  EXPECT_EQ(ContentType(".Jpeg"), "image/jpeg");
  EXPECT_EQ(ContentType(".no-such-extension"), std::nullopt);
  EXPECT_EQ(ContentType("README"), std::nullopt);  // only ".ext" keys are answered
  EXPECT_EQ(ContentType("txt"), std::nullopt);

  HKEY txt = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_QUERY_VALUE, &txt), ERROR_SUCCESS);
  EXPECT_EQ(GetText(txt, "Other Value"), std::nullopt);
  RegCloseKey(txt);
  EXPECT_FALSE(std::filesystem::exists(store_));  // reading never writes
}

TEST_F(RegistryTest, TheStoreOverridesTheMimeDatabase) {
  HKEY txt = Create(".TXT");
  ASSERT_EQ(SetText(txt, "Content Type", "text/x-ours"), ERROR_SUCCESS);
  RegCloseKey(txt);
  EXPECT_EQ(ContentType(".txt"), "text/x-ours");

  // Without the stored value the database answers again.
  txt = Create(".txt");
  ASSERT_EQ(RegDeleteValueA(txt, "content type"), ERROR_SUCCESS);
  RegCloseKey(txt);
  EXPECT_EQ(ContentType(".txt"), "text/plain");

  // A README key of the store answers like any other.
  HKEY readme = Create("README");
  ASSERT_EQ(SetText(readme, "Content Type", "text/x-readme"), ERROR_SUCCESS);
  RegCloseKey(readme);
  EXPECT_EQ(ContentType("README"), "text/x-readme");
}

TEST_F(RegistryTest, KoreanNamesAndTextsTravelAsCp949AndAreStoredAsUtf8) {
  const std::string keyName = text::Ansi("첨부할파일");
  const std::string valueName = text::Ansi("크기");
  const std::string value = text::Ansi("DREV ActiveX 컨트롤 모듈");
  HKEY key = Create(keyName);
  ASSERT_EQ(SetText(key, valueName.c_str(), value), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(GetText(key, valueName.c_str()), value);

  // Bytes that are not CP949 text are refused rather than stored changed.
  EXPECT_EQ(SetText(key, "Bad", "\xFF\xFE"), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(SetText(key, "\xFF", "x"), ERROR_NO_UNICODE_TRANSLATION);
  RegCloseKey(key);

  std::ifstream in(store_);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(file.find("DREV ActiveX 컨트롤 모듈"), std::string::npos);
  EXPECT_NE(file.find("첨부할파일"), std::string::npos);
}

TEST_F(RegistryTest, ValuesAreListedWithTheirTypes) {
  HKEY key = Create(".abcxyz");
  ASSERT_EQ(SetText(key, "Beta", "b"), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "alpha", "a"), ERROR_SUCCESS);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[64];
    DWORD nameSize = sizeof name, type = 0;
    char data[64];
    DWORD dataSize = sizeof data;
    LONG r = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(r, ERROR_SUCCESS);
    EXPECT_EQ(nameSize, std::strlen(name));
    names.push_back(std::string(name) + "=" + data);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"alpha=a", "Beta=b"}));
  RegCloseKey(key);
}

// The database's format read the way a line-by-line word reader reads it: words between blanks,
// a comment to the line's end, CR-LF lines, extensions in any case, and the first type of an
// extension listed twice.
std::unordered_map<std::string, std::string> ReadWordByWord(const std::string& text) {
  std::unordered_map<std::string, std::string> types;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string type, ext;
    if (!(words >> type)) continue;
    while (words >> ext) {
      for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      types.emplace(ext, type);
    }
  }
  return types;
}

std::unordered_map<std::string, std::string> Parsed(std::string text) {
  std::unordered_map<std::string, std::string> out;
  for (const auto& [ext, type] : detail::ParseMimeTypes(text)) out.emplace(ext, type);
  return out;
}

TEST(MimeDatabase, TheTableReadsLikeTheDatabaseWordByWord) {
  const std::string sample =
      "# comment line\n"
      "text/plain\t\ttxt  TEXT conf\n"
      "   \n"
      "application/x-only-type\n"
      "image/jpeg jpg JPEG jpe# trailing comment\n"
      "text/x-dup txt dup\r\n"
      "\timage/png png\f\vapng\r\n"
      "#image/gif gif\n"
      "audio/last last";  // no final newline
  const auto parsed = Parsed(sample);
  EXPECT_EQ(parsed, ReadWordByWord(sample));
  EXPECT_EQ(parsed.at("txt"), "text/plain");
  EXPECT_EQ(parsed.at("text"), "text/plain");
  EXPECT_EQ(parsed.at("jpe"), "image/jpeg");
  EXPECT_EQ(parsed.at("dup"), "text/x-dup");
  EXPECT_EQ(parsed.at("apng"), "image/png");
  EXPECT_EQ(parsed.at("last"), "audio/last");
  EXPECT_FALSE(parsed.contains("gif"));
  EXPECT_FALSE(parsed.contains("jpe#"));

  std::ifstream in("/etc/mime.types", std::ios::binary);
  const std::string system((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Parsed(system), ReadWordByWord(system));
}

}  // namespace
}  // namespace plat::registry
