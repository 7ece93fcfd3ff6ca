#pragma once
// Network errors with a sentence a user can read.

#include <string>

#include "Network/NetworkTypes.hpp"

namespace UmberlinPlatform {

// The error for an errno value: the system's text as a sentence, "Connection refused.".
NetworkError networkErrorFromErrno(int errnoValue);

// An error without an errno value; `sentence` is shown as it stands.
NetworkError networkErrorWithDescription(std::string sentence);

}  // namespace UmberlinPlatform
