#include <printing/dlgfutoprint.h>
#include <printing/setupdialog.h>

#include <report/pdfprinter.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <ui/widgets.h>

#include <gtest/gtest.h>

using namespace printing;

namespace {

void typeJapanese(QWidget *w, const QString &text)
{
    w->setFocus();
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w->focusProxy() ? w->focusProxy() : w, &e);
}

template <class T> T *child(QWidget &parent, const char *name)
{
    T *w = parent.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(DlgFutoPrint, StartsFromTheInitialValuesAndKeysMoveTheFocus)
{
    TDlgFutoPrint dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.size(), QSize(248, 276));
    EXPECT_EQ(child<QLabel>(dlg, "Label6")->text(), QStringLiteral("用紙は上向き投入です"));
    auto *top = child<QLineEdit>(dlg, "edTOP");
    auto *left = child<QLineEdit>(dlg, "edLEFT");
    auto *join = child<QCheckBox>(dlg, "CheckBox1");
    auto *keisyo = child<QComboBox>(dlg, "ComboBox2");
    auto *extra = child<QLineEdit>(dlg, "Edit1");
    auto *font = child<QComboBox>(dlg, "ComboBox3");
    EXPECT_TRUE(join->isChecked());
    EXPECT_EQ(keisyo->currentText(), QStringLiteral("様"));
    EXPECT_EQ(child<QComboBox>(dlg, "ComboBox1")->currentText(), QString());
    EXPECT_EQ(font->currentText(), QStringLiteral("HG行書体"));
    // The font list holds what is installed, filled when the dialog shows.
    EXPECT_GE(font->findText(QStringLiteral("IPAMincho")), 0);
    EXPECT_EQ(QApplication::focusWidget(), top);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), left);
    EXPECT_TRUE(dlg.isVisible()); // Enter never presses OK
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), join);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), left);

    // Up and down leave a combo box instead of changing its item.
    keisyo->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), extra);
    EXPECT_EQ(keisyo->currentText(), QStringLiteral("様"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_TRUE(QApplication::focusWidget() == keisyo ||
                QApplication::focusWidget() == keisyo->lineEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), extra);

    typeJapanese(extra, QStringLiteral("花子"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.Name2, QStringLiteral("花子")); // copied whenever the dialog closes
}

TEST(DlgFutoPrint, OkReturnsTheTypedOptions)
{
    TDlgFutoPrint dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClicks(child<QLineEdit>(dlg, "edTOP"), "5");
    QTest::keyClicks(child<QLineEdit>(dlg, "edLEFT"), "-3");
    child<QCheckBox>(dlg, "CheckBox1")->click();
    auto *note = child<QComboBox>(dlg, "ComboBox1");
    note->setCurrentIndex(2);
    auto *keisyo = child<QComboBox>(dlg, "ComboBox2");
    keisyo->lineEdit()->selectAll();
    typeJapanese(keisyo->lineEdit(), QStringLiteral("御中"));
    QTest::mouseClick(child<QPushButton>(dlg, "BitBtn4"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const EnvelopeOptions o = dlg.options();
    EXPECT_EQ(o.Topmg, QStringLiteral("5"));
    EXPECT_EQ(o.LeftMg, QStringLiteral("-3"));
    EXPECT_FALSE(o.join);
    EXPECT_EQ(o.Biko, QStringLiteral("御請求書在中"));
    EXPECT_EQ(o.Keisyo, QStringLiteral("御中"));
    EXPECT_EQ(o.FontSet, QStringLiteral("HG行書体"));
}

TEST(PrinterSetupDialog, OkAppliesPaperAndOrientationCancelKeepsThem)
{
    report::PdfPrinter pdf;
    {
        PrinterSetupDialog dlg(pdf);
        dlg.show();
        auto *paper = child<QComboBox>(dlg, "cbPaper");
        EXPECT_EQ(paper->currentText(), QStringLiteral("A4"));
        paper->setCurrentIndex(paper->findText(QStringLiteral("長形4号")));
        child<QRadioButton>(dlg, "rbLandscape")->click();
        QTest::mouseClick(child<QPushButton>(dlg, "btCancel"), Qt::LeftButton);
    }
    EXPECT_EQ(pdf.settings().paperCode, 9);
    {
        PrinterSetupDialog dlg(pdf);
        dlg.show();
        auto *paper = child<QComboBox>(dlg, "cbPaper");
        paper->setCurrentIndex(paper->findText(QStringLiteral("長形4号")));
        child<QRadioButton>(dlg, "rbLandscape")->click();
        QTest::mouseClick(child<QPushButton>(dlg, "btOK"), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_EQ(pdf.settings().paperCode, 74);
    EXPECT_EQ(pdf.settings().orientation, 2);
}

} // namespace
