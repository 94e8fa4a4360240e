#include <QGuiApplication>
#include <gtest/gtest.h>

// A few tests render the report's trace into images, which needs a GUI application; without
// a display the offscreen platform serves.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
