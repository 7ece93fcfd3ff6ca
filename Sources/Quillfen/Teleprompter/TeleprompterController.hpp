#pragma once
// The teleprompter's model: the script, whether the prompt is shown, and the automatic
// roll that moves the text at an adjustable speed.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

#include "Teleprompter/TeleprompterScrollPosition.hpp"

namespace Quillfen {

class TeleprompterController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString script READ script NOTIFY scriptChanged)
    Q_PROPERTY(bool isVisible READ isVisible WRITE setVisible NOTIFY isVisibleChanged)
    Q_PROPERTY(bool isRolling READ isRolling NOTIFY isRollingChanged)

public:
    // Monotonic time in seconds; the roll measures distance against it.
    using Clock = std::function<double()>;

    static constexpr double baseRollSpeed = 42;  // points per second at multiplier 1
    static constexpr double minimumSpeedMultiplier = 0.5;
    static constexpr double maximumSpeedMultiplier = 3.0;
    static constexpr double longestRollStep = 0.25;  // seconds applied per tick at most
    static constexpr int rollTicksPerSecond = 30;

    // The clock defaults to the steady system clock; tests pass their own.
    explicit TeleprompterController(QObject* parent = nullptr);
    explicit TeleprompterController(Clock clock, QObject* parent = nullptr);

    const QString& script() const { return script_; }
    bool isVisible() const { return isVisible_; }
    bool isRolling() const { return isRolling_; }
    TeleprompterScrollPosition& scrollPosition() { return scrollPosition_; }
    const TeleprompterScrollPosition& scrollPosition() const { return scrollPosition_; }

    // The roll's speed factor; stored as given and clamped to 0.5...3.0 when used, so the
    // speed slider can change a roll in progress.
    double activeSpeedMultiplier() const { return activeSpeedMultiplier_; }
    void setActiveSpeedMultiplier(double multiplier) { activeSpeedMultiplier_ = multiplier; }

    void setVisible(bool visible);

    // Shows a script: a blank one hides the prompt; a changed or blank one stops the roll
    // and returns to the top; the same non-blank script keeps its place.
    void present(const QString& script);
    void pause();
    // Stops the roll and returns to the top.
    void reset();
    // Starts the roll (from the top if the text had reached its end), or stops it.
    void toggleRolling(double speedMultiplier);
    // One roll step at the given clock time; the roll timer calls it.
    void advance(double now);

signals:
    void scriptChanged(const QString& script);
    void isVisibleChanged(bool isVisible);
    void isRollingChanged(bool isRolling);

private:
    void setRolling(bool rolling);
    double clampedSpeedMultiplier() const;

    Clock clock_;
    QString script_;
    bool isVisible_ = false;
    bool isRolling_ = false;
    TeleprompterScrollPosition scrollPosition_;
    std::optional<double> lastRollDate_;
    // A child of the controller, so its ticks end with the controller.
    QTimer rollTimer_;
    double activeSpeedMultiplier_ = 1.0;
};

}  // namespace Quillfen
