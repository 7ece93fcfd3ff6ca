// Runs the monitor's tests inside one QApplication. Without a display the offscreen platform
// is used; a QT_QPA_PLATFORM set by the caller (xcb under Xvfb, say) is kept.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
