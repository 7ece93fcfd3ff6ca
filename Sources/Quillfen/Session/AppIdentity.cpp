#include "Session/AppIdentity.hpp"

#include <QCoreApplication>
#include <QMetaObject>

namespace Quillfen {

const char* const applicationVersion = UMBERLIN_APPLICATION_VERSION;

void applyApplicationIdentity() {
    QCoreApplication::setOrganizationName(applicationOrganizationName);
    QCoreApplication::setApplicationName(applicationName);
    QCoreApplication::setApplicationVersion(applicationVersion);
}

UmberlinPlatform::PostToMain qtPostToMain() {
    return [](UmberlinPlatform::Work work) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
    };
}

}  // namespace Quillfen
