// The standard preview window, driven as a user would: its opening state, zoom, paging, the
// go-to box, keys and wheel, search, save, load, print, printer setup and the clipboard.

#include <report/definition.h>
#include <report/emfpage.h>
#include <report/previewlogic.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwmessages.h>
#include <report/pwpagelist.h>
#include <report/pwprinter.h>
#include <report/pwreport.h>
#include <report/pwstandardpreview.h>
#include <report/searchdlg.h>
#include <testsupport/tempdir.h>
#include <testsupport/testprinter.h>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>

using namespace report;
using testsupport::TestPrinter;
using testsupport::TestPrinterSetup;

namespace {

// The sample slip report; with `records` above 0 its detail band prints once per record,
// each on a page of its own, and carries the record's number.
std::unique_ptr<TPWReport> sampleReport(int records = 0)
{
    auto report = loadDefinitionFile(QStringLiteral(REPORT_TEST_DATA "/sample.json"));
    report->control<TPWLabel>(QStringLiteral("TKNAME"))
        ->setCaption(QStringLiteral("株式会社ゾリカ商店　様"));
    report->control<TPWLabel>(QStringLiteral("TAITOL"))->setCaption(QStringLiteral("御 納 品 書"));
    report->control<TPWLabel>(QStringLiteral("HINMEI1"))->setCaption(QStringLiteral("Ballpoint"));
    report->ShowProgress = false;
    if (records > 0) {
        report->findBand(QStringLiteral("DetailBand1"))
            ->Size()
            .setNativeValue(TPWBandSize::HeightIndex, 1000);
        auto count = std::make_shared<int>(0);
        TPWLabel *item = report->control<TPWLabel>(QStringLiteral("HINMEI1"));
        report->OnNeedData = [count, records, item](TPWReport &, bool &more) {
            more = ++*count <= records;
            item->setCaption(QStringLiteral("Record %1").arg(*count));
        };
        // Every run starts with the first record again.
        report->findBand(QStringLiteral("ColumnHeaderBand1"))->BeforePrint = [count](TPWBand &,
                                                                                     bool &) {
            *count = 0;
        };
    }
    return report;
}

// What the engine tells the user, recorded instead of shown.
struct Boxes
{
    QStringList messages;
    QStringList errors;
    Boxes()
    {
        setEngineMessageHandler([this](QWidget *, const QString &t) { messages.append(t); });
        setEngineErrorHandler([this](QWidget *, const QString &t) { errors.append(t); });
    }
    ~Boxes()
    {
        setEngineMessageHandler({});
        setEngineErrorHandler({});
    }
};

// Runs `answer` on the next modal dialog that opens (from inside its event loop), then lets
// the test go on; a dialog that never comes fails the test instead of hanging it.
void onNextDialog(std::function<void(QWidget *)> answer)
{
    auto *poll = new QTimer;
    auto *waited = new QElapsedTimer;
    waited->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, waited, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && waited->elapsed() < 10000)
            return;
        poll->stop();
        poll->deleteLater();
        delete waited;
        if (!modal) {
            ADD_FAILURE() << "no dialog opened";
            return;
        }
        answer(modal);
        // An answer that did not close the dialog would hold the test for ever.
        QTimer::singleShot(5000, modal, [modal] {
            if (modal->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                if (auto *d = qobject_cast<QDialog *>(modal))
                    d->reject();
            }
        });
    });
    poll->start();
}

void typeInto(QWidget *box, const QString &text)
{
    box->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

// Types a file name into a file dialog, picks the file type and accepts.
void answerFileDialog(QWidget *dialog, const QString &name, int type = 0)
{
    auto *d = qobject_cast<QFileDialog *>(dialog);
    ASSERT_TRUE(d);
    if (auto *types = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        types->setCurrentIndex(type), d->selectNameFilter(types->itemText(type));
    auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(edit);
    // Set rather than typed: the name completer's pop-up would take the Return key.
    edit->setText(name);
    auto *buttons = d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    ASSERT_TRUE(buttons);
    QAbstractButton *accept = buttons->button(QDialogButtonBox::Save);
    if (!accept)
        accept = buttons->button(QDialogButtonBox::Open);
    ASSERT_TRUE(accept);
    QTest::mouseClick(accept, Qt::LeftButton);
}

class PreviewTest : public ::testing::Test
{
protected:
    void SetUp() override { m_printer = TestPrinter::install(); }

    TPWStandardPreview *open(TPWReport &report)
    {
        report.Prepare();
        auto *w = new TPWStandardPreview(report.printerObject());
        m_window = w;
        w->showInitialState();
        QTest::qWait(1);
        return w;
    }
    void TearDown() override
    {
        if (m_window) {
            m_window->ExitButton->setEnabled(true);
            m_window->close();
        }
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <class T = QWidget> T *child(const char *name)
    {
        T *w = m_window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(m_window->PWPreview, Qt::Key(k), m);
    }
    int page() const { return m_window->PWPreview->PageNumber(); }

    std::unique_ptr<TestPrinter::Installed> m_printer;
    QPointer<TPWStandardPreview> m_window;
    Boxes m_boxes;
};

} // namespace

TEST(PreviewLogic, GoToAnswers)
{
    const struct
    {
        const char *answer;
        int page;
    } cases[] = {{"2", 2},         {"  +3", 3}, {"3rd", 3}, {"0", 1},  {"5", 1},
                 {"-2", 1},        {"abc", 1},  {"", 1},    {" 2", 2}, {"99999999999999999999", 1},
                 {"2147483648", 1}};
    for (const auto &c : cases)
        EXPECT_EQ(goToPage(QString::fromLatin1(c.answer), 4), c.page) << c.answer;
}

TEST(PreviewLogic, ZoomFiguresAndSaveNames)
{
    EXPECT_EQ(pageImageSize(2100, 1480, 100), QSize(798, 563));
    EXPECT_EQ(zoomToFit(QSize(800, 600), QSize(794, 559)), 96);
    EXPECT_EQ(zoomToWidth(800, 794), 91);
    EXPECT_EQ(centredOffset(800, 401), 199);
    EXPECT_EQ(centredOffset(300, 401), 0);
    EXPECT_FALSE(zoomAccepted(1));
    EXPECT_FALSE(zoomAccepted(2001));
    EXPECT_TRUE(zoomAccepted(2) && zoomAccepted(2000));

    EXPECT_EQ(saveFileName(QStringLiteral("/tmp/slip"), SaveType::DefaultType),
              QStringLiteral("/tmp/slip.PWP"));
    EXPECT_EQ(saveFileName(QStringLiteral("/tmp/slip"), SaveType::Pdf),
              QStringLiteral("/tmp/slip.PDF"));
    EXPECT_EQ(saveExtension(QStringLiteral("/tmp/slip.pdf"), SaveType::ReportFile),
              QStringLiteral("PDF"));
    EXPECT_EQ(presetSaveName(QStringLiteral("御納品書_株式会社 A/B_2014-06-10"), QDate(2026, 1, 2)),
              QStringLiteral("御納品書_株式会社_A_B_2014-06-10"));
    EXPECT_EQ(presetSaveName(QString(), QDate(2026, 1, 2)), QStringLiteral("report_2026-01-02"));
    EXPECT_FALSE(presetSaveName(QStringLiteral("*"), QDate()).contains(QLatin1Char('*')));
}

TEST_F(PreviewTest, OpensMaximizedZoomedToFitOnPageOneWithEveryButtonReady)
{
    const auto report = sampleReport();
    TPWStandardPreview *w = open(*report);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Report Preview : "));
    EXPECT_TRUE(w->isMaximized());
    EXPECT_TRUE(w->ZoomFit->isChecked());
    EXPECT_EQ(w->PWPreview->zoomState(), TPWZoomState::pwZoomToFit);
    EXPECT_EQ(w->panelText(1), QStringLiteral("Page 1 of 1"));
    EXPECT_EQ(w->panelText(2), QString::number(w->PWPreview->Zoom()) + QLatin1Char('%'));
    EXPECT_EQ(page(), 1);
    ASSERT_TRUE(w->PWPreview->image()->page());
    for (const char *name : {"FirstPage", "PreviousPage", "nextPage", "LastPage", "GotoPageButton",
                             "FindButton", "copybutton", "PrintSetup", "Print", "LoadReport",
                             "SaveReport", "SpeedButton1", "ExitButton"})
        EXPECT_TRUE(child<QToolButton>(name)->isEnabled()) << name;
    EXPECT_FALSE(w->CancelButton->isEnabled());
    EXPECT_EQ(w->ThumbGrid->rowCount(), 1);
    EXPECT_EQ(w->ExitButton->text(), QStringLiteral("&Close"));
    EXPECT_EQ(w->PrintSetup->toolTip(), QStringLiteral("Printer setup"));
    // Every tool button carries a picture of its own.
    for (QToolButton *b : w->ToolBar1->findChildren<QToolButton *>())
        EXPECT_FALSE(b->icon().isNull()) << qPrintable(b->objectName());
}

TEST_F(PreviewTest, ZoomFitsTheControlKeepsItsLimitsAndCentresThePage)
{
    const auto report = sampleReport();
    report->Prepare();
    TPWPreview preview;
    preview.setPrinter(report->printerObject());
    const int frame = 2 * preview.frameWidth();
    preview.resize(800 + frame, 600 + frame);
    preview.show();
    ASSERT_EQ(preview.maximumViewportSize(), QSize(800, 600));
    preview.ZoomToFit();
    EXPECT_EQ(preview.Zoom(), 96);
    preview.ZoomToWidth();
    EXPECT_EQ(preview.Zoom(), 91);
    preview.setZoom(100);
    EXPECT_EQ(preview.image()->size(), QSize(798, 563));
    for (int bad : {1, 0, -5, 2001}) {
        preview.setZoom(bad);
        EXPECT_EQ(preview.Zoom(), 100) << bad;
    }
    preview.setZoom(2);
    EXPECT_EQ(preview.Zoom(), 2);
    preview.setZoom(2000);
    EXPECT_EQ(preview.Zoom(), 2000);

    // Every zoom change scrolls back to the top-left corner.
    preview.verticalScrollBar()->setValue(500);
    preview.horizontalScrollBar()->setValue(500);
    preview.setZoom(300);
    EXPECT_EQ(preview.verticalScrollBar()->value(), 0);
    EXPECT_EQ(preview.horizontalScrollBar()->value(), 0);

    // A page smaller than the control stands in its middle.
    preview.setZoom(50);
    QApplication::processEvents();
    const QSize image = preview.image()->size();
    EXPECT_EQ(preview.image()->pos(),
              QPoint(centredOffset(800, image.width()), centredOffset(600, image.height())));

    // Fitted, it fits again when the control changes its size.
    preview.ZoomToFit();
    preview.resize(400 + frame, 300 + frame);
    QApplication::processEvents();
    EXPECT_EQ(preview.Zoom(), zoomToFit(QSize(400, 300), QSize(794, 559)));
}

TEST_F(PreviewTest, ZoomMenuHasSixteenItemsAndSetsTheZoom)
{
    const auto report = sampleReport();
    TPWStandardPreview *w = open(*report);
    const QList<QAction *> items = w->Zoommenu->actions();
    ASSERT_EQ(items.size(), 16);
    for (QAction *item : items) {
        const int zoom = item->objectName().mid(1).toInt();
        EXPECT_EQ(item->text(), QString::number(zoom) + QLatin1Char('%'));
        EXPECT_EQ(item->isCheckable(), zoom != 130 && zoom != 160) << zoom;
    }
    w->findChild<QAction *>(QStringLiteral("N150"))->trigger();
    EXPECT_EQ(w->PWPreview->Zoom(), 150);
    EXPECT_EQ(w->panelText(2), QStringLiteral("150%"));
    EXPECT_TRUE(w->findChild<QAction *>(QStringLiteral("N150"))->isChecked());
    EXPECT_FALSE(w->ZoomFit->isChecked());
    QTest::mouseClick(w->Zoom100, Qt::LeftButton);
    EXPECT_EQ(w->PWPreview->Zoom(), 100);
    EXPECT_EQ(w->panelText(2), QStringLiteral("100%"));
}

TEST_F(PreviewTest, PagingStopsAtTheFirstAndLastPage)
{
    const auto report = sampleReport(3);
    TPWStandardPreview *w = open(*report);
    const int pages = report->printerObject()->PageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(w->ThumbGrid->rowCount(), pages);
    QTest::mouseClick(w->PreviousPage, Qt::LeftButton);
    EXPECT_EQ(page(), 1);
    QTest::mouseClick(w->nextPage, Qt::LeftButton);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(w->panelText(1), QStringLiteral("Page 2 of %1").arg(pages));
    EXPECT_EQ(w->ThumbGrid->currentRow(), 1);
    QTest::mouseClick(w->LastPage, Qt::LeftButton);
    EXPECT_EQ(page(), pages);
    QTest::mouseClick(w->nextPage, Qt::LeftButton);
    EXPECT_EQ(page(), pages);
    QTest::mouseClick(w->FirstPage, Qt::LeftButton);
    EXPECT_EQ(page(), 1);
    // A thumbnail shows its page.
    w->ThumbGrid->setCurrentCell(2, 0);
    EXPECT_EQ(page(), 3);
}

TEST_F(PreviewTest, GoToBoxSelectsThePageTypedOrPageOne)
{
    const auto report = sampleReport(3);
    TPWStandardPreview *w = open(*report);
    const int pages = report->printerObject()->PageCount();
    const struct
    {
        QString answer;
        int page;
    } cases[] = {{QStringLiteral("3"), 3},
                 {QStringLiteral("0"), 1},
                 {QString::number(pages + 1), 1},
                 {QStringLiteral("zwei"), 1},
                 {QStringLiteral("99999999999999999999"), 1},
                 {QStringLiteral(" 2"), 2}};
    for (const auto &c : cases) {
        QString caption, prompt, preset;
        onNextDialog([&](QWidget *d) {
            auto *box = qobject_cast<QInputDialog *>(d);
            ASSERT_TRUE(box);
            caption = box->windowTitle();
            prompt = box->labelText();
            preset = box->textValue();
            auto *edit = box->findChild<QLineEdit *>();
            edit->selectAll();
            QTest::keyClicks(edit, c.answer);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const int before = page();
        QTest::mouseClick(w->GotoPageButton, Qt::LeftButton);
        EXPECT_EQ(caption, QStringLiteral("Select a page from 1 to %1").arg(pages));
        EXPECT_EQ(prompt, QStringLiteral("Enter page number"));
        EXPECT_EQ(preset, QString::number(before));
        EXPECT_EQ(page(), c.page) << qPrintable(c.answer);
    }
    // Cancelled: the page stays.
    onNextDialog([](QWidget *d) { static_cast<QDialog *>(d)->reject(); });
    QTest::mouseClick(w->GotoPageButton, Qt::LeftButton);
    EXPECT_EQ(page(), 2);
}

TEST_F(PreviewTest, KeysAndWheelPageAndScroll)
{
    const auto report = sampleReport(3);
    TPWStandardPreview *w = open(*report);
    const int pages = report->printerObject()->PageCount();
    w->activateWindow();
    w->PWPreview->setFocus();
    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        int page;
    } table[] = {
        {Qt::Key_PageDown, Qt::NoModifier, 2},
        {Qt::Key_PageDown, Qt::ShiftModifier, 3},
        {Qt::Key_PageUp, Qt::NoModifier, 2},
        {Qt::Key_PageDown, Qt::ControlModifier, pages},
        {Qt::Key_PageUp, Qt::ShiftModifier, pages - 1}, // Shift: plain Page Up
        {Qt::Key_PageUp, Qt::ControlModifier, 1},
        {Qt::Key_End, Qt::NoModifier, pages},
        {Qt::Key_Home, Qt::NoModifier, 1},
        {Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier, 1},
    };
    for (const auto &k : table) {
        key(k.key, k.modifiers);
        EXPECT_EQ(page(), k.page) << k.key << " " << int(k.modifiers);
    }

    // Taller than the control: Down scrolls by 43 to the end, then goes on to the next page.
    QTest::mouseClick(w->Zoom100, Qt::LeftButton);
    w->findChild<QAction *>(QStringLiteral("N200"))->trigger();
    w->PWPreview->setFocus();
    QScrollBar *bar = w->PWPreview->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    key(Qt::Key_Down);
    EXPECT_EQ(bar->value(), 43);
    bar->setValue(bar->maximum());
    key(Qt::Key_Down);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(bar->value(), 0);
    // Up at the top goes back to the end of the previous page.
    key(Qt::Key_Up);
    EXPECT_EQ(page(), 1);
    EXPECT_EQ(bar->value(), bar->maximum() - 43);
    key(Qt::Key_Up);
    EXPECT_EQ(bar->value(), bar->maximum() - 86);

    // The wheel turned towards the user acts as Down, away as Up.
    bar->setValue(bar->maximum());
    QWheelEvent towards(QPointF(50, 50), w->PWPreview->viewport()->mapToGlobal(QPointF(50, 50)),
                        QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                        false);
    QApplication::sendEvent(w->PWPreview->viewport(), &towards);
    EXPECT_EQ(page(), 2);
    QWheelEvent away(QPointF(50, 50), w->PWPreview->viewport()->mapToGlobal(QPointF(50, 50)),
                     QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                     false);
    QApplication::sendEvent(w->PWPreview->image(), &away);
    EXPECT_EQ(page(), 1);

    // With the thumbnails in focus the preview leaves the keys alone: Down moves to the
    // next thumbnail instead of scrolling the page.
    QTest::mouseClick(w->FirstPage, Qt::LeftButton);
    w->ThumbGrid->setFocus();
    QTest::keyClick(w->ThumbGrid, Qt::Key_Down);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(PreviewTest, SearchListsThePagesThatHoldTheText)
{
    const auto report = sampleReport(3);
    TPWStandardPreview *w = open(*report);
    const auto search = [&](const QString &text, bool matchCase) {
        onNextDialog([&](QWidget *d) {
            auto *dlg = qobject_cast<TSearchDlg *>(d);
            ASSERT_TRUE(dlg);
            EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Search for Text"));
            typeInto(dlg->findChild<QLineEdit *>(QStringLiteral("Edit1")), text);
            dlg->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(matchCase);
            QTest::mouseClick(dlg->findChild<QPushButton *>(QStringLiteral("SpeedButton2")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(w->FindButton, Qt::LeftButton);
        QStringList lines;
        for (int i = 0; i < w->SearchResultBox->count(); ++i)
            lines.append(w->SearchResultBox->item(i)->text());
        return lines;
    };

    // A label's Japanese text: the title is on page 1 only.
    EXPECT_EQ(search(QStringLiteral("納 品"), false), QStringList({QStringLiteral("Page 1")}));
    EXPECT_EQ(w->SearchTextLabel->text(), QStringLiteral("納 品"));
    EXPECT_TRUE(w->SearchResultBox->isEnabled());
    // Upper-cased by the locale unless the case must match.
    EXPECT_EQ(search(QStringLiteral("record 3"), false), QStringList({QStringLiteral("Page 4")}));
    EXPECT_EQ(search(QStringLiteral("record 3"), true),
              QStringList({QStringLiteral("No matching text")}));
    EXPECT_FALSE(w->SearchResultBox->isEnabled());
    // Records on every page after the first.
    EXPECT_EQ(search(QStringLiteral("Record"), true).size(), 3);
    // A click on a line shows its page.
    QListWidgetItem *second = w->SearchResultBox->item(1);
    QTest::mouseClick(w->SearchResultBox->viewport(), Qt::LeftButton, {},
                      w->SearchResultBox->visualItemRect(second).center());
    EXPECT_EQ(page(), 3);
    // Text spanning two labels is found in neither.
    EXPECT_EQ(search(QStringLiteral("様御"), false),
              QStringList({QStringLiteral("No matching text")}));
    // A very long search text finds nothing and breaks nothing.
    EXPECT_EQ(search(QString(1000, QLatin1Char('x')), false),
              QStringList({QStringLiteral("No matching text")}));
    QTest::mouseClick(w->nextPage, Qt::LeftButton);
    EXPECT_EQ(page(), 4);
}

TEST_F(PreviewTest, SavesReportFilesAndPdfAndRefusesOtherTypes)
{
    testsupport::TempDir dir;
    const auto report = sampleReport();
    report->PreviewSaveName = QStringLiteral("御納品書_2014-06-10");
    TPWStandardPreview *w = open(*report);

    QString preset;
    QStringList filters;
    onNextDialog([&](QWidget *d) {
        auto *f = qobject_cast<QFileDialog *>(d);
        preset = f->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        filters = f->nameFilters();
        answerFileDialog(d, dir.file(QStringLiteral("slip")), 0);
    });
    QTest::mouseClick(w->SaveReport, Qt::LeftButton);
    EXPECT_EQ(preset, QStringLiteral("御納品書_2014-06-10"));
    EXPECT_EQ(filters.size(), 3);
    EXPECT_TRUE(filters.last().startsWith(QStringLiteral("PDF")));
    // No extension given: the first type's is added.
    ASSERT_TRUE(QFile::exists(dir.file(QStringLiteral("slip.PWP"))));
    TPWPageList saved;
    saved.LoadFromFile(dir.file(QStringLiteral("slip.PWP")));
    EXPECT_EQ(saved.PageCount(), 1);

    onNextDialog([&](QWidget *d) { answerFileDialog(d, dir.file(QStringLiteral("slip.pdf")), 0); });
    QTest::mouseClick(w->SaveReport, Qt::LeftButton);
    QFile pdf(dir.file(QStringLiteral("slip.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // The page is 210 x 148 mm: 595.28 x 419.53 points.
    if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf.fileName()});
        info.waitForFinished(30000);
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"));
        const auto m = size.match(out);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(out);
        EXPECT_NEAR(m.captured(1).toDouble(), 595.28, 0.1);
        EXPECT_NEAR(m.captured(2).toDouble(), 419.53, 0.1);
    }
    // Its text stays text, in fonts that travel with the file.
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf.fileName(), QStringLiteral("-")});
        text.waitForFinished(30000);
        EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput())
                        .contains(QStringLiteral("株式会社ゾリカ商店")));
        QProcess fonts;
        fonts.start(QStringLiteral("pdffonts"), {pdf.fileName()});
        fonts.waitForFinished(30000);
        const QStringList lines = QString::fromUtf8(fonts.readAllStandardOutput())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GT(lines.size(), 2);
        for (const QString &line : lines.mid(2))
            EXPECT_TRUE(line.contains(QStringLiteral(" yes "))) << qPrintable(line);
    }

    onNextDialog([&](QWidget *d) { answerFileDialog(d, dir.file(QStringLiteral("slip.xyz")), 0); });
    QTest::mouseClick(w->SaveReport, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("slip.xyz"))));
    ASSERT_EQ(m_boxes.messages.size(), 1);
    EXPECT_TRUE(m_boxes.messages.first().contains(QStringLiteral("XYZ")));
}

TEST_F(PreviewTest, LoadsAReportFileAndPrintsItsStoredPages)
{
    testsupport::TempDir dir;
    const QString name = dir.file(QStringLiteral("three.PWP"));
    {
        const auto other = sampleReport(2);
        other->Prepare();
        other->printerObject()->Save(name);
    }
    QFile junk(dir.file(QStringLiteral("junk.PWP")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a report at all");
    junk.close();

    const auto report = sampleReport();
    TPWStandardPreview *w = open(*report);
    const QByteArray shown = w->PWPreview->image()->page()->bytes();
    for (const QString &bad : {junk.fileName(), dir.file(QStringLiteral("missing.PWP"))}) {
        onNextDialog([&](QWidget *d) { answerFileDialog(d, bad); });
        QTest::mouseClick(w->LoadReport, Qt::LeftButton);
        EXPECT_EQ(w->PWPreview->image()->page()->bytes(), shown);
        EXPECT_FALSE(w->reportLoaded());
    }
    ASSERT_EQ(m_boxes.messages.size(), 2);
    EXPECT_TRUE(m_boxes.messages.at(0).contains(QStringLiteral("junk.PWP")));
    EXPECT_EQ(m_boxes.messages.at(1), QStringLiteral("File does not exist"));

    onNextDialog([&](QWidget *d) { answerFileDialog(d, name); });
    QTest::mouseClick(w->LoadReport, Qt::LeftButton);
    EXPECT_TRUE(w->reportLoaded());
    EXPECT_EQ(w->panelText(3), QStringLiteral("three.PWP"));
    EXPECT_EQ(w->panelText(1), QStringLiteral("Page 1 of 3"));
    EXPECT_EQ(w->ThumbGrid->rowCount(), 3);
    EXPECT_EQ(w->ThumbGrid->currentRow(), 0);
    // The recognised paper: A5 crosswise, 210 x 148 mm.
    EXPECT_EQ(report->Page().PaperSize(), TPWPaperSize::A5);
    EXPECT_EQ(report->Page().nativeValue(TPWPage::WidthIndex), 2100);

    // Print now prints the stored pages, not the report.
    int runs = 0;
    report->BeforePrint = [&](TPWReport &, bool &) {
        ++runs;
    };
    QTest::mouseClick(w->Print, Qt::LeftButton);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(TestPrinter::lastLog().sheets.size(), 3);
    EXPECT_TRUE(m_boxes.errors.isEmpty()) << qPrintable(m_boxes.errors.join(QLatin1Char('\n')));

    // A range beyond the file's pages prints nothing and says so.
    w->printer()->FirstPage = 4;
    QTest::mouseClick(w->Print, Qt::LeftButton);
    EXPECT_EQ(TestPrinter::lastLog().sheets.size(), 3);
    EXPECT_EQ(m_boxes.messages.last(),
              QStringLiteral("The chosen page range holds no page to print"));
}

TEST_F(PreviewTest, PrintRunsTheReportAgainAndClosingWaitsForIt)
{
    const auto report = sampleReport();
    TPWStandardPreview *w = open(*report);
    int runs = 0;
    bool closeEnabled = true;
    bool stillOpen = false;
    report->AfterPrint = [&](TPWReport &) {
        ++runs;
        closeEnabled = w->ExitButton->isEnabled();
        w->close(); // refused while printing
        stillOpen = w->isVisible();
    };
    QTest::mouseClick(w->Print, Qt::LeftButton);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(closeEnabled);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(w->ExitButton->isEnabled());
    EXPECT_EQ(TestPrinter::lastLog().sheets.size(), 1);
    EXPECT_EQ(TestPrinter::lastLog().jobsEnded, 1);
    // The preview keeps its own pages.
    EXPECT_EQ(w->printer()->PageCount(), 1);
    EXPECT_TRUE(report->Run.available);
}

TEST_F(PreviewTest, APrinterThatFailsMidJobLeavesThePreviewUsable)
{
    testsupport::TempDir dir;
    TestPrinterSetup failing;
    failing.failOnSheet = 2;
    failing.pdfFile = dir.file(QStringLiteral("job.pdf"));
    const auto report = sampleReport(2);
    TPWStandardPreview *w = open(*report);
    const auto installed = TestPrinter::install(failing);
    QTest::mouseClick(w->Print, Qt::LeftButton);
    ASSERT_EQ(m_boxes.errors.size(), 1);
    EXPECT_EQ(TestPrinter::lastLog().jobsAborted, 1);
    EXPECT_FALSE(QFile::exists(failing.pdfFile));
    EXPECT_TRUE(w->ExitButton->isEnabled());
    EXPECT_TRUE(report->Run.available);
    QTest::mouseClick(w->LastPage, Qt::LeftButton);
    EXPECT_EQ(page(), w->printer()->PageCount());
    // No printer at all: nothing is printed and the user is told.
    report::setPrinterFactory({});
    QTest::mouseClick(w->Print, Qt::LeftButton);
    ASSERT_EQ(m_boxes.messages.size(), 1);
    EXPECT_EQ(m_boxes.messages.first(), QStringLiteral("No printer is installed"));
}

TEST_F(PreviewTest, PrinterSetupChoicesGoToThePrinterObjectAndTheReport)
{
    TestPrinterSetup setup;
    setup.dialogChoice = [](PrintDialogChoice &c) {
        c.copies = 2;
        c.range = PrintDialogChoice::PageRange;
        c.fromPage = 2;
        c.toPage = 3;
        c.settings.duplex = 2;
        c.settings.collate = 1;
        c.settings.defaultSource = 4;
        c.printerIndex = 0; // another printer than the default one
    };
    m_printer.reset();
    m_printer = TestPrinter::install(setup);
    const auto report = sampleReport(3);
    TPWStandardPreview *w = open(*report);
    const QSize image = w->PWPreview->image()->size();
    QTest::mouseClick(w->PrintSetup, Qt::LeftButton);
    ASSERT_EQ(TestPrinter::lastLog().dialogs.size(), 1);
    // The pages shown keep their paper whatever printer was chosen.
    EXPECT_EQ(w->printer()->paperLength(), 1480);
    EXPECT_EQ(w->PWPreview->image()->size(), image);
    EXPECT_EQ(report->PrinterSettings().PrinterIndex, 0);
    const PrintDialogChoice &asked = TestPrinter::lastLog().dialogs.first();
    EXPECT_EQ(asked.minPage, 1);
    EXPECT_EQ(asked.maxPage, w->printer()->PageCount());
    EXPECT_EQ(w->printer()->FirstPage, 2);
    EXPECT_EQ(w->printer()->LastPage, 3);
    const TPWReportPrinterSettings &s = report->PrinterSettings();
    EXPECT_EQ(s.Copies, 2);
    EXPECT_EQ(s.FirstPage, 2);
    EXPECT_EQ(s.LastPage, 3);
    EXPECT_TRUE(s.Duplex);
    EXPECT_EQ(s.OutputBin, TPWBin::Manual);
    // The next Print uses them: two of the pages, two copies, two-sided.
    QTest::mouseClick(w->Print, Qt::LeftButton);
    const testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    EXPECT_EQ(log.sheets.size(), 2);
    ASSERT_FALSE(log.applied.isEmpty());
    EXPECT_EQ(log.applied.last().copies, 2);
    EXPECT_EQ(log.applied.last().duplex, 2);
    EXPECT_EQ(log.applied.last().collate, 1);
}

TEST_F(PreviewTest, CopyPutsThePageOnTheClipboardAsImageAndMetafile)
{
    const auto report = sampleReport();
    TPWStandardPreview *w = open(*report);
    QTest::mouseClick(w->copybutton, Qt::LeftButton);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), QSize(794, 559));
    EXPECT_EQ(data->data(QStringLiteral("image/x-emf")), w->PWPreview->image()->page()->bytes());
}

TEST_F(PreviewTest, AnEmptyReportBreaksNothing)
{
    const auto report = sampleReport();
    report->BeforePrint = [](TPWReport &, bool &print) {
        print = false;
    };
    TPWStandardPreview *w = open(*report);
    EXPECT_EQ(w->printer()->PageCount(), 0);
    for (QToolButton *b : {w->FirstPage, w->nextPage, w->LastPage, w->PreviousPage, w->copybutton,
                           w->ZoomFit, w->ZoomToWidth, w->Zoom100})
        QTest::mouseClick(b, Qt::LeftButton);
    for (int k : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home})
        key(k);
    EXPECT_EQ(w->panelText(1), QStringLiteral("Page 0 of 0"));
    EXPECT_TRUE(m_boxes.errors.isEmpty());
    // Closing works.
    w->close();
    QApplication::processEvents();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(PreviewTest, PreviewCallsReturnOnceTheWindowClosesAndDiscardThePages)
{
    for (const bool modal : {true, false}) {
        SCOPED_TRACE(modal ? "PreviewModal" : "Preview");
        const auto report = sampleReport();
        int afterPreview = 0;
        report->AfterPreview = [&](TPWReport &) {
            ++afterPreview;
        };
        QPointer<TPWPrinter> printer;
        bool wasModal = false;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *w = qobject_cast<TPWStandardPreview *>(top);
                if (!w || !w->isVisible())
                    continue;
                poll.stop();
                printer = w->printer();
                wasModal = w->isModal();
                QTest::keyClick(w->PWPreview, Qt::Key_Escape);
            }
        });
        poll.start();
        if (modal)
            report->PreviewModal();
        else
            report->Preview();
        EXPECT_EQ(wasModal, modal);
        EXPECT_EQ(afterPreview, 2); // after generating, and when the preview closed
        EXPECT_EQ(report->printerObject(), nullptr);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(printer.isNull());
    }
}
