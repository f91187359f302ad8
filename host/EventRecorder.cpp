// Recording the events a control fires, and printing them the way a page would log them.
#include "host/EventRecorder.h"

#include "platform/text/text.h"

namespace drev::host {

namespace pc = plat::com;

std::string RecordedEvent::ToString() const {
  std::string text = name + "(";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i) text += ", ";
    const pc::Variant& a = args[i];
    if (a.vt() == pc::VT_BSTR) {
      text += "\"" + plat::text::Utf16ToUtf8(a.bstrVal()) + "\"";
    } else {
      pc::Variant shown;
      if (pc::SUCCEEDED(pc::ChangeType(a, pc::VT_BSTR, &shown))) text += plat::text::Utf16ToUtf8(shown.bstrVal());
    }
  }
  return text + ")";
}

EventRecorder::EventRecorder(const pc::TypeDispInterface& events) {
  for (const auto& m : events.methods) names_[m.id] = m.name;
}

plat::HRESULT EventRecorder::GetTypeInfoCount(plat::UINT* count) {
  if (!count) return pc::E_POINTER;
  *count = 0;
  return pc::S_OK;
}

plat::HRESULT EventRecorder::GetIDsOfNames(std::span<const std::u16string_view>, pc::DISPID*) {
  return pc::E_NOTIMPL;
}

plat::HRESULT EventRecorder::Invoke(pc::DISPID id, plat::WORD, std::span<const pc::Variant> args, pc::Variant* result,
                                    pc::EXCEPINFO*, plat::UINT*) {
  RecordedEvent event;
  event.id = id;
  auto it = names_.find(id);
  event.name = it != names_.end() ? it->second : "#" + std::to_string(id);
  event.args.assign(args.begin(), args.end());
  events_.push_back(event);
  if (onEvent) onEvent(event);
  if (result) *result = pc::Variant();
  return pc::S_OK;
}

std::vector<std::string> EventRecorder::Log() const {
  std::vector<std::string> log;
  for (const auto& e : events_) log.push_back(e.ToString());
  return log;
}

}  // namespace drev::host
