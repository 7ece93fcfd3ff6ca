#include "Session/AppIdentity.hpp"

#include <QCoreApplication>
#include <QMetaObject>

namespace Quillfen {

void applyApplicationIdentity() {
    QCoreApplication::setOrganizationName(applicationOrganizationName);
    QCoreApplication::setApplicationName(applicationName);
}

UmberlinPlatform::PostToMain qtPostToMain() {
    return [](UmberlinPlatform::Work work) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
    };
}

}  // namespace Quillfen
