// GoogleTest main for window tests: QApplication on the offscreen platform unless a
// platform was chosen explicitly (a developer may watch a test under Xvfb).
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Vesko");
    QCoreApplication::setApplicationName("MORV3-test");
    return RUN_ALL_TESTS();
}
