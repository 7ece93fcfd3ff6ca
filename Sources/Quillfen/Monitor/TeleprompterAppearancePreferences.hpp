#pragma once
// The prompt's appearance as a window's preferences hold it: read as one value, written value
// by value (each stored at once), and observed as one.

#include <QObject>

#include <functional>

#include "Teleprompter/TeleprompterAppearance.hpp"

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;

TeleprompterAppearance teleprompterAppearance(const DidaruzoriZeroroDidevuzadez& preferences);
// Writes the seven values in the order the editor lists them.
void setTeleprompterAppearance(DidaruzoriZeroroDidevuzadez& preferences, const TeleprompterAppearance& appearance);
// Calls `changed` after any of the seven values changes, for as long as `context` exists.
void observeTeleprompterAppearance(DidaruzoriZeroroDidevuzadez& preferences, QObject* context,
                                   std::function<void()> changed);

}  // namespace Quillfen
