// Category and type library registration against a registry store of the test's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/category_manager.h"
#include "platform/com/class_registry.h"
#include "platform/com/typelib_registry.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"

namespace plat::com {
namespace {

namespace reg = plat::registry;

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "drev-com-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    setenv("DREV_REGISTRY", (dir_ / "registry.json").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("DREV_REGISTRY");
    std::filesystem::remove_all(dir_);
  }

  static bool KeyExists(const std::string& path) {
    reg::HKEY key = nullptr;
    if (reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, path.c_str(), 0, reg::KEY_READ, &key) != 0) return false;
    reg::RegCloseKey(key);
    return true;
  }
  static std::optional<std::string> Text(const std::string& path, const char* name) {
    reg::HKEY key = nullptr;
    if (reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, path.c_str(), 0, reg::KEY_READ, &key) != 0) return std::nullopt;
    char buffer[1024] = {};
    DWORD size = sizeof buffer;
    LONG err = reg::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    reg::RegCloseKey(key);
    if (err != 0) return std::nullopt;
    return std::string(buffer);
  }

  std::filesystem::path dir_;
};

constexpr CLSID kControl = MakeGuid("{0A0B0C0D-1111-2222-3333-444444444444}");
const std::string kScripting = "Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
const std::string kImplemented = "CLSID\\{0A0B0C0D-1111-2222-3333-444444444444}\\Implemented Categories";

TEST_F(RegistrationTest, CategoriesAndTheClassesImplementingThemAreRecorded) {
  ComPtr<ICatRegister> cats;
  ASSERT_EQ(CreateCategoryManager(ICatRegister::iid, cats.PutVoid()), S_OK);
  CATEGORYINFO info[] = {{CATID_SafeForScripting, 0x0409, u"Controls that are safely scriptable"},
                         {CATID_SafeForInitializing, 0x0412, u"초기화해도 안전한 컨트롤"}};
  for (int round = 0; round < 2; ++round) {  // registering twice changes nothing
    ASSERT_EQ(cats->RegisterCategories(info), S_OK);
    const CATID both[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
    ASSERT_EQ(cats->RegisterClassImplCategories(kControl, both), S_OK);
  }
  EXPECT_EQ(Text(kScripting, "409"), "Controls that are safely scriptable");
  EXPECT_EQ(Text("Component Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}", "412"),
            plat::text::Utf8ToCp949("초기화해도 안전한 컨트롤"));
  EXPECT_TRUE(KeyExists(kImplemented + "\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_TRUE(KeyExists(kImplemented + "\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));

  const CATID one[] = {CATID_SafeForScripting};
  ASSERT_EQ(cats->UnRegisterClassImplCategories(kControl, one), S_OK);
  EXPECT_FALSE(KeyExists(kImplemented + "\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_TRUE(KeyExists(kImplemented + "\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_EQ(cats->UnRegisterClassImplCategories(kControl, one), S_OK);  // not listed: no error
  const CATID other[] = {CATID_SafeForInitializing};
  ASSERT_EQ(cats->UnRegisterClassImplCategories(kControl, other), S_OK);
  EXPECT_FALSE(KeyExists(kImplemented));

  ASSERT_EQ(cats->UnRegisterCategories(one), S_OK);
  EXPECT_FALSE(KeyExists(kScripting));
  EXPECT_TRUE(KeyExists("Component Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
}

TEST_F(RegistrationTest, LongDescriptionsAreCutTo127UnitsWithoutSplittingACharacter) {
  auto cats = CreateCategoryManager();
  ASSERT_TRUE(cats);
  std::u16string longText(200, u'x');
  std::u16string pairAtEdge = std::u16string(126, u'y') + u"\U0001F600" + u"tail";  // unit 127 is half a pair
  CATEGORYINFO info[] = {{CATID_SafeForScripting, 0x0409, longText},
                         {CATID_SafeForInitializing, 0x0409, pairAtEdge}};
  ASSERT_EQ(cats->RegisterCategories(info), S_OK);
  EXPECT_EQ(Text(kScripting, "409"), std::string(127, 'x'));
  EXPECT_EQ(Text("Component Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}", "409"), std::string(126, 'y'));
}

TypeLibrary SmallLibrary() {
  TypeLibrary lib;
  lib.libid = MakeGuid("{12345678-0000-0000-0000-0000000000AA}");
  lib.name = "DREV";
  lib.lcid = 0x0409;
  lib.helpString = plat::text::Utf8ToCp949("DREV ActiveX 컨트롤 모듈");
  lib.control = true;
  TypeDispInterface itf;
  itf.iid = MakeGuid("{12345678-0000-0000-0000-0000000000BB}");
  itf.name = "_DDrev";
  itf.methods = {{1, "DeleteSelectedItem", {}, VT_EMPTY, plat::text::Utf8ToCp949("메서드 DeleteSelectedItem")}};
  lib.interfaces = {itf};
  return lib;
}

TEST_F(RegistrationTest, ARegisteredTypeLibraryCanBeReadBackAndRemoved) {
  const TypeLibrary lib = SmallLibrary();
  const std::string path = "/opt/drev/모듈/zelk.ocx";
  ASSERT_EQ(RegisterTypeLib(lib, path), S_OK);
  ASSERT_EQ(RegisterTypeLib(lib, path), S_OK);  // twice is fine

  TypeLibrary back;
  ASSERT_EQ(LoadRegTypeLib(lib.libid, 1, 0, &back), S_OK);
  EXPECT_EQ(back, lib);
  std::string found;
  ASSERT_EQ(QueryPathOfRegTypeLib(lib.libid, 1, 0, 0x0409, &found), S_OK);
  EXPECT_EQ(found, path);
  EXPECT_EQ(QueryPathOfRegTypeLib(lib.libid, 1, 0, 0, &found), S_OK);
  EXPECT_EQ(QueryPathOfRegTypeLib(lib.libid, 1, 0, 0x0412, &found), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(LoadRegTypeLib(lib.libid, 2, 0, &back), TYPE_E_LIBNOTREGISTERED);

  const std::string itfKey = "Interface\\{12345678-0000-0000-0000-0000000000BB}";
  EXPECT_EQ(Text(itfKey, ""), "_DDrev");
  EXPECT_EQ(Text(itfKey + "\\TypeLib", ""), "{12345678-0000-0000-0000-0000000000AA}");
  EXPECT_EQ(Text("TypeLib\\{12345678-0000-0000-0000-0000000000AA}\\1.0", ""), lib.helpString);

  EXPECT_EQ(UnRegisterTypeLib(lib.libid, 1, 0, 0x0412), TYPE_E_REGISTRYACCESS);  // another locale
  ASSERT_EQ(UnRegisterTypeLib(lib.libid, 1, 0, 0), S_OK);  // locale 0 takes the one registered
  EXPECT_EQ(LoadRegTypeLib(lib.libid, 1, 0, &back), TYPE_E_LIBNOTREGISTERED);
  EXPECT_FALSE(KeyExists(itfKey));
  EXPECT_FALSE(KeyExists("TypeLib\\{12345678-0000-0000-0000-0000000000AA}"));
  EXPECT_EQ(UnRegisterTypeLib(lib.libid, 1, 0, 0), TYPE_E_REGISTRYACCESS);
}

TEST_F(RegistrationTest, UnregisteringOneVersionKeepsTheOthers) {
  TypeLibrary v1 = SmallLibrary(), v2 = SmallLibrary();
  v2.majorVersion = 2;
  v2.interfaces.clear();
  ASSERT_EQ(RegisterTypeLib(v1, "/a/zelk.ocx"), S_OK);
  ASSERT_EQ(RegisterTypeLib(v2, "/b/zelk.ocx"), S_OK);
  EXPECT_EQ(ListRegTypeLibs(), (std::vector<RegTypeLibEntry>{{v1.libid, 1, 0, 0x0409, "/a/zelk.ocx"},
                                                             {v1.libid, 2, 0, 0x0409, "/b/zelk.ocx"}}));
  ASSERT_EQ(UnRegisterTypeLib(v1.libid, 1, 0, 0x0409), S_OK);
  EXPECT_EQ(ListRegTypeLibs(), (std::vector<RegTypeLibEntry>{{v1.libid, 2, 0, 0x0409, "/b/zelk.ocx"}}));
  std::string path;
  EXPECT_EQ(QueryPathOfRegTypeLib(v2.libid, 2, 0, 0, &path), S_OK);
  EXPECT_EQ(path, "/b/zelk.ocx");
}

TEST_F(RegistrationTest, APathTheRegistryCannotHoldIsRefused) {
  EXPECT_TRUE(FAILED(RegisterTypeLib(SmallLibrary(), "/tmp/\U0001F600/zelk.ocx")));
  TypeLibrary back;
  EXPECT_EQ(LoadRegTypeLib(SmallLibrary().libid, 1, 0, &back), TYPE_E_LIBNOTREGISTERED);
}

TEST_F(RegistrationTest, AControlClassIsFoundByItsProgIdAndLeavesOnlyItsCategoriesBehind) {
  ControlClassInfo info;
  info.clsid = kControl;
  info.progId = "DREV.multiuploadctrl.1";
  info.userTypeName = "DREV multiupload control";
  info.modulePath = "/opt/drev/zelk.ocx";
  info.miscStatus = 0x00020191;
  info.typeLib = SmallLibrary().libid;
  ASSERT_EQ(RegisterControlClass(info), S_OK);
  ASSERT_EQ(RegisterControlClass(info), S_OK);
  const CATID both[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
  ASSERT_EQ(CreateCategoryManager()->RegisterClassImplCategories(kControl, both), S_OK);

  const std::string key = "CLSID\\{0A0B0C0D-1111-2222-3333-444444444444}";
  EXPECT_EQ(Text(key, ""), "DREV multiupload control");
  EXPECT_EQ(Text(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(Text(key + "\\MiscStatus\\1", ""), "131473");
  EXPECT_EQ(Text(key + "\\ToolboxBitmap32", ""), "/opt/drev/zelk.ocx, 1");
  EXPECT_EQ(Text(key + "\\TypeLib", ""), "{12345678-0000-0000-0000-0000000000AA}");
  EXPECT_TRUE(KeyExists(key + "\\Control"));
  EXPECT_FALSE(KeyExists(key + "\\Insertable"));

  CLSID found;
  ASSERT_EQ(CLSIDFromProgID("drev.MultiUploadCtrl.1", &found), S_OK);  // the registry ignores case
  EXPECT_EQ(found, kControl);
  std::string path;
  ASSERT_EQ(GetInprocServerPath(found, &path), S_OK);
  EXPECT_EQ(path, "/opt/drev/zelk.ocx");

  ASSERT_EQ(UnregisterControlClass(kControl, info.progId), S_OK);
  EXPECT_EQ(CLSIDFromProgID(info.progId, &found), CO_E_CLASSSTRING);
  EXPECT_EQ(GetInprocServerPath(kControl, &path), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(KeyExists(key + "\\MiscStatus"));
  EXPECT_TRUE(KeyExists(kImplemented + "\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_TRUE(KeyExists(kImplemented + "\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_EQ(UnregisterControlClass(kControl, info.progId), S_OK);  // nothing left to remove

  ASSERT_EQ(CreateCategoryManager()->UnRegisterClassImplCategories(kControl, both), S_OK);
  ASSERT_EQ(UnregisterControlClass(kControl, info.progId), S_OK);
  EXPECT_FALSE(KeyExists(key));  // nothing else was in it
}

}  // namespace
}  // namespace plat::com
