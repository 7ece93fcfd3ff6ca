#pragma once
// The editor of the prompt's appearance, shown under the Appearance button: text size and
// colour, shadow strength and colour, backdrop, line spacing, alignment, and "Reset
// Appearance" (Command/Ctrl-0). Every change is stored in the window's preferences at once;
// the colour wells offer opaque colours only.

#include <QFrame>

#include <vector>

class QButtonGroup;
class QLabel;
class QSlider;
class QToolButton;

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;

class TeleprompterAppearancePopover : public QFrame {
    Q_OBJECT

public:
    static constexpr int popoverWidth = 340;

    explicit TeleprompterAppearancePopover(DidaruzoriZeroroDidevuzadez& preferences, QWidget* parent = nullptr);

    void showBelow(QWidget* anchor);
    // Every value back to its default; the roll speed stays.
    void reset();

    // What the editor shows: each slider's value label, each well's colour string, the
    // chosen alignment segment.
    QStringList valueLabels() const;
    QStringList wellColors() const;
    QString chosenAlignment() const;

private:
    struct Slider {
        QSlider* slider;
        QLabel* value;
        double scale;  // slider positions per unit
        double (DidaruzoriZeroroDidevuzadez::*read)() const;
        void (DidaruzoriZeroroDidevuzadez::*write)(double);
        QString (*label)(double);
    };
    struct Well {
        QToolButton* button;
        const QString& (DidaruzoriZeroroDidevuzadez::*read)() const;
        void (DidaruzoriZeroroDidevuzadez::*write)(const QString&);
    };

    void refresh();
    void chooseColor(const Well& well);

    DidaruzoriZeroroDidevuzadez& preferences_;
    std::vector<Slider> sliders_;
    std::vector<Well> wells_;
    QButtonGroup* alignment_;
};

}  // namespace Quillfen
