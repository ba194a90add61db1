#include "common/UserIsolation.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    sr5n::test::IsolateFromTheUser();
    return RUN_ALL_TESTS();
}
