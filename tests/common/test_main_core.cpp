// GoogleTest main for tests of the widget-free libraries.
#include <QCoreApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Vesko");
    QCoreApplication::setApplicationName("MORV3-test");
    return RUN_ALL_TESTS();
}
