// ControlHost: a small host for one control — creation through its class factory, script calls by
// id or name, an event log, property sets and saved streams, and a host window that holds the
// control's window.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/IControlWindow.h"
#include "platform/com/connection_point.h"
#include "host/EventRecorder.h"
#include "platform/com/class_factory.h"
#include "platform/com/dispatch.h"
#include "platform/com/variant.h"
#include "platform/win/winuser.h"

namespace drev::host {

// A script value going into a call: UTF-8 text (converted to a UTF-16 script string), a 32-bit
// integer, a double or a boolean.
class ScriptArg {
 public:
  ScriptArg(const char* utf8) : ScriptArg(std::string(utf8)) {}
  ScriptArg(const std::string& utf8);
  ScriptArg(std::int32_t value) : value_(plat::com::Variant::I4(value)) {}
  ScriptArg(double value) : value_(plat::com::Variant::R8(value)) {}
  ScriptArg(bool value) : value_(plat::com::Variant::Bool(value)) {}
  ScriptArg(plat::com::Variant value) : value_(std::move(value)) {}
  const plat::com::Variant& value() const { return value_; }

 private:
  plat::com::Variant value_;
};

// The result of a script call: the dispatch result code and the returned value.
struct CallResult {
  plat::HRESULT hr = 0;
  plat::com::Variant value;
  bool ok() const { return hr >= 0; }
  // The value as UTF-8 text (numbers in decimal, booleans "-1"/"0"); empty for an empty value.
  std::string Text() const;
};

// Owns one control object and, when asked, its event connection and a host window. Everything runs
// on the thread that made the host. On destruction the sink is disconnected, the control's window
// destroyed, the control released, and the host window destroyed, in that order.
class ControlHost {
 public:
  // Makes the control through `factory` (IClassFactory::CreateInstance for IDispatch). ok() tells
  // whether it was made; CreateResult() gives the factory's answer.
  explicit ControlHost(plat::com::IClassFactory* factory);
  ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  bool ok() const { return static_cast<bool>(dispatch_); }
  plat::HRESULT CreateResult() const { return createResult_; }
  plat::com::IDispatch* Dispatch() const { return dispatch_.Get(); }
  // Asks the control for interface I; empty when it has none.
  template <class I>
  plat::com::ComPtr<I> As() const {
    return dispatch_.template As<I>();
  }

  // ----- script calls -----
  plat::com::DISPID IdOf(std::string_view name) const;  // DISPID_UNKNOWN when the control has none
  CallResult Call(plat::com::DISPID id, std::vector<ScriptArg> args = {});
  CallResult Call(std::string_view name, std::vector<ScriptArg> args = {});
  CallResult Get(plat::com::DISPID id);
  CallResult Get(std::string_view name);
  CallResult Put(plat::com::DISPID id, ScriptArg value);
  CallResult Put(std::string_view name, ScriptArg value);
  // Any call, as a script engine would make it.
  CallResult Invoke(plat::com::DISPID id, plat::WORD flags, std::vector<ScriptArg> args);

  // ----- events -----
  // Connects a recorder to the control's event interface `eventIid`, naming the events after
  // `events`; false when the control refuses. One connection at a time; connecting again replaces it.
  bool ConnectEvents(const plat::com::IID& eventIid, const plat::com::TypeDispInterface& events);
  EventRecorder& Events() { return *recorder_; }

  // ----- persistence -----
  plat::HRESULT InitNew();
  // Loads from <param>-like pairs (UTF-8 names and values, as a page's element gives them).
  plat::HRESULT LoadProperties(const std::vector<std::pair<std::string, std::string>>& params);
  // Saves into named values (UTF-8 names, values as the control wrote them), in the order written.
  plat::HRESULT SaveProperties(std::vector<std::pair<std::string, plat::com::Variant>>* values,
                               bool clearDirty = true);
  plat::HRESULT LoadStream(std::vector<plat::BYTE> bytes);
  plat::HRESULT SaveStream(std::vector<plat::BYTE>* bytes, bool clearDirty = true);
  // S_OK when the control has changes to save, S_FALSE when not.
  plat::HRESULT IsDirty();

  // ----- windows -----
  // Creates a host window whose client area is width x height, and the control's window as its
  // child filling that area. The host window is a top-level one, or with `parent` a child of it at
  // its top-left corner. E_UNEXPECTED when the host already has its window.
  plat::HRESULT CreateWindows(int width, int height, plat::win::HWND parent = nullptr);
  // Gives the host window's client area the new size and the control's window the same.
  plat::HRESULT Resize(int width, int height);
  plat::win::HWND HostWindow() const { return hostWindow_; }
  plat::win::HWND ControlWindow() const;

 private:
  void Disconnect();

  plat::HRESULT createResult_ = 0;
  plat::com::ComPtr<plat::com::IDispatch> dispatch_;
  plat::com::ComPtr<plat::com::IConnectionPoint> point_;
  plat::DWORD cookie_ = 0;
  plat::com::ComPtr<EventRecorder> recorder_;
  plat::win::HWND hostWindow_ = nullptr;
};

}  // namespace drev::host
