#pragma once
// The window's View menu: the exposure and focus assists over the picture, each a checkable
// item with a key of its own and its current setting in the tooltip, the scopes, and the
// panel that sets the assists. Every change goes to the window's preferences.

class QMenu;
class QWidget;

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;

QMenu* makeViewMenu(DidaruzoriZeroroDidevuzadez& preferences, QWidget* window);

}  // namespace Quillfen
