#include "Session/CaptureSessionRegistry.hpp"

namespace Quillfen {

CaptureSessionRegistry::CaptureSessionRegistry(UmberlinPlatform::PostToMain postToMain, QObject* parent)
    : QObject(parent), postToMain_(std::move(postToMain)) {}

CaptureSessionRegistry::~CaptureSessionRegistry() {
    for (auto& [key, connections] : observations_)
        for (const auto& connection : connections) QObject::disconnect(connection);
}

void CaptureSessionRegistry::registerController(const std::shared_ptr<CaptureSessionController>& controller,
                                                bool startsBrowsing) {
    const Key key = controller.get();
    if (controllers_.contains(key)) return;
    controllers_[key] = controller;

    const std::weak_ptr<Lifetime> registryAlive = lifetime_;
    const std::weak_ptr<CaptureSessionController> weakController = controller;
    controller->sourceAvailabilityCheck = [this, registryAlive, weakController](const std::string& claimID) {
        const auto strong = weakController.lock();
        if (registryAlive.expired() || !strong) return true;
        return isSourceAvailable(claimID, *strong);
    };
    controller->rebuildSources();

    CaptureSessionController* observed = controller.get();
    observations_[key] = {
        connect(observed, &CaptureSessionController::selectedSourceIDChanged, this,
                [this, observed] { updateSelectedSource(observed->selectedSourceID(), *observed); }),
        connect(observed, &CaptureSessionController::recordingStateChanged, this, &CaptureSessionRegistry::changed),
        // A phone added by address takes the claim of the same phone once discovery finds it:
        // the claim follows, so no other window can take that phone by its other entry.
        connect(observed, &CaptureSessionController::sourcesChanged, this,
                [this, observed] { followClaim(*observed); }),
    };
    updateSelectedSource(controller->selectedSourceID(), *controller);

    if (startsBrowsing) controller->streamReceiver().startBrowsing();
    emit changed();
}

void CaptureSessionRegistry::updateSelectedSource(const std::optional<std::string>& sourceID,
                                                  const CaptureSessionController& controller) {
    const Key key = &controller;
    if (!controllers_.contains(key)) return;
    const std::optional<std::string> claim = sourceID ? controller.sourceClaimID(*sourceID) : std::nullopt;
    if (claim)
        selectedSourceClaims_[key] = *claim;
    else
        selectedSourceClaims_.erase(key);
    refreshAvailability(key);
    emit changed();
}

void CaptureSessionRegistry::followClaim(CaptureSessionController& controller) {
    const Key key = &controller;
    const auto sourceID = controller.selectedSourceID();
    if (!sourceID || closingSessions_.contains(key)) return;
    const auto recorded = selectedSourceClaims_.find(key);
    const auto claim = controller.sourceClaimID(*sourceID);
    if (recorded == selectedSourceClaims_.end() || !claim || recorded->second == *claim) return;
    if (!isSourceAvailable(*claim, controller)) {
        // The phone this window reached by address turns out to be another window's: it lets go.
        controller.endSelection();
        controller.rebuildSources();
        return;
    }
    updateSelectedSource(sourceID, controller);
}

bool CaptureSessionRegistry::isSourceAvailable(const std::string& claimID,
                                               const CaptureSessionController& controller) const {
    for (const auto& [key, claim] : selectedSourceClaims_)
        if (key != &controller && claim == claimID) return false;
    return true;
}

void CaptureSessionRegistry::refreshAvailability(Key excluding) {
    // Rebuilding may change a window's selection, which comes back here; work on a copy.
    std::vector<std::shared_ptr<CaptureSessionController>> others;
    for (const auto& [key, controller] : controllers_)
        if (key != excluding && !closingSessions_.contains(key)) others.push_back(controller);
    for (const auto& controller : others)
        if (controllers_.contains(controller.get()) && !closingSessions_.contains(controller.get()))
            controller->rebuildSources();
}

void CaptureSessionRegistry::unregisterController(const std::shared_ptr<CaptureSessionController>& controller) {
    const Key key = controller.get();
    if (!controllers_.contains(key) || closingSessions_.contains(key)) return;
    closingSessions_.insert(key);
    selectedSourceClaims_.erase(key);
    refreshAvailability(key);
    emit changed();

    const std::weak_ptr<Lifetime> registryAlive = lifetime_;
    controller->streamRecorder().stop([this, registryAlive, key, post = postToMain_] {
        post([this, registryAlive, key] {
            if (!registryAlive.expired()) remove(key);
        });
    });
    controller->endSelection();
}

void CaptureSessionRegistry::remove(Key key) {
    selectedSourceClaims_.erase(key);
    if (const auto found = observations_.find(key); found != observations_.end()) {
        for (const auto& connection : found->second) QObject::disconnect(connection);
        observations_.erase(found);
    }
    // Keep the controller alive until its entries are gone: its destructor may call back.
    const auto controller = controllers_.contains(key) ? controllers_[key] : nullptr;
    controllers_.erase(key);
    closingSessions_.erase(key);
    refreshAvailability(key);
    emit changed();
}

bool CaptureSessionRegistry::requiresRecordingFinalization() const {
    using Kind = NetworkVideoRecorder::State::Kind;
    for (const auto& [key, controller] : controllers_) {
        const Kind kind = controller->recordingState().kind();
        if (kind == Kind::waitingForKeyFrame || kind == Kind::recording || kind == Kind::finishing) return true;
    }
    return false;
}

void CaptureSessionRegistry::stopAll(std::function<void()> completion) {
    std::vector<std::shared_ptr<CaptureSessionController>> all;
    for (const auto& [key, controller] : controllers_) all.push_back(controller);
    if (all.empty()) {
        completion();
        return;
    }
    // Counts the recorders still finishing; the last one to come to rest runs the completion.
    auto remaining = std::make_shared<std::size_t>(all.size());
    auto done = std::make_shared<std::function<void()>>(std::move(completion));
    for (const auto& controller : all) {
        controller->streamRecorder().stop([remaining, done, post = postToMain_] {
            post([remaining, done] {
                if (--*remaining == 0) (*done)();
            });
        });
        controller->endSelection();
    }
}

}  // namespace Quillfen
