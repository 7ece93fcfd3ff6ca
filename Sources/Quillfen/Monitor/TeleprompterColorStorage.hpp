#pragma once
// The prompt's colours as the preferences keep them: "#RRGGBB", sRGB, upper case, always
// opaque.

#include <QColor>
#include <QString>

namespace Quillfen::TeleprompterColorStorage {

// Never fails: "#" and spaces around the digits are ignored, and anything that is not six
// hexadecimal digits reads as white.
QColor color(const QString& string);
// The colour in sRGB, each component clamped to 0...1 and rounded to 0...255, halves away
// from zero; a colour that cannot be converted is written as white.
QString hex(const QColor& color);

}  // namespace Quillfen::TeleprompterColorStorage
