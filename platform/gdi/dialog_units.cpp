// Dialog base units from pango's measure of the alphabet.
#include "platform/gdi/dialog_units.h"

#include "platform/gdi/font_face.h"

namespace plat::gdi {

SIZE GetDialogBaseUnits(const LOGFONT& lf) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  LayoutPtr layout = NewLayout(lf, kAlphabet);
  int width = LayoutWidth(layout.get());
  return SIZE{(width / 26 + 1) / 2, MetricsOf(lf).height};
}

}  // namespace plat::gdi
