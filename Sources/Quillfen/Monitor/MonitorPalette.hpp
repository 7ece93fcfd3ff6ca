#pragma once
// The dark colours every monitor window is drawn in, whatever the desktop's own scheme.

#include <QPalette>

namespace Quillfen {

QPalette monitorPalette();

}  // namespace Quillfen
