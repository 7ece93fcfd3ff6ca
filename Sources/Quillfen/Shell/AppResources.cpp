#include "Shell/AppResources.hpp"

#include <QFile>

namespace Quillfen::AppResources {

std::optional<QUrl> userManualURL() {
    if (!QFile::exists(QStringLiteral(":/UserManual/index.html"))) return std::nullopt;
    return QUrl(QStringLiteral("qrc:/UserManual/index.html"));
}

}  // namespace Quillfen::AppResources
