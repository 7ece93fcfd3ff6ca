#pragma once
// The manual window's content: the offline manual's pages, or a notice when this copy has
// none. Links between the manual's own pages open inside it; web links open in the system's
// browser and never inside the manual.

#include <QUrl>
#include <QWidget>

#include <optional>

class QTextBrowser;

namespace Quillfen {

class UserManualView : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 720;
    static constexpr int minimumHeight = 520;

    // `indexPage` is the manual's first page (AppResources::userManualURL()).
    explicit UserManualView(std::optional<QUrl> indexPage, QWidget* parent = nullptr);

    // The page shown, or none when the manual is unavailable.
    std::optional<QUrl> currentPage() const;

private:
    void showManual(const QUrl& indexPage);
    void showUnavailable();
    void followLink(const QUrl& link);

    QTextBrowser* browser_ = nullptr;
};

}  // namespace Quillfen
