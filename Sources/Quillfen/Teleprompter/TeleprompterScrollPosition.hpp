#pragma once
// How far the teleprompter's text has moved up, kept inside the measured text.

#include <QObject>

namespace Quillfen {

// Lengths are in points. The offset always stays within 0...maximumOffset; writes that
// would move it by no more than `changeTolerance` are skipped, since each write redraws
// the prompt.
class TeleprompterScrollPosition : public QObject {
    Q_OBJECT
    Q_PROPERTY(double offset READ offset NOTIFY offsetChanged)

public:
    static constexpr double changeTolerance = 0.0001;

    explicit TeleprompterScrollPosition(QObject* parent = nullptr);

    double offset() const { return offset_; }
    double contentHeight() const { return contentHeight_; }
    double viewportHeight() const { return viewportHeight_; }
    // max(contentHeight - viewportHeight, 0).
    double maximumOffset() const { return maximumOffset_; }

    // The measured heights; each assignment re-clamps the offset, so shrinking text pulls
    // the offset back inside it.
    void setContentHeight(double height);
    void setViewportHeight(double height);

    // Moves the text by a signed amount (positive: towards the end), clamped to the text.
    void scroll(double by);
    // Back to the top of the text.
    void rewind();
    // The text has reached its end (with the change tolerance, so an offset left a hair
    // short of the end by a skipped write still counts).
    bool isAtEnd() const;

signals:
    void offsetChanged(double offset);

private:
    void updateScrollBounds();
    void moveOffset(double target);

    double offset_ = 0;
    double contentHeight_ = 0;
    double viewportHeight_ = 0;
    double maximumOffset_ = 0;
};

}  // namespace Quillfen
