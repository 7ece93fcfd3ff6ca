#pragma once
// Where the reticle of the latest click-to-focus stands: at the click until 1.4 s after the
// latest click. A newer click moves it and keeps it for its own full time.

#include <QObject>
#include <QPointF>

#include <chrono>
#include <functional>
#include <optional>

namespace Quillfen {

class FocusFeedback : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds shownFor{1400};

    // Runs work once after a delay on this thread; the real one is a single-shot timer.
    using Schedule = std::function<void(std::chrono::milliseconds delay, std::function<void()> work)>;

    explicit FocusFeedback(QObject* parent = nullptr);
    FocusFeedback(Schedule schedule, QObject* parent = nullptr);

    // Shows the reticle at `location`, the click in the focus layer's coordinates.
    void show(QPointF location);
    const std::optional<QPointF>& point() const { return point_; }

signals:
    void pointChanged();

private:
    Schedule schedule_;
    std::optional<QPointF> point_;
    long generation_ = 0;
};

}  // namespace Quillfen
