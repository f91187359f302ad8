// A page object as the script sees it: its id, its dispatch interface and what the type library
// says of its members and events, and the script handlers connected to its events.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/typelib.h"

namespace drev::host {

class ScriptObject {
 public:
  // `dispatch` is borrowed: the page's host keeps the object alive longer than the script engine.
  ScriptObject(std::string id, plat::com::IDispatch* dispatch, std::optional<plat::com::TypeDispInterface> methods,
               std::optional<plat::com::TypeDispInterface> events);

  const std::string& Id() const { return id_; }
  plat::com::IDispatch* Dispatch() const { return dispatch_; }

  enum class MemberKind { kUnknown, kMethod, kProperty };
  // What the type library declares `name` to be (letter case ignored); kUnknown when it does not
  // declare it (the object may still implement it).
  MemberKind KindOf(std::string_view name) const;

  // The member's dispatch id through GetIDsOfNames, remembered per name; DISPID_UNKNOWN when the
  // object does not know the name.
  plat::com::DISPID IdOf(std::string_view name);

  // The event's name as the event interface spells it (letter case ignored), or nullopt when the
  // interface has no such event; with no event interface at all every name is taken as written.
  std::optional<std::string> EventName(std::string_view name) const;
  // The event's name for a dispatch id: from the event interface, or "#<id>".
  std::string EventNameOf(plat::com::DISPID id) const;

  // Handlers (script engine references) in the order connected, by event name.
  void AddHandler(const std::string& eventName, int handlerRef) { handlers_[Key(eventName)].push_back(handlerRef); }
  std::vector<int> HandlersOf(const std::string& eventName) const;
  // Takes `handlerRef` off the event's list; false when it was not on it.
  bool RemoveHandler(const std::string& eventName, int handlerRef);

 private:
  static std::string Key(std::string_view name);

  std::string id_;
  plat::com::IDispatch* dispatch_;
  std::optional<plat::com::TypeDispInterface> methods_;
  std::optional<plat::com::TypeDispInterface> events_;
  std::map<std::string, plat::com::DISPID> ids_;
  std::map<std::string, std::vector<int>> handlers_;
};

}  // namespace drev::host
