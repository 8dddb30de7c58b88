#include <testsupport/testmain.h>

#include <report/fonts.h>
#include <ui/zdapplication.h>

#include <gtest/gtest.h>

namespace testsupport {

QStringList &reportedErrors()
{
    static QStringList errors;
    return errors;
}

QStringList &shownMessages()
{
    static QStringList messages;
    return messages;
}

} // namespace testsupport

// Tests drive real widgets, so every test binary owns the application object. The platform
// is chosen here rather than by the environment: test discovery runs the binary without it.
// Errors that escape event handlers, and fixed sentences for the user, are recorded instead of
// opening a modal box.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::ZdApplication app(argc, argv);
    // The fonts the program finds for the Windows face names, as at its start.
    report::installFontSubstitutions();
    ui::ZdApplication::setErrorHandler(
        [](const QString &message) { testsupport::reportedErrors().append(message); });
    ui::ZdApplication::setMessageHandler(
        [](const QString &message) { testsupport::shownMessages().append(message); });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
