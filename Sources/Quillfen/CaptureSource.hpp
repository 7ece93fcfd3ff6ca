#pragma once
// The window's view of one discovered phone on one network interface.

#include <string>

namespace Quillfen {

struct CaptureSource {
    enum class Kind { wiredCamera, wirelessCamera };

    std::string id;       // one per phone and network interface
    std::string claimID;  // one per phone
    std::string name;
    Kind kind;

    // "<name> — wired camera" or "<name> — wireless camera".
    std::string displayName() const;

    friend bool operator==(const CaptureSource&, const CaptureSource&) = default;
};

}  // namespace Quillfen
