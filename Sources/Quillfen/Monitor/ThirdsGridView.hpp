#pragma once
// The rule-of-thirds grid over the picture: two vertical and two horizontal lines, a light
// line on a dark halo so that it reads on bright and dark pictures alike.

#include <QWidget>

namespace Quillfen {

class ThirdsGridView : public QWidget {
    Q_OBJECT

public:
    explicit ThirdsGridView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace Quillfen
