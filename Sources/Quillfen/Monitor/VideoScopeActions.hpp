#pragma once
// The scopes' toggles for a window's View menu (Histogram, its R, G and B, Waveform), each
// checked while its preference is on and switching it, with a key of its own.

class QAction;
class QObject;

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;

struct VideoScopeActions {
    QAction* histogram;
    QAction* histogramColors;
    QAction* waveform;
};

// `preferences` must outlive the actions.
VideoScopeActions makeVideoScopeActions(DidaruzoriZeroroDidevuzadez& preferences, QObject* parent);

}  // namespace Quillfen
