#pragma once
// What the picture area shows while no picture is live: a camera icon, "Waiting for a
// source", the session's status sentence, and the ways out: the system's local network
// privacy settings (only while the system denies access, and only where it has such a
// setting) and "Refresh Sources".

#include <QWidget>

class QLabel;
class QPushButton;

namespace Quillfen {

class CaptureSessionController;

class EmptyStateView : public QWidget {
    Q_OBJECT

public:
    explicit EmptyStateView(CaptureSessionController& controller, QWidget* parent = nullptr);

    void refresh();

private:
    CaptureSessionController& controller_;
    QLabel* message_;
    QPushButton* localNetworkSettings_ = nullptr;  // none where the system has no such page
};

}  // namespace Quillfen
