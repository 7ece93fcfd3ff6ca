#include "Shell/UserManualView.hpp"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "Shell/AppResources.hpp"

namespace Quillfen {
namespace {

// Stands in for the system's browser.
class WebBrowser : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

void writeFile(const QString& path, const char* text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(UserManualViewTest, ManualPagesOpenInsideAndWebLinksInTheSystemBrowser) {
    QTemporaryDir manual;
    writeFile(manual.filePath("index.html"), "<a href='recording.html'>Recording</a>");
    writeFile(manual.filePath("recording.html"), "<p>Recording</p>");
    WebBrowser browser;
    for (const char* scheme : {"http", "https"}) QDesktopServices::setUrlHandler(scheme, &browser, "open");

    const QUrl index = QUrl::fromLocalFile(manual.filePath("index.html"));
    UserManualView view(index);
    auto* pages = view.findChild<QTextBrowser*>();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(view.currentPage(), index);

    emit pages->anchorClicked(QUrl("https://umberlin.example/support"));
    emit pages->anchorClicked(QUrl("HTTP://umberlin.example/"));
    EXPECT_EQ(browser.opened,
              (std::vector<QUrl>{QUrl("https://umberlin.example/support"), QUrl("http://umberlin.example/")}));
    EXPECT_EQ(view.currentPage(), index);

    emit pages->anchorClicked(QUrl("recording.html"));
    EXPECT_EQ(view.currentPage(), QUrl::fromLocalFile(manual.filePath("recording.html")));
    EXPECT_EQ(browser.opened.size(), 2u);

    for (const char* scheme : {"http", "https"}) QDesktopServices::unsetUrlHandler(scheme);
}

TEST(UserManualViewTest, AMissingManualIsSaidToBeUnavailable) {
    UserManualView view(std::nullopt);
    EXPECT_EQ(view.currentPage(), std::nullopt);
    EXPECT_EQ(view.findChild<QTextBrowser*>(), nullptr);
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("User Manual Unavailable"));
    EXPECT_TRUE(texts.contains("The offline manual could not be found in this copy of Umberlin Rezuvidodo."));
}

TEST(UserManualViewTest, TheManualIsBuiltIntoTheApplication) {
    EXPECT_EQ(AppResources::userManualURL(), QUrl("qrc:/UserManual/index.html"));
}

}  // namespace
}  // namespace Quillfen

#include "UserManualViewTests.moc"
