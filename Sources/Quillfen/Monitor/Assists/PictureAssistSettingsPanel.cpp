#include "Monitor/Assists/PictureAssistSettingsPanel.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSignalBlocker>
#include <QSpinBox>

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"

namespace Quillfen {
namespace {

QSpinBox* makePercentBox(int minimum, int maximum, const QString& name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setSingleStep(1);
    box->setSuffix(QStringLiteral(" %"));
    box->setAccessibleName(name);
    return box;
}

}  // namespace

PictureAssistSettingsPanel::PictureAssistSettingsPanel(DidaruzoriZeroroDidevuzadez& preferences, QWidget* parent)
    : QDialog(parent) {
    using Monitor::PictureAssistSettings;
    setWindowTitle(QString::fromUtf8(title));
    auto* form = new QFormLayout(this);
    auto* threshold = makePercentBox(PictureAssistSettings::minimumZebraThreshold,
                                     PictureAssistSettings::maximumZebraThreshold, "Zebra threshold", this);
    threshold->setToolTip(QStringLiteral("Zebras stripe the picture where its luma is at or above this level"));
    auto* skin = new QCheckBox(QStringLiteral("Skin band"), this);
    skin->setToolTip(QStringLiteral("A second set of zebras, striped the other way, at skin level \u00b1 5 %"));
    auto* skinLevel = makePercentBox(PictureAssistSettings::skinBandHalfWidth,
                                     100 - PictureAssistSettings::skinBandHalfWidth, "Skin level", this);
    skinLevel->setPrefix(QStringLiteral("\u00b1 5 % around "));
    auto* color = new QComboBox(this);
    color->setAccessibleName(QStringLiteral("Peaking color"));
    for (const auto& each : Monitor::peakingColors)
        color->addItem(QString::fromUtf8(each.name.data(), each.name.size()));
    auto* sensitivity = makePercentBox(0, 100, "Peaking sensitivity", this);
    sensitivity->setToolTip(QStringLiteral("Higher outlines fainter edges too"));
    form->addRow(QStringLiteral("Zebra threshold:"), threshold);
    form->addRow(QString(), skin);
    form->addRow(QStringLiteral("Skin level:"), skinLevel);
    form->addRow(QStringLiteral("Peaking color:"), color);
    form->addRow(QStringLiteral("Peaking sensitivity:"), sensitivity);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    const auto show = [=](const PictureAssistSettings& assists) {
        const QSignalBlocker blockers[] = {QSignalBlocker(threshold), QSignalBlocker(skin), QSignalBlocker(skinLevel),
                                           QSignalBlocker(color), QSignalBlocker(sensitivity)};
        threshold->setValue(assists.zebraThresholdPercent);
        skin->setChecked(assists.showsSkinZebras);
        skinLevel->setValue(assists.skinLevelPercent);
        skinLevel->setEnabled(assists.showsSkinZebras);
        color->setCurrentIndex(static_cast<int>(assists.peakingColor));
        sensitivity->setValue(assists.peakingSensitivityPercent);
    };
    show(preferences.pictureAssists());
    connect(&preferences, &DidaruzoriZeroroDidevuzadez::pictureAssistsChanged, this, show);

    const auto change = [window = &preferences](auto edit) {
        PictureAssistSettings assists = window->pictureAssists();
        edit(assists);
        window->setPictureAssists(assists);
    };
    connect(threshold, &QSpinBox::valueChanged, this,
            [=](int value) { change([value](auto& assists) { assists.zebraThresholdPercent = value; }); });
    connect(skin, &QCheckBox::toggled, this,
            [=](bool on) { change([on](auto& assists) { assists.showsSkinZebras = on; }); });
    connect(skinLevel, &QSpinBox::valueChanged, this,
            [=](int value) { change([value](auto& assists) { assists.skinLevelPercent = value; }); });
    connect(color, &QComboBox::currentIndexChanged, this, [=](int index) {
        change([index](auto& assists) { assists.peakingColor = Monitor::peakingColors.at(index).color; });
    });
    connect(sensitivity, &QSpinBox::valueChanged, this,
            [=](int value) { change([value](auto& assists) { assists.peakingSensitivityPercent = value; }); });
}

}  // namespace Quillfen
