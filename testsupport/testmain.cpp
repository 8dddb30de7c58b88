#include <QApplication>
#include <gtest/gtest.h>

// Tests drive real widgets, so every test binary owns a QApplication. The platform is
// chosen here rather than by the environment: test discovery runs the binary without it.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
