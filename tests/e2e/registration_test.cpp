// Registering and unregistering the module, the values it leaves in the store, the type library as
// drevhost prints it, and the module's entry points called in this process.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/module.h"
#include "tests/e2e/e2e_support.h"

namespace drev::e2e {
namespace {

namespace pc = plat::com;

constexpr const char* kLibKey = "TypeLib\\{6B1E2A40-3C57-4D8E-9A21-5F0C7D3E8B11}";
constexpr const char* kScriptingCategory = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
constexpr const char* kInitializingCategory = "{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

using RegistrationTest = E2eTest;

TEST_F(RegistrationTest, RegisteringWritesTheControlClassWithItsValues) {
  RunResult r = Host({"regsvr", ModulePath()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "DllRegisterServer in " + ModulePath() + " succeeded.\n");

  const std::string key = kClsidKey;
  EXPECT_EQ(ClassesText(key), "DREV multiupload control");
  EXPECT_EQ(ClassesText(key + "\\ProgID"), "DREV.multiuploadctrl.1");
  EXPECT_EQ(ClassesText(key + "\\InprocServer32"), ModulePath());
  EXPECT_EQ(ClassesText(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(ClassesText(key + "\\ToolboxBitmap32"), ModulePath() + ", 1");
  EXPECT_EQ(ClassesText(key + "\\MiscStatus\\1"), std::to_string(0x00020191));
  EXPECT_EQ(ClassesText(key + "\\TypeLib"), "{6B1E2A40-3C57-4D8E-9A21-5F0C7D3E8B11}");
  EXPECT_EQ(ClassesText(key + "\\Version"), "1.0");
  EXPECT_TRUE(ClassesKeyExists(key + "\\Control"));
  EXPECT_FALSE(ClassesKeyExists(key + "\\Insertable"));
  EXPECT_EQ(ClassesText("DREV.multiuploadctrl.1\\CLSID"), "{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}");
  EXPECT_EQ(ClassesText(std::string(kLibKey) + "\\1.0\\409\\linux"), ModulePath());
}

TEST_F(RegistrationTest, TheClassIsListedAsSafeForScriptingAndInitialising) {
  RegisterModule();
  for (const char* category : {kScriptingCategory, kInitializingCategory})
    EXPECT_TRUE(ClassesKeyExists(std::string(kClsidKey) + "\\Implemented Categories\\" + category)) << category;
  EXPECT_EQ(ClassesText(std::string("Component Categories\\") + kScriptingCategory, "409"),
            "Controls that are safely scriptable");
  EXPECT_EQ(ClassesText(std::string("Component Categories\\") + kInitializingCategory, "409"),
            "Controls safely initializable from persistent data");
}

TEST_F(RegistrationTest, RegisteringTwiceSucceedsAndUnregisteringKeepsTheCategories) {
  RegisterModule();
  RegisterModule();
  RunResult r = Host({"regsvr", "-u", ModulePath()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "DllUnregisterServer in " + ModulePath() + " succeeded.\n");
  EXPECT_FALSE(ClassesKeyExists(std::string(kClsidKey) + "\\InprocServer32"));
  EXPECT_FALSE(ClassesKeyExists("DREV.multiuploadctrl.1"));
  EXPECT_FALSE(ClassesKeyExists(kLibKey));
  EXPECT_TRUE(ClassesKeyExists(std::string(kClsidKey) + "\\Implemented Categories\\" + kScriptingCategory));
  EXPECT_TRUE(ClassesKeyExists(std::string(kClsidKey) + "\\Implemented Categories\\" + kInitializingCategory));
  EXPECT_TRUE(ClassesText(std::string("Component Categories\\") + kScriptingCategory, "409"));

  // Nothing left to unregister: the type library step fails first, with its code.
  r = Host({"regsvr", "-u", ModulePath()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("DllUnregisterServer in " + ModulePath() + " failed. Return code was: "
                       "SELFREG_E_TYPELIB/CONNECT_E_NOCONNECTION (0x80040200)"),
            std::string::npos)
      << r.err;
  RegisterModule();
  EXPECT_EQ(ClassesText(std::string(kClsidKey) + "\\InprocServer32"), ModulePath());
}

TEST_F(RegistrationTest, TheRegisteredTypeLibraryPrintsAsOdl) {
  RegisterModule();
  RunResult r = Host({"typelib", ModulePath()});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* part : {"library DREV", "helpstring(\"DREV ActiveX 컨트롤 모듈\")", "dispinterface _DDrev\n",
                           "[id(36), helpstring(\"메서드 test\")] void test(BSTR message);",
                           "[id(13), helpstring(\"속성 ServerName\")] BSTR BIG_ServerName;",
                           "dispinterface _DDrevEvents",
                           "void ChangeFileList(BSTR NormalSize, BSTR BigSize);", "coclass DREV"})
    EXPECT_NE(r.out.find(part), std::string::npos) << part;
  EXPECT_EQ(r.out.find("Normal_UploadURL"), std::string::npos);  // implemented, not declared

  Host({"regsvr", "-u", ModulePath()});
  r = Host({"typelib", ModulePath()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "drevhost: no type library is registered for " + ModulePath() + "\n");
}

// ----- the entry points, with the module loaded into this process -----

class ModuleEntryPointsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(ModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(handle_) << dlerror();
    getClassObject_ = reinterpret_cast<pc::DllGetClassObjectFn>(dlsym(handle_, pc::kDllGetClassObject));
    canUnloadNow_ = reinterpret_cast<pc::DllCanUnloadNowFn>(dlsym(handle_, pc::kDllCanUnloadNow));
    ASSERT_TRUE(getClassObject_ && canUnloadNow_);
  }
  void TearDown() override { dlclose(handle_); }

  pc::ComPtr<pc::IClassFactory> Factory() {
    pc::ComPtr<pc::IClassFactory> factory;
    EXPECT_EQ(getClassObject_(&kControl, &pc::IClassFactory::iid, factory.PutVoid()), pc::S_OK);
    return factory;
  }

  static constexpr pc::CLSID kControl = pc::MakeGuid("{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}");
  void* handle_ = nullptr;
  pc::DllGetClassObjectFn getClassObject_ = nullptr;
  pc::DllCanUnloadNowFn canUnloadNow_ = nullptr;
};

TEST_F(ModuleEntryPointsTest, ItCanUnloadOnlyWhenNoObjectAndNoLockIsAlive) {
  EXPECT_EQ(canUnloadNow_(), pc::S_OK);
  auto factory = Factory();
  ASSERT_TRUE(factory);

  ASSERT_EQ(factory->LockServer(plat::TRUE), pc::S_OK);
  EXPECT_EQ(canUnloadNow_(), pc::S_FALSE);
  ASSERT_EQ(factory->LockServer(plat::FALSE), pc::S_OK);
  EXPECT_EQ(canUnloadNow_(), pc::S_OK);
  // An unlock without a lock is refused rather than letting the count go below what holds it.
  EXPECT_EQ(factory->LockServer(plat::FALSE), pc::E_UNEXPECTED);

  pc::ComPtr<pc::IDispatch> first, second;
  ASSERT_EQ(factory->CreateInstance(nullptr, pc::IDispatch::iid, first.PutVoid()), pc::S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, pc::IDispatch::iid, second.PutVoid()), pc::S_OK);
  EXPECT_EQ(canUnloadNow_(), pc::S_FALSE);
  first.Reset();
  EXPECT_EQ(canUnloadNow_(), pc::S_FALSE);
  ASSERT_EQ(factory->LockServer(plat::TRUE), pc::S_OK);
  second.Reset();
  EXPECT_EQ(canUnloadNow_(), pc::S_FALSE);  // the lock still holds it
  ASSERT_EQ(factory->LockServer(plat::FALSE), pc::S_OK);
  EXPECT_EQ(canUnloadNow_(), pc::S_OK);
}

TEST_F(ModuleEntryPointsTest, OnlyTheControlClassIsServed) {
  const pc::CLSID other = pc::MakeGuid("{00000000-1111-2222-3333-444444444444}");
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject_(&other, &pc::IClassFactory::iid, &out), pc::CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(getClassObject_(&kControl, &pc::IDispatch::iid, &out), pc::E_NOINTERFACE);
  EXPECT_EQ(getClassObject_(&kControl, &pc::IClassFactory::iid, nullptr), pc::E_POINTER);
  EXPECT_EQ(getClassObject_(nullptr, &pc::IClassFactory::iid, &out), pc::E_INVALIDARG);
}

TEST_F(ModuleEntryPointsTest, OnlyTheFourEntryPointsAreExported) {
  for (const char* name : {pc::kDllRegisterServer, pc::kDllUnregisterServer}) EXPECT_TRUE(dlsym(handle_, name)) << name;
  for (const char* hidden : {"_ZN4drev11DrevModuleEv", "AfxGetAppName", "_Z13AfxGetAppNamev"})
    EXPECT_FALSE(dlsym(handle_, hidden)) << hidden;
}

}  // namespace
}  // namespace drev::e2e
