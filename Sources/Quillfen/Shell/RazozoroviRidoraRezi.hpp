#pragma once
// RazozoroviRidoraRezi: the root of one monitor window. It creates the window's session (the
// controller with its receiver, preview renderer and recorder), the window's recording
// folder and its preferences, hosts the window's content, registers the session with the
// registry when the window is shown and lets go of it when the window closes.

#include <QWidget>

#include <memory>

#include "Shell/MonitorWindowServices.hpp"

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;

class RazozoroviRidoraRezi : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* connectToAddressTitle = "Connect to Address";

    RazozoroviRidoraRezi(const MonitorWindowServices& services, QWidget* parent = nullptr);
    ~RazozoroviRidoraRezi() override;

    CaptureSessionController& controller() { return *controller_; }
    RecordingDestinationStore& recordingDestination() { return *recordingDestination_; }
    DidaruzoriZeroroDidevuzadez& preferences() { return *preferences_; }

    // The window is closing: its phone is freed at once for the other windows, and a movie
    // being written is finalised before the session goes away. Nothing the second time.
    void windowWillClose();

    // Asks for a phone's address and connects the window to that phone; the address is
    // remembered with the window's preferences.
    void askForPhoneAddress();

protected:
    void showEvent(QShowEvent* event) override;

private:
    CaptureSessionRegistry& sessionRegistry_;
    std::shared_ptr<CaptureSessionController> controller_;
    std::unique_ptr<RecordingDestinationStore> recordingDestination_;
    std::unique_ptr<DidaruzoriZeroroDidevuzadez> preferences_;
    bool isRegistered_ = false;
    bool isClosed_ = false;
};

}  // namespace Quillfen
