#include "common/UserIsolation.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    sr5n::test::IsolateFromTheUser();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
