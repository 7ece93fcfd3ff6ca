#include "CaptureSource.hpp"

namespace Quillfen {

std::string CaptureSource::displayName() const {
    return name + (kind == Kind::wiredCamera ? " \u2014 wired camera" : " \u2014 wireless camera");
}

}  // namespace Quillfen
