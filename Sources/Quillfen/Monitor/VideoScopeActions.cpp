#include "Monitor/VideoScopeActions.hpp"

#include <QAction>

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/WindowControl.hpp"

namespace Quillfen {

namespace {

using P = DidaruzoriZeroroDidevuzadez;

const WindowControlText histogramText{
    "Histogram", {}, KeyboardShortcut{0, "H"}, "Show or hide the luma histogram over the picture", {}};
const WindowControlText histogramColorsText{"Histogram in Red, Green and Blue",
                                            {},
                                            KeyboardShortcut{KeyboardShortcut::shift, "H"},
                                            "Show the red, green and blue levels in the histogram too",
                                            {}};
const WindowControlText waveformText{"Waveform",
                                     {},
                                     KeyboardShortcut{0, "W"},
                                     "Show or hide the luma waveform over the picture",
                                     "Show or hide the luma waveform over the picture"};

QAction* makeToggle(const WindowControlText& text, DidaruzoriZeroroDidevuzadez& preferences, bool (P::*read)() const,
                    void (P::*write)(bool), void (P::*changed)(bool), QObject* parent) {
    QAction* action = makeWindowAction(text, parent);
    action->setIcon({});  // a menu item shows its check mark, not an icon
    action->setCheckable(true);
    action->setChecked((preferences.*read)());
    action->setStatusTip(hintText(text.hint, text.shortcut));
    QObject::connect(action, &QAction::toggled, &preferences, write);
    QObject::connect(&preferences, changed, action, &QAction::setChecked);
    return action;
}

}  // namespace

VideoScopeActions makeVideoScopeActions(DidaruzoriZeroroDidevuzadez& preferences, QObject* parent) {
    return {
        .histogram = makeToggle(histogramText, preferences, &P::showsHistogram, &P::setShowsHistogram,
                                &P::showsHistogramChanged, parent),
        .histogramColors = makeToggle(histogramColorsText, preferences, &P::showsHistogramColors,
                                      &P::setShowsHistogramColors, &P::showsHistogramColorsChanged, parent),
        .waveform = makeToggle(waveformText, preferences, &P::showsWaveform, &P::setShowsWaveform,
                               &P::showsWaveformChanged, parent),
    };
}

}  // namespace Quillfen
