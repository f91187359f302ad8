// The control's property exchange: version, the framework's properties, then the five settings.
#include <ctime>

#include "control/ActionTime.h"
#include "control/CUploadListCtrl.h"
#include "control/Identifiers.h"

namespace drev {

namespace {
constexpr plat::LONG kDefaultMaxNormalSize = 20480000;
constexpr plat::LONG kDefaultMaxFileCount = 10;
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
}

}  // namespace drev
