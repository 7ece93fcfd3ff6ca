#pragma once
// The heads-up display over the picture: a "CONNECTED" badge at the top trailing corner
// while the phone's stream is live.

#include <QWidget>

namespace Quillfen {

class MonitorHUD : public QWidget {
    Q_OBJECT

public:
    explicit MonitorHUD(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace Quillfen
