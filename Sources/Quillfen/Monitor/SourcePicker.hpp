#pragma once
// The control bar's source picker: "No sources" first (no selection), then every phone
// the window's controller lists. Phones another window has claimed stay listed but cannot
// be chosen; choosing one of the others selects it as the user's own choice.

#include <QComboBox>

namespace Quillfen {

class CaptureSessionController;

class SourcePicker : public QComboBox {
    Q_OBJECT

public:
    static constexpr int minimumPickerWidth = 190;
    static constexpr int idealPickerWidth = 240;
    static constexpr int maximumPickerWidth = 310;

    explicit SourcePicker(CaptureSessionController& controller, QWidget* parent = nullptr);

    // Lists the controller's sources again, with their availability and the selection.
    void reload();

    QSize sizeHint() const override;

private:
    void choose(int index);

    CaptureSessionController& controller_;
    bool reloading_ = false;
};

}  // namespace Quillfen
