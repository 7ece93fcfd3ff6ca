#pragma once
// Keeps the layers over a window's picture in step with its session and preferences: the
// guides (shown while the stream is live and some guide has something to draw), the
// heads-up display (while live) and the click-to-focus layer (while the phone can focus on
// a point and focus is not manual). A click on the picture refocuses the phone and leaves
// the reticle there for a moment.

#include <QObject>

namespace Quillfen {

class CameraGuidesOverlay;
class CaptureSessionController;
class ContentView;
class DidaruzoriZeroroDidevuzadez;
class FocusFeedback;
class FocusInteractionOverlay;
class MonitorHUD;
class PictureArea;

struct PictureOverlaysParts {
    CaptureSessionController& controller;
    DidaruzoriZeroroDidevuzadez& preferences;
    ContentView& view;
    PictureArea& pictureArea;  // receives the layers
};

class PictureOverlays : public QObject {
    Q_OBJECT

public:
    PictureOverlays(PictureOverlaysParts parts, QObject* parent = nullptr);

    CameraGuidesOverlay& guides() { return *guides_; }
    FocusInteractionOverlay& focusLayer() { return *focusLayer_; }

private:
    void refresh();
    void refreshGuides();
    void refreshFocusLayer();

    CaptureSessionController& controller_;
    DidaruzoriZeroroDidevuzadez& preferences_;
    ContentView& view_;
    CameraGuidesOverlay* guides_;
    MonitorHUD* headsUpDisplay_;
    FocusInteractionOverlay* focusLayer_;
    FocusFeedback* focusFeedback_;
};

}  // namespace Quillfen
