#pragma once
// The prompt's text area: the script in large type with two shadows, moved up by the scroll
// position's offset, over an optional dark backdrop, with a faint reading line and the text
// fading in at the top and out at the bottom. It measures the text and reports the content
// and viewport heights to the scroll position, so the roll ends with the last line just above
// the reading line. It takes no mouse input: clicks reach the picture beneath.
//
// The shadowed text is drawn once per script, appearance and width into horizontal bands of
// cached pixmaps; a roll step only blits the bands in view at the new offset.

#include <QPixmap>
#include <QString>
#include <QTextDocument>
#include <QWidget>

#include <map>

#include "Teleprompter/TeleprompterAppearance.hpp"

namespace Quillfen {

class TeleprompterScrollPosition;

class TeleprompterTextViewport : public QWidget {
    Q_OBJECT

public:
    static constexpr double horizontalInset = 36;
    static constexpr double leadingSpace = 0.3;    // of the height, above the text
    static constexpr double trailingSpace = 0.65;  // of the height, below the text
    static constexpr double readingLine = 0.38;    // of the height, from the top
    static constexpr double cornerRadius = 16;

    explicit TeleprompterTextViewport(TeleprompterScrollPosition& scrollPosition, QWidget* parent = nullptr);

    void setScript(const QString& script);
    void setAppearance(const TeleprompterAppearance& appearance);

    // Where the first line of the text is drawn now, from the top of the area.
    double textTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    QPixmap band(int index);

    TeleprompterScrollPosition& scrollPosition_;
    QString script_;
    TeleprompterAppearance appearance_;
    QTextDocument document_;
    std::map<int, QPixmap> bands_;  // by index from the top of the text
};

}  // namespace Quillfen
