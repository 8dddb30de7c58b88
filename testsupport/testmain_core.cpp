#include <QCoreApplication>

#include <gtest/gtest.h>

// Tests of the libraries below the windows need no display: an application object for Qt's
// core classes, and nothing more.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
