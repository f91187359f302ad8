// The control's property exchange: version, the framework's properties, then the five settings.
#include <algorithm>
#include <cctype>
#include <ctime>

#include "control/ActionTime.h"
#include "control/CUploadListCtrl.h"
#include "control/Identifiers.h"

namespace drev {

namespace {
constexpr plat::LONG kDefaultMaxNormalSize = 20480000;
constexpr plat::LONG kDefaultMaxFileCount = 10;

// "1", "true" or "-1" (a script's true), in any case: the page asks for the UTF-8 form.
bool IsOn(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text == "1" || text == "true" || text == "-1";
}

// Utf8Form is a <param> of the page, outside the saved stream's fixed records (a stream saved by
// any version loads unchanged, and the stream keeps no such record). A property bag reads it, and
// is given it back only when it is on, so a bag saved without it stays as it always was.
void ExchangeUtf8Form(plat::com::PropExchange& px, bool& utf8Form) {
  switch (px.Direction()) {
    case plat::com::ExchangeDirection::Reset:
      utf8Form = false;
      return;
    case plat::com::ExchangeDirection::Load:
      if (auto* bag = dynamic_cast<plat::com::BagExchange*>(&px)) {
        std::string text;
        bag->PX_String("Utf8Form", text, "");
        utf8Form = IsOn(text);
      }
      return;
    case plat::com::ExchangeDirection::Save:
      if (auto* bag = dynamic_cast<plat::com::BagExchange*>(&px); bag != nullptr && utf8Form) {
        std::string on = "1";
        bag->PX_String("Utf8Form", on, "");
      }
      return;
  }
}

// FileFieldName is a <param> of the page in the same way: read from a property bag, given back to
// one only when the page set it, never part of the stream.
void ExchangeFileFieldName(plat::com::PropExchange& px, std::string& name) {
  switch (px.Direction()) {
    case plat::com::ExchangeDirection::Reset:
      name.clear();
      return;
    case plat::com::ExchangeDirection::Load:
      if (auto* bag = dynamic_cast<plat::com::BagExchange*>(&px)) bag->PX_String("FileFieldName", name, "");
      return;
    case plat::com::ExchangeDirection::Save:
      if (auto* bag = dynamic_cast<plat::com::BagExchange*>(&px); bag != nullptr && !name.empty()) {
        std::string kept = name;
        bag->PX_String("FileFieldName", kept, "");
      }
      return;
  }
}
}  // namespace

// One routine for loading, saving and resetting; the exchange object knows the direction. Loading
// leaves what the set lacks at its default; a reset gives every property its default, ActionTime
// the time of the reset.
void CUploadListCtrl::DoPropExchange(plat::com::PropExchange& px) {
  const std::time_t now = std::time(nullptr);
  plat::DWORD version = kPropVersion;
  px.ExchangeVersion(version, kPropVersion, true);
  COleControl::DoPropExchange(px);

  const std::string defaultTime = FormatActionTime(now);
  UploadSettings& s = *m_pSettings;
  px.PX_String("ActionTime", s.ActionTime, defaultTime);
  px.PX_Long("MaxNormalSize", s.MaxNormalSize, kDefaultMaxNormalSize);
  px.PX_Long("MaxFileCount", s.MaxFileCount, kDefaultMaxFileCount);
  px.PX_String("Normal_ServerName", s.Normal_ServerName, "");
  px.PX_String("Normal_UploadURL", s.Normal_UploadURL, "");
  ExchangeUtf8Form(px, s.Utf8Form);
  ExchangeFileFieldName(px, s.FileFieldName);
}

}  // namespace drev
