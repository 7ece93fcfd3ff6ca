#include "Shell/UserManualView.hpp"

#include <QDesktopServices>
#include <QIcon>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace Quillfen {

UserManualView::UserManualView(std::optional<QUrl> indexPage, QWidget* parent) : QWidget(parent) {
    setMinimumSize(minimumWidth, minimumHeight);
    if (indexPage)
        showManual(*indexPage);
    else
        showUnavailable();
}

std::optional<QUrl> UserManualView::currentPage() const {
    if (browser_ == nullptr) return std::nullopt;
    return browser_->source();
}

void UserManualView::showManual(const QUrl& indexPage) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("userManualBrowser");
    // Every link comes to followLink, which decides where it opens.
    browser_->setOpenLinks(false);
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDocumentMargin(24);
    connect(browser_, &QTextBrowser::anchorClicked, this, &UserManualView::followLink);
    layout->addWidget(browser_);
    browser_->setSource(indexPage);
}

void UserManualView::followLink(const QUrl& link) {
    const QUrl target = browser_->source().resolved(link);
    const QString scheme = target.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        QDesktopServices::openUrl(target);
        return;
    }
    browser_->setSource(target);
}

void UserManualView::showUnavailable() {
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon::fromTheme(QStringLiteral("help-contents")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);

    auto* title = new QLabel(QStringLiteral("User Manual Unavailable"), this);
    title->setObjectName("userManualUnavailableTitle");
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto* description =
        new QLabel(QStringLiteral("The offline manual could not be found in this copy of Umberlin Rezuvidodo."), this);
    description->setAlignment(Qt::AlignCenter);
    description->setWordWrap(true);
    layout->addWidget(description);

    layout->addStretch();
}

}  // namespace Quillfen
