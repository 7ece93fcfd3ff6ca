#pragma once
// The script editor's draft: when it can be cleared or shown, and how long it is in the
// characters a reader sees.

#include <QString>

namespace Quillfen {

// Anything at all can be cleared, even a draft of only spaces.
bool canClearDraft(const QString& draft);
// Only a draft with something besides white space and line breaks is worth showing.
bool canShowDraft(const QString& draft);
// User-perceived characters (grapheme clusters): "é" written as e and a combining accent is
// one, and so is a family emoji joined from several code points.
qsizetype perceivedCharacterCount(const QString& draft);
// "12 characters".
QString characterCountLabel(const QString& draft);

}  // namespace Quillfen
