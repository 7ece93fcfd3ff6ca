#include "Shell/ViewMenu.hpp"

#include <QMenu>

#include <functional>

#include "Monitor/Assists/PictureAssistSettingsPanel.hpp"
#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/VideoScopeActions.hpp"
#include "Monitor/WindowControl.hpp"

namespace Quillfen {
namespace {

using Monitor::PictureAssistSettings;

struct AssistItem {
    WindowControlText text;
    bool PictureAssistSettings::*shown;
    // The item's tooltip, with the assist's current setting.
    std::function<QString(const PictureAssistSettings&)> help;
};

QString percent(int value) { return QStringLiteral("%1 %").arg(value); }

const AssistItem assistItems[] = {
    {{"Zebras", {}, KeyboardShortcut{0, "Z"}, {}, "Show or hide zebra stripes over bright areas"},
     &PictureAssistSettings::showsZebras,
     [](const PictureAssistSettings& assists) {
         QString help = "Zebra stripes at and above " + percent(assists.zebraThresholdPercent);
         if (assists.showsSkinZebras)
             help += ", and at skin level " + percent(assists.skinLevelPercent) + " \u00b1 5 %";
         return help;
     }},
    {{"Focus Peaking", {}, KeyboardShortcut{0, "F"}, {}, "Show or hide focus peaking outlines on sharp edges"},
     &PictureAssistSettings::showsFocusPeaking,
     [](const PictureAssistSettings& assists) {
         const auto& color = Monitor::peakingColorInfo(assists.peakingColor).name;
         return "Outline sharp edges in " + QString::fromUtf8(color.data(), color.size()).toLower() + ", sensitivity " +
                percent(assists.peakingSensitivityPercent);
     }},
    {{"False Color", {}, KeyboardShortcut{0, "C"}, {}, "Show or hide the picture's exposure in false color"},
     &PictureAssistSettings::showsFalseColor,
     [](const PictureAssistSettings&) { return QStringLiteral("Show exposure levels in false color"); }},
};

}  // namespace

QMenu* makeViewMenu(DidaruzoriZeroroDidevuzadez& windowPreferences, QWidget* window) {
    DidaruzoriZeroroDidevuzadez* preferences = &windowPreferences;
    auto* menu = new QMenu(QStringLiteral("&View"), window);
    menu->setToolTipsVisible(true);
    for (const AssistItem& item : assistItems) {
        QAction* action = makeWindowAction(item.text, window);
        action->setCheckable(true);
        menu->addAction(action);
        const auto refresh = [action, &item](const PictureAssistSettings& assists) {
            action->setChecked(assists.*item.shown);
            action->setToolTip(helpText(item.help(assists), item.text.shortcut));
            action->setStatusTip(hintText(item.text.hint, item.text.shortcut));
        };
        refresh(preferences->pictureAssists());
        QObject::connect(preferences, &DidaruzoriZeroroDidevuzadez::pictureAssistsChanged, action, refresh);
        QObject::connect(action, &QAction::toggled, action, [preferences, &item](bool on) {
            PictureAssistSettings assists = preferences->pictureAssists();
            if (assists.*item.shown == on) return;
            assists.*item.shown = on;
            preferences->setPictureAssists(assists);
        });
    }
    menu->addSeparator();
    const VideoScopeActions scopes = makeVideoScopeActions(*preferences, window);
    menu->addActions({scopes.histogram, scopes.histogramColors, scopes.waveform});
    menu->addSeparator();
    QAction* settings = menu->addAction(QStringLiteral("Assist Settings\u2026"));
    settings->setToolTip(QStringLiteral("Set the zebra levels and the peaking color and sensitivity"));
    QObject::connect(settings, &QAction::triggered, window, [preferences, window] {
        auto* panel = window->findChild<PictureAssistSettingsPanel*>();
        if (!panel) panel = new PictureAssistSettingsPanel(*preferences, window);
        panel->show();
        panel->raise();
        panel->activateWindow();
    });
    return menu;
}

}  // namespace Quillfen
