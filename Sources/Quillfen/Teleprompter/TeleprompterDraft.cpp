#include "Teleprompter/TeleprompterDraft.hpp"

#include <QTextBoundaryFinder>

namespace Quillfen {

bool canClearDraft(const QString& draft) { return !draft.isEmpty(); }

bool canShowDraft(const QString& draft) { return !draft.trimmed().isEmpty(); }

qsizetype perceivedCharacterCount(const QString& draft) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, draft);
    qsizetype count = 0;
    while (graphemes.toNextBoundary() != -1) ++count;
    return count;
}

QString characterCountLabel(const QString& draft) {
    return QString::number(perceivedCharacterCount(draft)) + " characters";
}

}  // namespace Quillfen
