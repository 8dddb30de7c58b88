#include <testsupport/testprinter.h>

#include <QFile>
#include <QPageLayout>
#include <QPageSize>

#include <cmath>

namespace testsupport {

TestPrinter::TestPrinter(TestPrinterSetup setup)
    : m_setup(std::move(setup))
    , m_paperMm(m_setup.paperMm)
    , m_current(m_setup.driver)
{
    m_log->paperMm = m_paperMm;
}

TestPrinter::~TestPrinter()
{
    made().removeAll(this);
}

QList<TestPrinter *> &TestPrinter::made()
{
    static QList<TestPrinter *> list;
    return list;
}

TestPrinter *TestPrinter::last()
{
    return made().isEmpty() ? nullptr : made().last();
}

QList<std::shared_ptr<TestPrinterLog>> &TestPrinter::logs()
{
    static QList<std::shared_ptr<TestPrinterLog>> list;
    return list;
}

TestPrinterLog &TestPrinter::lastLog()
{
    static TestPrinterLog none;
    return logs().isEmpty() ? none : *logs().last();
}

TestPrinter::Installed::~Installed()
{
    report::setPrinterFactory({});
    made().clear();
    logs().clear();
}

std::unique_ptr<TestPrinter::Installed> TestPrinter::install(TestPrinterSetup setup)
{
    made().clear();
    logs().clear();
    report::setPrinterFactory([setup] {
        auto p = std::make_unique<TestPrinter>(setup);
        made().append(p.get());
        logs().append(p->m_log);
        return p;
    });
    return std::make_unique<Installed>();
}

bool TestPrinter::printDialog(QWidget *, report::PrintDialogChoice &choice)
{
    m_log->dialogs.append(choice);
    if (!m_setup.dialogAccepts)
        return false;
    if (m_setup.dialogChoice)
        m_setup.dialogChoice(choice);
    return true;
}

report::DeviceSettings TestPrinter::settings() const
{
    // Only the fields the driver carries are reported.
    report::DeviceSettings s;
    const report::DeviceSettings &d = m_setup.driver;
    if (d.paperCode)
        s.paperCode = m_current.paperCode;
    if (d.paperWidth)
        s.paperWidth = m_current.paperWidth;
    if (d.paperLength)
        s.paperLength = m_current.paperLength;
    if (d.orientation)
        s.orientation = m_current.orientation;
    if (d.copies)
        s.copies = m_current.copies;
    if (d.duplex)
        s.duplex = m_current.duplex;
    if (d.defaultSource)
        s.defaultSource = m_current.defaultSource;
    if (d.collate)
        s.collate = m_current.collate;
    if (d.printQuality)
        s.printQuality = m_current.printQuality;
    if (d.color)
        s.color = m_current.color;
    return s;
}

void TestPrinter::applySettings(const report::DeviceSettings &s)
{
    m_log->applied.append(s);
    const auto take = [](std::optional<int> &field, const std::optional<int> &value) {
        if (value)
            field = value;
    };
    take(m_current.paperCode, s.paperCode);
    take(m_current.paperWidth, s.paperWidth);
    take(m_current.paperLength, s.paperLength);
    take(m_current.orientation, s.orientation);
    take(m_current.copies, s.copies);
    take(m_current.duplex, s.duplex);
    take(m_current.defaultSource, s.defaultSource);
    take(m_current.collate, s.collate);
    take(m_current.printQuality, s.printQuality);
    take(m_current.color, s.color);
    // A printer with user-defined paper takes the size it is given, upright.
    if (m_setup.customPaper && s.paperWidth && s.paperLength && *s.paperWidth > 0 &&
        *s.paperLength > 0)
        m_paperMm = QSizeF(*s.paperWidth / 10.0, *s.paperLength / 10.0);
    m_log->paperMm = m_paperMm;
}

QSize TestPrinter::paperDots() const
{
    QSizeF mm = m_paperMm;
    if (m_current.orientation.value_or(1) == 2)
        mm.transpose();
    return QSize(int(std::lround(mm.width() / 25.4 * m_setup.dpi)),
                 int(std::lround(mm.height() / 25.4 * m_setup.dpi)));
}

QSize TestPrinter::pageDots() const
{
    const QSize paper = paperDots();
    return QSize(paper.width() - 2 * m_setup.offset.x(), paper.height() - 2 * m_setup.offset.y());
}

void TestPrinter::checkFailure()
{
    if (m_setup.failOnSheet > 0 && m_sheet == m_setup.failOnSheet)
        throw report::PrinterError("プリンターでエラーが発生しました");
}

void TestPrinter::startSheet()
{
    ++m_sheet;
    if (m_setup.record) {
        m_canvas = std::make_unique<report::EmfCanvas>(pageDots(), QSize(m_setup.dpi, m_setup.dpi));
    } else if (!m_pdf) {
        m_image = report::makePageImage(pageDots(), m_setup.dpi);
        m_painter = std::make_unique<QPainter>(&m_image);
        m_canvas = std::make_unique<report::PainterCanvas>(m_painter.get());
    }
    checkFailure();
}

void TestPrinter::finishSheet()
{
    if (m_setup.record) {
        m_log->recorded.append(static_cast<report::EmfCanvas &>(*m_canvas).bytes());
        m_canvas.reset();
        return;
    }
    if (m_pdf)
        return;
    m_canvas.reset();
    m_painter.reset();
    m_log->sheets.append(m_image);
}

void TestPrinter::beginDoc(const QString &title)
{
    if (m_printing)
        throw report::PrinterError("印刷中です");
    m_log->titles.append(title);
    m_sheet = 0;
    if (!m_setup.pdfFile.isEmpty()) {
        m_pdf = std::make_unique<QPdfWriter>(m_setup.pdfFile);
        m_pdf->setResolution(m_setup.dpi);
        QSizeF mm = m_paperMm;
        if (m_current.orientation.value_or(1) == 2)
            mm.transpose();
        m_pdf->setPageLayout(QPageLayout(QPageSize(mm, QPageSize::Millimeter),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        m_painter = std::make_unique<QPainter>(m_pdf.get());
        // The printable area starts at the offset, as on paper.
        m_painter->translate(m_setup.offset);
        m_canvas = std::make_unique<report::PainterCanvas>(m_painter.get(),
                                                           QSize(m_setup.dpi, m_setup.dpi));
    }
    m_printing = true;
    startSheet();
}

void TestPrinter::newPage()
{
    if (!m_printing)
        return;
    finishSheet();
    if (m_pdf)
        m_pdf->newPage();
    startSheet();
}

void TestPrinter::endDoc()
{
    if (!m_printing)
        return;
    finishSheet();
    m_canvas.reset();
    m_painter.reset();
    m_pdf.reset();
    m_printing = false;
    ++m_log->jobsEnded;
}

void TestPrinter::abortDoc()
{
    if (!m_printing)
        return;
    m_canvas.reset();
    m_painter.reset();
    m_pdf.reset();
    m_image = QImage();
    m_printing = false;
    ++m_log->jobsAborted;
    if (!m_setup.pdfFile.isEmpty())
        QFile::remove(m_setup.pdfFile); // nothing half-made stays behind
}

} // namespace testsupport
