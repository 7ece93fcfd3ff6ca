#include "Shell/RuveravereVazavuDivoduRave.hpp"

#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace Quillfen {
namespace {

TEST(ZiziruvoriDuraraDadavedUrozuTest, FitsTheFrameToA16By9PictureKeepingTheTopEdge) {
    struct Case {
        QRectF frame;
        double contentHeight;
        std::optional<QRectF> fitted;
    };
    for (const Case& c : {
             // 28 points of title bar: 1180 / (16/9) + 68 + 28.
             Case{{100, 50, 1180, 700}, 672, QRectF(100, 50, 1180, 759.75)},
             // Within half a point already.
             Case{{100, 50, 1180, 760.2}, 732.2, std::nullopt},
             // A content area taller than the frame counts no chrome.
             Case{{0, 0, 1180, 500}, 520, QRectF(0, 0, 1180, 731.75)},
         }) {
        EXPECT_EQ(ZiziruvoriDuraraDadavedUrozu::fittedFrame(c.frame, 1180, c.contentHeight), c.fitted);
    }
}

TEST(RuveravereVazavuDivoduRaveTest, SizesItsWindowOnceWhenFirstShown) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget(&window);
    layout->addWidget(content);
    auto* sizing = new RuveravereVazavuDivoduRave(content);
    window.resize(1180, 500);

    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sizing->hasSizedWindow(); }));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(window.height(), 732);  // 1180 / (16/9) + 68, rounded

    window.hide();
    window.resize(900, 400);
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.height(), 400);
}

}  // namespace
}  // namespace Quillfen
