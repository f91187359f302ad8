// EventRecorder: an event sink that keeps every event a control fires, with its arguments, in order.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/ref_counted.h"
#include "platform/com/typelib.h"

namespace drev::host {

struct RecordedEvent {
  plat::com::DISPID id = 0;
  std::string name;                          // from the event interface; "#<id>" when unknown
  std::vector<plat::com::Variant> args;      // as the sink received them, first argument first

  // The event as a page would log it, in UTF-8: Name("text", 42) — texts quoted, numbers bare.
  std::string ToString() const;
};

// A page's handler object: connect it to a control's event connection point. Every Invoke is
// recorded (it answers S_OK); `onEvent`, when set, then runs inside the control's fire, the way a
// page's script handler runs inside the script call that caused the event.
class EventRecorder : public plat::com::RefCounted<plat::com::IDispatch> {
 public:
  // `events` names the event interface's members (may be empty: events are then named "#<id>").
  explicit EventRecorder(const plat::com::TypeDispInterface& events);

  plat::HRESULT GetTypeInfoCount(plat::UINT* count) override;
  plat::HRESULT GetIDsOfNames(std::span<const std::u16string_view> names, plat::com::DISPID* ids) override;
  plat::HRESULT Invoke(plat::com::DISPID id, plat::WORD flags, std::span<const plat::com::Variant> args,
                       plat::com::Variant* result, plat::com::EXCEPINFO* excepInfo, plat::UINT* argErr) override;

  const std::vector<RecordedEvent>& Events() const { return events_; }
  // The events as ToString() texts, in order.
  std::vector<std::string> Log() const;
  void Clear() { events_.clear(); }

  std::function<void(const RecordedEvent&)> onEvent;

 private:
  std::map<plat::com::DISPID, std::string> names_;
  std::vector<RecordedEvent> events_;
};

}  // namespace drev::host
