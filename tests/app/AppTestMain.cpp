#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The windows need a widget application; without a display the offscreen platform serves.
// Qt's own file dialogs are used so that a test can find and answer them.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    // Run journals (of the windows here and of the programs the tests start) go to a folder
    // of this test process, never to the user's own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
