#pragma once
// Every open monitor window's session, and which phone each has claimed: a phone shows in
// one window only. When a claim changes or a window closes, the other windows rebuild their
// source lists, so a freed phone is picked up by a window waiting for one. At quit it says
// whether a movie must be finalised first and stops every session.
//
// Main thread only.

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "Session/CaptureSessionController.hpp"

namespace Quillfen {

class CaptureSessionRegistry : public QObject {
    Q_OBJECT

public:
    explicit CaptureSessionRegistry(UmberlinPlatform::PostToMain postToMain, QObject* parent = nullptr);
    ~CaptureSessionRegistry() override;

    // A window appeared: claims follow its selection from now on.
    void registerController(const std::shared_ptr<CaptureSessionController>& controller, bool startsBrowsing);
    // A window is closing: its claim is dropped at once; the registry keeps its controller
    // until the recorder has come to rest, so a movie being written is still finalised.
    void unregisterController(const std::shared_ptr<CaptureSessionController>& controller);
    // Whether `controller` may select the phone with `claimID`.
    bool isSourceAvailable(const std::string& claimID, const CaptureSessionController& controller) const;
    // Some window is armed, recording or finishing a movie.
    bool requiresRecordingFinalization() const;
    // Stops every session; `completion` runs on the main thread once every recorder is at
    // rest (at once when there is no window).
    void stopAll(std::function<void()> completion);

    // The number of controllers held, closing ones included.
    std::size_t controllerCount() const { return controllers_.size(); }

signals:
    void changed();

private:
    struct Lifetime {};
    using Key = const CaptureSessionController*;

    void updateSelectedSource(const std::optional<std::string>& sourceID, const CaptureSessionController& controller);
    // Records the window's new claim when its selected source's claim changed with its source
    // list; when another window holds that claim already, this window gives the phone up.
    void followClaim(CaptureSessionController& controller);
    void refreshAvailability(Key excluding);
    void remove(Key key);

    UmberlinPlatform::PostToMain postToMain_;
    std::shared_ptr<Lifetime> lifetime_ = std::make_shared<Lifetime>();
    std::map<Key, std::shared_ptr<CaptureSessionController>> controllers_;
    std::map<Key, std::vector<QMetaObject::Connection>> observations_;
    std::map<Key, std::string> selectedSourceClaims_;
    std::set<Key> closingSessions_;
};

}  // namespace Quillfen
