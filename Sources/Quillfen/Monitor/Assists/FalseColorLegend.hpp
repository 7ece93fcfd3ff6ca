#pragma once
// The key to false colour over the picture: a strip of the scale's colours, each labelled
// with the level where its band begins.

#include <QWidget>

namespace Quillfen::Monitor {

class FalseColorLegend : public QWidget {
    Q_OBJECT

public:
    explicit FalseColorLegend(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace Quillfen::Monitor
