// Keys: names without letter case, creation, listing, deletion of one key and of a tree, handles.
#include <string>
#include <vector>

#include "tests/platform/registry/registry_fixture.h"

namespace plat::registry {
namespace {

using namespace plat::kernel;
using testing::RegistryTest;

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    LONG r = RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (r != ERROR_SUCCESS) {
      EXPECT_EQ(r, ERROR_NO_MORE_ITEMS);
      break;
    }
    names.emplace_back(name, size);
  }
  return names;
}

TEST_F(RegistryTest, KeyNamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
  DWORD disposition = 0;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "DREV.MultiUploadCtrl.1\\CLSID", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  ASSERT_EQ(SetText(key, nullptr, "{GUID}"), ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "drev.multiuploadctrl.1\\clsid", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(GetText(key, ""), "{GUID}");
  RegCloseKey(key);

  HKEY progId = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "DREV.MULTIUPLOADCTRL.1", 0, KEY_READ, &progId), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(progId), std::vector<std::string>{"CLSID"});
  RegCloseKey(progId);
  std::vector<std::string> top = SubkeyNames(HKEY_CLASSES_ROOT);
  EXPECT_EQ(top, std::vector<std::string>{"DREV.MultiUploadCtrl.1"});
}

TEST_F(RegistryTest, SubkeysAreListedInNameOrderAndLongNamesNeedRoom) {
  HKEY parent = Create("Component Categories");
  for (const char* name : {"{b}", "{A}", "{c}"}) RegCloseKey(Create(name, parent));
  EXPECT_EQ(SubkeyNames(parent), (std::vector<std::string>{"{A}", "{b}", "{c}"}));

  char tiny[3];
  DWORD size = sizeof tiny;  // "{A}" needs 4 bytes with its terminator
  EXPECT_EQ(RegEnumKeyExA(parent, 0, tiny, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  RegCloseKey(parent);
}

TEST_F(RegistryTest, DeletingAKeyWithSubkeysNeedsTheTreeDelete) {
  HKEY clsid = Create("CLSID\\{X}");
  RegCloseKey(Create("InprocServer32", clsid));
  RegCloseKey(Create("TypeLib", clsid));
  ASSERT_EQ(SetText(clsid, nullptr, "DREV"), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{X}"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(clsid, "TypeLib"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(clsid, "TypeLib"), ERROR_FILE_NOT_FOUND);

  // A tree delete of the key's own contents keeps the key.
  EXPECT_EQ(RegDeleteTreeA(clsid, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(clsid), std::vector<std::string>{});
  EXPECT_EQ(GetText(clsid, nullptr), std::nullopt);

  RegCloseKey(Create("Deep\\Deeper\\Deepest", clsid));
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "clsid\\{x}"), ERROR_SUCCESS);
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{X}", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{X}"), ERROR_FILE_NOT_FOUND);

  // The handle still open on the deleted key says so.
  EXPECT_EQ(SetText(clsid, nullptr, "again"), ERROR_KEY_DELETED);
  EXPECT_EQ(GetText(clsid, nullptr), std::nullopt);
  EXPECT_EQ(RegCloseKey(clsid), ERROR_SUCCESS);
}

TEST_F(RegistryTest, HandlesKeepTheirAccessAndDieWhenClosed) {
  RegCloseKey(Create("TypeLib\\{T}"));
  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "TypeLib\\{T}", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  EXPECT_EQ(SetText(readOnly, nullptr, "no"), ERROR_ACCESS_DENIED);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExA(readOnly, "1.0", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_ACCESS_DENIED);

  // Opening with an empty sub key gives a second handle on the same key.
  HKEY same = nullptr;
  ASSERT_EQ(RegOpenKeyExA(readOnly, "", 0, KEY_ALL_ACCESS, &same), ERROR_SUCCESS);
  EXPECT_EQ(SetText(same, nullptr, "yes"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(readOnly, nullptr), "yes");

  EXPECT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(readOnly), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetText(readOnly, nullptr), std::nullopt);
  EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

TEST_F(RegistryTest, MalformedPathsAreRefused) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "\\a", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace plat::registry
