#include "Monitor/TeleprompterColorStorage.hpp"

#include <algorithm>
#include <cmath>

namespace Quillfen::TeleprompterColorStorage {

namespace {

bool isTrimmed(QChar character) { return character == '#' || character == ' '; }

bool isHexDigit(QChar character) {
    const char16_t c = character.unicode();
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int byte(float component) { return static_cast<int>(std::lround(std::clamp(component, 0.0f, 1.0f) * 255)); }

}  // namespace

QColor color(const QString& string) {
    qsizetype first = 0;
    qsizetype end = string.size();
    while (first < end && isTrimmed(string[first])) ++first;
    while (end > first && isTrimmed(string[end - 1])) --end;
    const QString digits = string.mid(first, end - first);
    // Plain hexadecimal digits only: the number parser would also take a sign or "0x".
    if (digits.size() != 6 || !std::all_of(digits.begin(), digits.end(), isHexDigit)) return QColor(Qt::white);
    const uint value = digits.toUInt(nullptr, 16);
    return QColor::fromRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

QString hex(const QColor& color) {
    // Extended-range colours keep components beyond 0...1; they are clamped like any other.
    const QColor rgb = color.toExtendedRgb();
    if (!rgb.isValid()) return "#FFFFFF";
    return QString::asprintf("#%02X%02X%02X", byte(rgb.redF()), byte(rgb.greenF()), byte(rgb.blueF()));
}

}  // namespace Quillfen::TeleprompterColorStorage
