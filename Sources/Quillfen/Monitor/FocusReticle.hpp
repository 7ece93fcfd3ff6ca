#pragma once
// The yellow viewfinder mark where the user clicked to focus. It appears by fading in while
// shrinking from 1.25 times its size, and leaves the reverse way.

#include <QWidget>

class QPropertyAnimation;

namespace Quillfen {

class FocusReticle : public QWidget {
    Q_OBJECT
    // 0 gone ... 1 fully shown.
    Q_PROPERTY(double presence READ presence WRITE setPresence)

public:
    static constexpr int symbolSize = 46;

    explicit FocusReticle(QWidget* parent = nullptr);

    // Centres the mark on `centre` (in the parent's coordinates) and brings it in.
    void appear(QPointF centre);
    void disappear();

    double presence() const { return presence_; }
    void setPresence(double presence);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double presence_ = 0;
    QPropertyAnimation* transition_;
};

}  // namespace Quillfen
