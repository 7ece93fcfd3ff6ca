#pragma once
// The Settings window's content: the default recording folder, which every phone without a
// folder of its own records into, and a button to choose it. Choosing is refused while any
// window is armed, recording or finalising a movie.

#include <QWidget>

class QLabel;
class QPushButton;

namespace Quillfen {

class CaptureSessionRegistry;
class RecordingDestinationStore;

class RecordingSettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int preferredWidth = 560;
    static constexpr int preferredHeight = 150;
    static constexpr int pathMaximumWidth = 330;

    // Both must outlive the view.
    RecordingSettingsView(CaptureSessionRegistry& sessionRegistry,
                          RecordingDestinationStore& defaultRecordingDestination, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {preferredWidth, preferredHeight}; }

private:
    void showPath();
    void updateChooseButton();

    CaptureSessionRegistry& sessionRegistry_;
    RecordingDestinationStore& defaultRecordingDestination_;
    QLabel* path_;
    QPushButton* chooseButton_;
};

}  // namespace Quillfen
