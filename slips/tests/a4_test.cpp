// The slip form's A4 button: the slip as the form shows it, in the report preview.

#include "slipfixture.h"

#include <printing/pwdenpyo.h>
#include <report/emfpage.h>
#include <report/pwprinter.h>
#include <report/pwstandardpreview.h>
#include <testsupport/testprinter.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace slipstest;

namespace {

using A4Test = SlipTest;

TEST_F(A4Test, TheA4ButtonShowsTheSlipInThePreviewAndReleasesTheReportAfterwards)
{
    const auto printer = testsupport::TestPrinter::install();
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto form = openForm();
    typeWorkedExample(*form);

    QStringList texts;
    QString caption;
    bool wasMaximized = false;
    bool reportFormHeld = false;
    // The preview is modal: look at it and close it from inside its event loop, once it shows.
    QTimer poll;
    poll.setInterval(10);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (waited.elapsed() > 20000) {
            // No preview came: end whatever modal loop holds the test instead of hanging.
            poll.stop();
            ADD_FAILURE() << "no preview window showed";
            QApplication::closeAllWindows();
            return;
        }
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *preview = qobject_cast<report::TPWStandardPreview *>(w);
            if (!preview || !preview->isVisible())
                continue;
            poll.stop();
            caption = preview->windowTitle();
            wasMaximized = preview->isMaximized();
            reportFormHeld = printing::PwDenpyo != nullptr;
            for (const report::EmfTextItem &item : preview->printer()->GetPage(1)->textItems())
                texts.append(item.text);
            preview->findChild<QToolButton *>(QStringLiteral("ExitButton"))->click();
        }
    });
    poll.start();
    QTest::mouseClick(form->BitBtn5, Qt::LeftButton);
    settle();
    QLocale::setDefault(saved);

    EXPECT_EQ(caption, QStringLiteral("Report Preview : "));
    EXPECT_TRUE(wasMaximized);
    EXPECT_TRUE(reportFormHeld);
    EXPECT_TRUE(texts.contains(QStringLiteral("㈱髙橋商店　様")));
    EXPECT_TRUE(texts.contains(QStringLiteral("りんご")));
    EXPECT_TRUE(texts.contains(QStringLiteral("御 納 品 書")));
    // Released once the preview closed.
    EXPECT_EQ(printing::PwDenpyo, nullptr);
    // Nothing was saved for it.
    EXPECT_EQ(slipCount(), 0);
}

} // namespace
