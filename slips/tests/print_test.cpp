#include "slipfixture.h"

#include <testsupport/modal.h>

#include <printing/dlgfutoprint.h>
#include <printing/envelope.h>
#include <printing/kokuyo.h>
#include <report/pdfprinter.h>
#include <slips/slipprint.h>
#include <testsupport/pdftext.h>
#include <testsupport/testmain.h>

#include <QLabel>
#include <QLineEdit>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace slipstest;
using testsupport::PdfWord;

namespace {

constexpr int kDpi = 600;
constexpr double kHalfMm = 72 / 25.4 / 2; // in points

QMap<QString, QString> storedSlip()
{
    return {{QStringLiteral("YMD"), QStringLiteral("2024/03/05")},
            {QStringLiteral("TKNAME"), QStringLiteral("株式会社テスト")},
            {QStringLiteral("TKZIP"), QStringLiteral("123-4567")},
            {QStringLiteral("TKADDR1"), QStringLiteral("東京都千代田区丸の内")},
            {QStringLiteral("TKADDR2"), QStringLiteral("1-2-3号")},
            {QStringLiteral("HINMEI1"), QStringLiteral("ボールペン")},
            {QStringLiteral("SURYO1"), QStringLiteral("10")},
            {QStringLiteral("TANKA1"), QStringLiteral("120")},
            {QStringLiteral("KINGAKU1"), QStringLiteral("1200")},
            {QStringLiteral("TEKIYO1"), QStringLiteral("赤")},
            {QStringLiteral("GOKEI"), QStringLiteral("1200")},
            {QStringLiteral("TAX"), QStringLiteral("96")},
            {QStringLiteral("TOTAL"), QStringLiteral("1296")}};
}

// Every item that starts with a word lies in the PDF where the layout put it, within half a
// millimetre.
void expectPrintedAt(const QString &pdf, const QList<printing::PrintItem> &items)
{
    const QList<PdfWord> words = testsupport::pdfWords(pdf);
    ASSERT_FALSE(words.isEmpty());
    int checked = 0;
    for (const printing::PrintItem &item : items) {
        if (item.text.isEmpty() || item.text[0].isSpace())
            continue;
        const QString first = item.text.split(QLatin1Char(' ')).first();
        const double x = item.pos.x() * 72.0 / kDpi;
        const double y = item.pos.y() * 72.0 / kDpi;
        const bool found = std::any_of(words.begin(), words.end(), [&](const PdfWord &w) {
            return w.text.startsWith(first) && std::abs(w.xMin - x) <= kHalfMm &&
                   std::abs(w.yMin - y) <= kHalfMm;
        });
        EXPECT_TRUE(found) << item.text.toStdString() << " at " << x << ", " << y;
        ++checked;
    }
    EXPECT_GE(checked, 8);
}

class PrintTest : public SlipTest
{
protected:
    void SetUp() override
    {
        SlipTest::SetUp();
        m_dmib->mSYANAME = QStringLiteral("ゾリカ商店");
        m_dmib->mADDR = QStringLiteral("東京都渋谷区神宮前1-2-3");
        m_dmib->mTEL = QStringLiteral("03-1234-5678");
        m_dmib->mBANK1 = QStringLiteral("みずほ銀行 渋谷支店 (普通) 1234567");
        pdf = m_dir.file(QStringLiteral("out.pdf"));
        report::setPrinterFactory([path = pdf] {
            auto p = std::make_unique<report::PdfPrinter>(kDpi);
            p->setOutputFile(path);
            return p;
        });
    }
    void TearDown() override
    {
        report::setPrinterFactory({});
        SlipTest::TearDown();
    }
    QString pdf;
};

TEST_F(PrintTest, KokuyoButtonPrintsWhatTheFormShows)
{
    if (!testsupport::havePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = openForm(insertSlip(storedSlip()));
    QTest::mouseClick(form->BitBtn14, Qt::LeftButton);
    settle();
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
    const printing::SlipTexts texts = form->printTexts();
    EXPECT_EQ(texts.lines[0].kingaku, QStringLiteral("1,200"));
    expectPrintedAt(pdf, printing::KokuyoSlip(texts, slips::issuerFromSettings(m_dmib.get()))
                             .layout({kDpi, kDpi}, {0, 0}));
}

TEST_F(PrintTest, EnvelopeButtonAsksTheOptionsThenPrints)
{
    if (!testsupport::havePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = openForm(insertSlip(storedSlip()));
    QString caption;
    testsupport::whenModalShows<printing::TDlgFutoPrint>([&](printing::TDlgFutoPrint *dlg) {
        caption = dlg->Label1->text();
        QTest::mouseClick(dlg->BitBtn4, Qt::LeftButton);
    });
    QTest::mouseClick(form->BitBtn9, Qt::LeftButton);
    settle();
    EXPECT_EQ(caption, QStringLiteral("封筒"));
    ASSERT_TRUE(QFile::exists(pdf));
    const printing::Envelope envelope(form->printTexts(), printing::EnvelopeOptions{});
    // 長形4号 at 600 dpi, the whole sheet printable.
    QList<printing::PrintItem> items = envelope.layout({kDpi, kDpi}, {2126, 4843});
    // The seven postal-code digits read as one word: its start is the first digit's place.
    ASSERT_EQ(items[0].text, QStringLiteral("1"));
    items.remove(1, 6);
    expectPrintedAt(pdf, items);

    // Without a customer name nothing happens at all.
    QFile::remove(pdf);
    form->NAME1->clear();
    QTest::mouseClick(form->BitBtn9, Qt::LeftButton);
    settle();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintTest, UnwritablePdfIsReportedAndLeavesNothing)
{
    report::setPrinterFactory([this] {
        auto p = std::make_unique<report::PdfPrinter>(kDpi);
        p->setOutputFile(m_dir.file(QStringLiteral("missing/out.pdf")));
        return p;
    });
    auto form = openForm(insertSlip(storedSlip()));
    QTest::mouseClick(form->BitBtn14, Qt::LeftButton);
    settle();
    ASSERT_EQ(testsupport::reportedErrors().size(), 1);
    EXPECT_TRUE(testsupport::reportedErrors()[0].startsWith(QStringLiteral("PDFファイル")));
    EXPECT_FALSE(report::sharedPrinter().printing());
}

TEST_F(PrintTest, CommandLinePrintsAStoredSlip)
{
    if (!testsupport::havePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const int ano = insertSlip(storedSlip());
    m_dmib->IBDatabase1.disconnect(); // the program opens the file itself
    const auto run = [&](const QStringList &args, QString *err = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.file(QStringLiteral("cfg")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(
            QStringLiteral(ZD_PROGRAM),
            args + QStringList{QStringLiteral("--database"), m_dir.file(QStringLiteral("ZORIKA"))});
        p.waitForFinished(60000);
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QString slip = QString::number(ano);
    const QString kokuyo = m_dir.file(QStringLiteral("kokuyo.pdf"));
    QString err;
    ASSERT_EQ(run({"--print", "kokuyo", "--slip", slip, "--output", kokuyo}, &err), 0)
        << err.toStdString();
    const QList<PdfWord> words = testsupport::pdfWords(kokuyo);
    EXPECT_TRUE(std::any_of(words.begin(), words.end(), [](const PdfWord &w) {
        return w.text == QStringLiteral("株式会社テスト");
    }));

    const QString envelope = m_dir.file(QStringLiteral("envelope.pdf"));
    EXPECT_EQ(run({"--print", "envelope", "--slip", slip, "--output", envelope}), 0);
    EXPECT_TRUE(QFile::exists(envelope));

    // The A4 report: one page of exactly 210 × 148 mm with the slip's text on it.
    const QString a4 = m_dir.file(QStringLiteral("a4.pdf"));
    ASSERT_EQ(run({"--print", "a4", "--slip", slip, "--output", a4}, &err), 0) << err.toStdString();
    const QList<PdfWord> a4Words = testsupport::pdfWords(a4);
    EXPECT_TRUE(std::any_of(a4Words.begin(), a4Words.end(), [](const PdfWord &w) {
        return w.text.contains(QStringLiteral("株式会社テスト"));
    }));
    EXPECT_TRUE(
        std::all_of(a4Words.begin(), a4Words.end(), [](const PdfWord &w) { return w.page == 1; }));
    {
        QFile f(a4);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().contains("/MediaBox [0 0 " +
                                         QByteArray::number(210 / 25.4 * 72, 'f', 6) + ' ' +
                                         QByteArray::number(148 / 25.4 * 72, 'f', 6) + ']'));
    }

    struct Bad
    {
        QStringList args;
        const char *message;
    };
    const Bad bad[] = {
        {{"--print", "kokuyo", "--slip", "999", "--output", kokuyo}, "999"},
        {{"--print", "kokuyo", "--slip", slip, "--output", m_dir.file("missing/x.pdf")},
         "PDFファイル"},
        {{"--print", "a5", "--slip", slip, "--output", kokuyo}, "a5"},
    };
    for (const Bad &b : bad) {
        EXPECT_EQ(run(b.args, &err), 1) << b.args.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(b.message))) << err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(m_dir.file("missing")));
}

} // namespace
