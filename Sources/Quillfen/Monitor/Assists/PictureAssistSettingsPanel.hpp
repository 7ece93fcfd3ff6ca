#pragma once
// View › Assist Settings…: the zebra threshold and skin band, and the peaking colour and
// sensitivity of one window, changed in its preferences as they are edited.

#include <QDialog>

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;

class PictureAssistSettingsPanel : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* title = "Assist Settings";

    PictureAssistSettingsPanel(DidaruzoriZeroroDidevuzadez& preferences, QWidget* parent);
};

}  // namespace Quillfen
