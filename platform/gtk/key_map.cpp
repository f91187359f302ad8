// GDK key values to the virtual keys our windows know.
#include "platform/gtk/screen_internal.h"

namespace plat::gtk::detail {

UINT VirtualKeyOf(guint keyval) {
  if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (keyval - GDK_KEY_a);
  if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + (keyval - GDK_KEY_A);
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (keyval - GDK_KEY_0);
  switch (keyval) {
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab: return win::VK_TAB;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter: return win::VK_RETURN;
    case GDK_KEY_Escape: return win::VK_ESCAPE;
    case GDK_KEY_space: return win::VK_SPACE;
    case GDK_KEY_BackSpace: return win::VK_BACK;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete: return win::VK_DELETE;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return win::VK_LEFT;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return win::VK_RIGHT;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return win::VK_UP;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return win::VK_DOWN;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home: return win::VK_HOME;
    case GDK_KEY_End:
    case GDK_KEY_KP_End: return win::VK_END;
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R: return win::VK_SHIFT;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R: return win::VK_CONTROL;
    default: return 0;
  }
}

}  // namespace plat::gtk::detail
