// The test host: a control made through its factory, called by id or name, its events recorded, its
// properties loaded and saved, and its window placed in a host window.
#include "host/ControlHost.h"

#include <mutex>

#include "platform/com/connection_point.h"
#include "platform/com/memory_property_bag.h"
#include "platform/com/memory_stream.h"
#include "platform/com/persist.h"
#include "platform/text/text.h"
#include "platform/win/window.h"

namespace drev::host {

namespace pc = plat::com;
namespace pw = plat::win;
using plat::HRESULT;

namespace {

constexpr const char* kHostClass = "DrevHostWindow";

void RegisterHostClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    pw::WNDCLASSA wc;
    wc.lpfnWndProc = &pw::DefWindowProc;
    wc.lpszClassName = kHostClass;
    pw::RegisterClass(wc);
  });
}

}  // namespace

ScriptArg::ScriptArg(const std::string& utf8) : value_(pc::Variant::Bstr(plat::text::Utf8ToUtf16(utf8))) {}

std::string CallResult::Text() const {
  if (value.IsEmpty()) return {};
  pc::Variant text;
  if (pc::FAILED(pc::ChangeType(value, pc::VT_BSTR, &text))) return {};
  return plat::text::Utf16ToUtf8(text.bstrVal());
}

ControlHost::ControlHost(pc::IClassFactory* factory)
    : recorder_(pc::MakeCom<EventRecorder>(pc::TypeDispInterface{})) {
  if (!factory) {
    createResult_ = pc::E_POINTER;
    return;
  }
  createResult_ = factory->CreateInstance(nullptr, pc::IDispatch::iid, dispatch_.PutVoid());
}

ControlHost::~ControlHost() {
  Disconnect();
  if (auto window = As<IControlWindow>()) window->DestroyControlWindow();
  dispatch_.Reset();
  if (hostWindow_) pw::DestroyWindow(hostWindow_);
}

// ----- script calls -----

pc::DISPID ControlHost::IdOf(std::string_view name) const {
  if (!dispatch_) return pc::DISPID_UNKNOWN;
  std::u16string wide = plat::text::Utf8ToUtf16(name);
  std::u16string_view names[] = {wide};
  pc::DISPID id = pc::DISPID_UNKNOWN;
  dispatch_->GetIDsOfNames(names, &id);
  return id;
}

CallResult ControlHost::Invoke(pc::DISPID id, plat::WORD flags, std::vector<ScriptArg> args) {
  CallResult r;
  if (!dispatch_) {
    r.hr = pc::E_UNEXPECTED;
    return r;
  }
  std::vector<pc::Variant> values;
  for (const auto& a : args) values.push_back(a.value());
  pc::EXCEPINFO excep;
  plat::UINT argErr = 0;
  r.hr = dispatch_->Invoke(id, flags, values, &r.value, &excep, &argErr);
  return r;
}

CallResult ControlHost::Call(pc::DISPID id, std::vector<ScriptArg> args) {
  return Invoke(id, pc::DISPATCH_METHOD, std::move(args));
}
CallResult ControlHost::Call(std::string_view name, std::vector<ScriptArg> args) {
  return Call(IdOf(name), std::move(args));
}
CallResult ControlHost::Get(pc::DISPID id) { return Invoke(id, pc::DISPATCH_PROPERTYGET, {}); }
CallResult ControlHost::Get(std::string_view name) { return Get(IdOf(name)); }
CallResult ControlHost::Put(pc::DISPID id, ScriptArg value) {
  return Invoke(id, pc::DISPATCH_PROPERTYPUT, {std::move(value)});
}
CallResult ControlHost::Put(std::string_view name, ScriptArg value) { return Put(IdOf(name), std::move(value)); }

// ----- events -----

bool ControlHost::ConnectEvents(const pc::IID& eventIid, const pc::TypeDispInterface& events) {
  Disconnect();
  auto container = As<pc::IConnectionPointContainer>();
  if (!container || pc::FAILED(container->FindConnectionPoint(eventIid, point_.Put()))) return false;
  recorder_ = pc::MakeCom<EventRecorder>(events);
  if (pc::FAILED(point_->Advise(static_cast<pc::IDispatch*>(recorder_.Get()), &cookie_))) {
    point_.Reset();
    return false;
  }
  return true;
}

void ControlHost::Disconnect() {
  if (point_ && cookie_) point_->Unadvise(cookie_);
  point_.Reset();
  cookie_ = 0;
}

// ----- persistence -----

HRESULT ControlHost::InitNew() {
  auto persist = As<pc::IPersistPropertyBag>();
  return persist ? persist->InitNew() : pc::E_NOINTERFACE;
}

HRESULT ControlHost::LoadProperties(const std::vector<std::pair<std::string, std::string>>& params) {
  auto persist = As<pc::IPersistPropertyBag>();
  if (!persist) return pc::E_NOINTERFACE;
  auto bag = pc::MakeCom<pc::PropertyBag>();
  for (const auto& [name, value] : params)
    bag->Write(plat::text::Utf8ToUtf16(name), pc::Variant::Bstr(plat::text::Utf8ToUtf16(value)));
  return persist->Load(bag.Get());
}

HRESULT ControlHost::SaveProperties(std::vector<std::pair<std::string, pc::Variant>>* values, bool clearDirty) {
  if (!values) return pc::E_POINTER;
  auto persist = As<pc::IPersistPropertyBag>();
  if (!persist) return pc::E_NOINTERFACE;
  auto bag = pc::MakeCom<pc::PropertyBag>();
  HRESULT hr = persist->Save(bag.Get(), clearDirty ? plat::TRUE : plat::FALSE, plat::TRUE);
  values->clear();
  for (const auto& [name, value] : bag->Entries()) values->emplace_back(plat::text::Utf16ToUtf8(name), value);
  return hr;
}

HRESULT ControlHost::LoadStream(std::vector<plat::BYTE> bytes) {
  auto persist = As<pc::IPersistStreamInit>();
  if (!persist) return pc::E_NOINTERFACE;
  auto stream = pc::MakeCom<pc::MemoryStream>(std::move(bytes));
  return persist->Load(stream.Get());
}

HRESULT ControlHost::SaveStream(std::vector<plat::BYTE>* bytes, bool clearDirty) {
  if (!bytes) return pc::E_POINTER;
  auto persist = As<pc::IPersistStreamInit>();
  if (!persist) return pc::E_NOINTERFACE;
  auto stream = pc::MakeCom<pc::MemoryStream>();
  HRESULT hr = persist->Save(stream.Get(), clearDirty ? plat::TRUE : plat::FALSE);
  *bytes = stream->Bytes();
  return hr;
}

HRESULT ControlHost::IsDirty() {
  auto persist = As<pc::IPersistStreamInit>();
  return persist ? persist->IsDirty() : pc::E_NOINTERFACE;
}

// ----- windows -----

HRESULT ControlHost::CreateWindows(int width, int height, pw::HWND parent) {
  if (hostWindow_) return pc::E_UNEXPECTED;
  auto window = As<IControlWindow>();
  if (!window) return pc::E_NOINTERFACE;
  RegisterHostClass();
  // A frameless pop-up or child: its client area is its whole rectangle.
  const plat::DWORD kind = parent ? pw::WS_CHILD : pw::WS_POPUP;
  hostWindow_ = pw::CreateWindowEx(0, kHostClass, "DREV host", kind | pw::WS_VISIBLE | pw::WS_CLIPCHILDREN, 0, 0,
                                   width, height, parent, 0, nullptr);
  if (!hostWindow_) return pc::E_FAIL;
  pw::HWND control = nullptr;
  HRESULT hr = window->CreateControlWindow(hostWindow_, plat::RECT{0, 0, width, height}, &control);
  if (pc::FAILED(hr)) {
    pw::DestroyWindow(hostWindow_);
    hostWindow_ = nullptr;
  }
  return hr;
}

HRESULT ControlHost::Resize(int width, int height) {
  if (!hostWindow_) return pc::E_UNEXPECTED;
  plat::RECT at{};
  pw::GetWindowRect(hostWindow_, &at);
  if (pw::HWND parent = pw::GetParent(hostWindow_)) {
    plat::POINT origin{at.left, at.top};
    pw::ScreenToClient(parent, &origin);
    at.left = origin.x;
    at.top = origin.y;
  } else {
    at = plat::RECT{};
  }
  pw::MoveWindow(hostWindow_, at.left, at.top, width, height, plat::TRUE);
  auto window = As<IControlWindow>();
  return window ? window->SetObjectRects(plat::RECT{0, 0, width, height}) : pc::E_NOINTERFACE;
}

pw::HWND ControlHost::ControlWindow() const {
  pw::HWND hwnd = nullptr;
  if (auto window = As<IControlWindow>()) window->GetControlWindow(&hwnd);
  return hwnd;
}

}  // namespace drev::host
