#pragma once
// The key to false colour over the picture: a strip of the scale's colours, each labelled
// with the level where its band begins. Narrower than its size hint, down to its minimum, the
// swatches narrow with it.

#include <QWidget>

namespace Quillfen::Monitor {

class FalseColorLegend : public QWidget {
    Q_OBJECT

public:
    explicit FalseColorLegend(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace Quillfen::Monitor
