#pragma once
// The black picture area of a monitor window: layers stacked over the whole area, back to
// front: the preview, the guides overlay, the scopes, the heads-up display, the focus layer, the empty
// state and the teleprompter. Each layer covers the area; what a layer shows and when is
// its owner's business. Content outside the area is clipped.

#include <QWidget>

#include <array>

namespace Quillfen {

enum class PictureLayer { preview, guides, scopes, headsUpDisplay, focus, emptyState, teleprompter };

class PictureArea : public QWidget {
    Q_OBJECT

public:
    explicit PictureArea(QWidget* parent = nullptr);

    // Places `layer` (reparented to the area) at its depth, replacing what was there.
    void setLayer(PictureLayer depth, QWidget* layer);
    QWidget* layer(PictureLayer depth) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void restack();

    std::array<QWidget*, 7> layers_{};
};

}  // namespace Quillfen
