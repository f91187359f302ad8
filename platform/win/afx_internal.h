// The framework's private helpers: the handle map, the message being handled, temporary objects.
#pragma once

#include <memory>
#include <typeindex>

#include "platform/win/cwnd.h"

namespace plat::win::afx {

// Ties and unties an object and its window (the handle map is a window property).
void Map(HWND hwnd, CWnd* wnd);
void Unmap(HWND hwnd);
// The procedure the framework replaced for a window (kept beside the handle map).
void SetSuper(HWND hwnd, WNDPROC proc);
WNDPROC GetSuper(HWND hwnd);

// A framework-owned object of type T over a window that has no attached object; kept until the
// window is gone (checked on every request).
CWnd* Temporary(HWND hwnd, std::type_index type, std::unique_ptr<CWnd> (*make)());
template <typename T>
T* TemporaryOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<T*>(Temporary(hwnd, typeid(T), [] { return std::unique_ptr<CWnd>(new T); }));
}

// The object of type T attached to the window, else a temporary T.
template <typename T>
T* ObjectOf(HWND hwnd) {
  if (auto* attached = dynamic_cast<T*>(CWnd::FromHandlePermanent(hwnd))) return attached;
  return TemporaryOf<T>(hwnd);
}

// Routes the next window the calling thread creates to `wnd`, from its first message on.
void HookCreation(CWnd* wnd);

}  // namespace plat::win::afx
