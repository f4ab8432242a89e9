#include "platform/KeyCodes.h"

#include <Qt>

namespace sonavue::platform {

int VirtualKeyFromQtKey(int qtKey) {
  // Qt numbers letters and digits by their upper-case character codes, as
  // the virtual-key numbering does.
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return qtKey;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return VK_F1_KEY + (qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Escape: return VK_ESCAPE_KEY;
    case Qt::Key_Space: return VK_SPACE_KEY;
    case Qt::Key_Left: return VK_LEFT_KEY;
    case Qt::Key_Up: return VK_UP_KEY;
    case Qt::Key_Right: return VK_RIGHT_KEY;
    case Qt::Key_Down: return VK_DOWN_KEY;
    default: return VK_NONE;
  }
}

}  // namespace sonavue::platform
