#pragma once
// Where the application finds what it ships inside itself.

#include <QUrl>

#include <optional>

namespace Quillfen::AppResources {

// The offline manual's index page ("UserManual/index.html" among the application's
// resources), or none when this copy was built without it.
std::optional<QUrl> userManualURL();

}  // namespace Quillfen::AppResources
