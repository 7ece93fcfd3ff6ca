#pragma once
// The window's controls name their icons by system symbol names ("record.circle",
// "camera.aperture"). Each name maps, in one table, to icons of the installed freedesktop
// icon theme Adwaita; where it has none, a simple drawn icon takes its place.

#include <QIcon>
#include <QString>

namespace Quillfen {

QIcon systemSymbolIcon(const QString& symbolName);

}  // namespace Quillfen
