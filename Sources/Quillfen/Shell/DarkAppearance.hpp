#pragma once
// The application's look: Qt's Fusion style in dark colours, the same on every desktop, so
// the picture is judged against a dark surround.

namespace Quillfen {

// Call once, after the QApplication exists and before any window is shown.
void applyDarkAppearance();

}  // namespace Quillfen
