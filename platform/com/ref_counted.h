// RefCounted: the reference count and QueryInterface of an object that implements some interfaces.
#pragma once

#include <atomic>
#include <type_traits>
#include <utility>

#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace plat::com {

// Derive from RefCounted<IFoo, IBar> and implement the interfaces' own methods; QueryInterface
// answers IUnknown, every listed interface and the interfaces they extend. To answer further ids
// (an event interface served by IDispatch, say), override QueryInterface and fall back on
// RefCounted::QueryInterface. The object is destroyed by its last Release. Make objects with
// MakeCom so that the first reference has an owner from the start.
template <class First, class... Rest>
class RefCounted : public First, public Rest... {
 public:
  HRESULT QueryInterface(const IID& riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IUnknown::iid) {
      *ppv = static_cast<IUnknown*>(static_cast<First*>(this));
    } else {
      (Find<First>(riid, ppv) || ... || Find<Rest>(riid, ppv));
    }
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

 protected:
  RefCounted() = default;
  virtual ~RefCounted() = default;

 private:
  template <class I>
  bool Find(const IID& riid, void** ppv) {
    return Match<I>(static_cast<I*>(this), riid, ppv);
  }
  // Walks from interface I towards IUnknown through base_interface.
  template <class I>
  static bool Match(I* p, const IID& riid, void** ppv) {
    if (riid == I::iid) {
      *ppv = p;
      return true;
    }
    using Base = typename I::base_interface;
    if constexpr (!std::is_void_v<Base> && !std::is_same_v<Base, IUnknown>)
      return Match<Base>(static_cast<Base*>(p), riid, ppv);
    return false;
  }

  std::atomic<ULONG> refs_{0};
};

// Makes a T and hands back the first reference.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace plat::com
