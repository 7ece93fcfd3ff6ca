#pragma once
// A small turning arc that says something is in progress.

#include <QWidget>

class QVariantAnimation;

namespace Quillfen {

class ActivitySpinner : public QWidget {
    Q_OBJECT

public:
    explicit ActivitySpinner(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation* turn_;
    double angle_ = 0;
};

}  // namespace Quillfen
