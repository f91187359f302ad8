// Member and event lookups of a page object.
#include "host/ScriptObject.h"

#include <algorithm>
#include <cctype>

#include "platform/text/text.h"

namespace drev::host {

namespace pc = plat::com;

ScriptObject::ScriptObject(std::string id, pc::IDispatch* dispatch, std::optional<pc::TypeDispInterface> methods,
                           std::optional<pc::TypeDispInterface> events)
    : id_(std::move(id)), dispatch_(dispatch), methods_(std::move(methods)), events_(std::move(events)) {}

std::string ScriptObject::Key(std::string_view name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
  return key;
}

ScriptObject::MemberKind ScriptObject::KindOf(std::string_view name) const {
  if (!methods_) return MemberKind::kUnknown;
  const std::string key = Key(name);
  const auto named = [&](const pc::TypeMember& m) { return Key(m.name) == key; };
  if (std::any_of(methods_->methods.begin(), methods_->methods.end(), named)) return MemberKind::kMethod;
  if (std::any_of(methods_->properties.begin(), methods_->properties.end(), named)) return MemberKind::kProperty;
  return MemberKind::kUnknown;
}

pc::DISPID ScriptObject::IdOf(std::string_view name) {
  const std::string key = Key(name);
  if (auto it = ids_.find(key); it != ids_.end()) return it->second;
  std::u16string wide = plat::text::Utf8ToUtf16(name);
  std::u16string_view names[] = {wide};
  pc::DISPID id = pc::DISPID_UNKNOWN;
  if (pc::FAILED(dispatch_->GetIDsOfNames(names, &id))) id = pc::DISPID_UNKNOWN;
  ids_[key] = id;
  return id;
}

std::optional<std::string> ScriptObject::EventName(std::string_view name) const {
  if (!events_) return std::string(name);
  const std::string key = Key(name);
  for (const pc::TypeMember& m : events_->methods) {
    if (Key(m.name) == key) return m.name;
  }
  return std::nullopt;
}

std::string ScriptObject::EventNameOf(pc::DISPID id) const {
  if (events_) {
    for (const pc::TypeMember& m : events_->methods) {
      if (m.id == id) return m.name;
    }
  }
  return "#" + std::to_string(id);
}

std::vector<int> ScriptObject::HandlersOf(const std::string& eventName) const {
  auto it = handlers_.find(Key(eventName));
  return it == handlers_.end() ? std::vector<int>{} : it->second;
}

bool ScriptObject::RemoveHandler(const std::string& eventName, int handlerRef) {
  auto it = handlers_.find(Key(eventName));
  if (it == handlers_.end()) return false;
  auto found = std::find(it->second.begin(), it->second.end(), handlerRef);
  if (found == it->second.end()) return false;
  it->second.erase(found);
  return true;
}

}  // namespace drev::host
