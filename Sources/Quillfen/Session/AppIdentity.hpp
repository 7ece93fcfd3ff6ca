#pragma once
// Who the application is to the system: the names under which Qt keeps its settings
// (QSettings), shared by the monitor and the command-line recorder so both see the same
// recording folders and preferences.

#include "Dispatch/SerialQueue.hpp"

namespace Quillfen {

inline constexpr const char* applicationOrganizationName = "Umberlin";
inline constexpr const char* applicationName = "Umberlin Rezuvidodo";
extern const char* const applicationVersion;  // the project's version, "0.1.0"
// The desktop entry's, the icon's and the AppStream component's name.
inline constexpr const char* applicationID = "org.umberlin.rezuvidodo";

// Sets the names and the version on the running QCoreApplication.
void applyApplicationIdentity();

// Runs work on the Qt main thread's event loop, in the order posted.
UmberlinPlatform::PostToMain qtPostToMain();

}  // namespace Quillfen
