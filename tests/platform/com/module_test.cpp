// Reference counting, interface discovery, the class factory and the module's unload answer.
#include <gtest/gtest.h>

#include <new>

#include "platform/com/module.h"
#include "platform/com/persist.h"

namespace plat::com {
namespace {

// An object with two interfaces that both extend IPersist, to exercise discovery through bases.
class Thing : public RefCounted<IPersistStreamInit, IPersistPropertyBag> {
 public:
  Thing(ModuleLifetime& module, int* alive) : lock_(module), alive_(alive) { ++*alive_; }
  ~Thing() override { --*alive_; }

  HRESULT GetClassID(CLSID* clsid) override { return *clsid = kClsid, S_OK; }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream*) override { return S_OK; }
  HRESULT Save(IStream*, BOOL) override { return S_OK; }
  HRESULT GetSizeMax(std::uint64_t* size) override { return *size = 0, S_OK; }
  HRESULT InitNew() override { return S_OK; }
  HRESULT Load(IPropertyBag*) override { return S_OK; }
  HRESULT Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }

  static constexpr CLSID kClsid = MakeGuid("{0F0F0F0F-1111-2222-3333-444444444444}");

 private:
  ModuleLock lock_;
  int* alive_;
};

TEST(RefCounted, AnswersItsInterfacesAndTheirBasesAndDiesWithTheLastReference) {
  ModuleLifetime module;
  int alive = 0;
  {
    auto thing = MakeCom<Thing>(module, &alive);
    EXPECT_EQ(alive, 1);

    ComPtr<IUnknown> unknown1 = thing.As<IPersistStreamInit>().As<IUnknown>();
    ComPtr<IUnknown> unknown2 = thing.As<IPersistPropertyBag>().As<IUnknown>();
    ASSERT_TRUE(unknown1);
    EXPECT_EQ(unknown1, unknown2);  // one identity whichever way it is asked

    auto persist = thing.As<IPersist>();
    ASSERT_TRUE(persist);
    CLSID clsid;
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, Thing::kClsid);

    ComPtr<IClassFactory> none;
    EXPECT_EQ(thing.As(&none), E_NOINTERFACE);
    EXPECT_FALSE(none);
    EXPECT_EQ(thing->QueryInterface(IUnknown::iid, nullptr), E_POINTER);

    // Every reference taken above has an owner; dropping the last one destroys the object.
    ComPtr<IPersistPropertyBag> last = thing.As<IPersistPropertyBag>();
    thing.Reset();
    persist.Reset();
    unknown1.Reset();
    unknown2.Reset();
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

TEST(ComPtr, CopiesShareMovesTransferAndAdoptTakesOverAReference) {
  ModuleLifetime module;
  int alive = 0;
  ComPtr<Thing> a = MakeCom<Thing>(module, &alive);
  ComPtr<Thing> b = a;
  ComPtr<IPersist> base = b.As<IPersist>();
  ComPtr<Thing> c = std::move(a);
  EXPECT_FALSE(a);
  EXPECT_EQ(b, c);
  a = c;
  a = a;  // self-assignment keeps the reference
  void* raw = nullptr;
  ASSERT_EQ(c->QueryInterface(IPersistStreamInit::iid, &raw), S_OK);
  auto adopted = ComPtr<IPersistStreamInit>::Adopt(static_cast<IPersistStreamInit*>(raw));
  a.Reset();
  b.Reset();
  c.Reset();
  base.Reset();
  EXPECT_EQ(alive, 1);
  IPersistStreamInit* detached = adopted.Detach();
  EXPECT_EQ(alive, 1);
  detached->Release();
  EXPECT_EQ(alive, 0);
}

TEST(ClassFactory, MakesObjectsRefusesAggregationAndCountsLocks) {
  ModuleLifetime module;
  int alive = 0;
  auto factory = MakeCom<ClassFactory>(module, [&] { return MakeCom<Thing>(module, &alive).As<IUnknown>(); });
  EXPECT_EQ(module.CanUnloadNow(), S_OK);  // a factory alone does not hold the module

  ComPtr<IPersistPropertyBag> bag;
  ASSERT_EQ(factory->CreateInstance(nullptr, IPersistPropertyBag::iid, bag.PutVoid()), S_OK);
  EXPECT_EQ(alive, 1);
  EXPECT_EQ(module.CanUnloadNow(), S_FALSE);

  ComPtr<IClassFactory> wrong;
  EXPECT_EQ(factory->CreateInstance(nullptr, IClassFactory::iid, wrong.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(alive, 1);  // the object made for the failed request is gone again
  EXPECT_EQ(factory->CreateInstance(bag.Get(), IUnknown::iid, wrong.PutVoid()), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::iid, nullptr), E_POINTER);

  bag.Reset();
  EXPECT_EQ(module.CanUnloadNow(), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);  // no lock left to release
  EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

TEST(ClassFactory, ACreatorThatFailsGivesAnErrorNotACrash) {
  ModuleLifetime module;
  ComPtr<IUnknown> out;
  auto empty = MakeCom<ClassFactory>(module, [] { return ComPtr<IUnknown>(); });
  EXPECT_EQ(empty->CreateInstance(nullptr, IUnknown::iid, out.PutVoid()), E_FAIL);
  auto noMemory = MakeCom<ClassFactory>(module, []() -> ComPtr<IUnknown> { throw std::bad_alloc(); });
  EXPECT_EQ(noMemory->CreateInstance(nullptr, IUnknown::iid, out.PutVoid()), E_OUTOFMEMORY);
  EXPECT_FALSE(out);
}

}  // namespace
}  // namespace plat::com
