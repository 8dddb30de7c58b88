#include <report/pdfprinter.h>

#include <report/pagepaint.h>

#include <report/paintercanvas.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace report {

namespace {

constexpr int kA4 = 9;

int mmToDots(double mm, int dpi)
{
    return int(std::nearbyint(mm * dpi / 25.4));
}

const DevicePaper *findPaper(int code)
{
    for (const DevicePaper &p : PdfPrinter::paperTable())
        if (p.code == code)
            return &p;
    return nullptr;
}

QString fileText(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

PrintCancelled::PrintCancelled()
    : std::runtime_error("印刷を取り消しました")
{}

// One open job: the file written aside, the writer on it, the painter and the canvas. The
// members are destroyed in reverse order, so the canvas and the painter go before the writer
// and the file.
struct PdfPrinter::Job
{
    QSaveFile file;
    QBuffer pages; ///< the document as the writer makes it, before its boxes are made exact
    QSizeF paperPoints;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    std::unique_ptr<PainterCanvas> canvas;

    explicit Job(const QString &path)
        : file(path)
    {}
    ~Job()
    {
        canvas.reset();
        if (painter.isActive())
            painter.end();
        // A job that was not committed leaves no file: QSaveFile removes its temporary one.
        if (file.isOpen())
            file.cancelWriting();
    }
};

PdfPrinter::PdfPrinter(int dpi)
    : m_dpi(dpi > 0 ? dpi : 600)
{
    resetToDefaults();
}

PdfPrinter::~PdfPrinter() = default;

QString PdfPrinter::deviceName()
{
    return QStringLiteral("PDF");
}

const QList<DevicePaper> &PdfPrinter::paperTable()
{
    // Windows paper codes where the size has one, so that settings read from here mean the
    // same as those of a printer driver.
    static const QList<DevicePaper> table = {
        {9, QStringLiteral("A4"), {210, 297}},
        {8, QStringLiteral("A3"), {297, 420}},
        {11, QStringLiteral("A5"), {148, 210}},
        {70, QStringLiteral("A6"), {105, 148}},
        {12, QStringLiteral("B4 (JIS)"), {257, 364}},
        {13, QStringLiteral("B5 (JIS)"), {182, 257}},
        {88, QStringLiteral("B6 (JIS)"), {128, 182}},
        {1, QStringLiteral("Letter"), {215.9, 279.4}},
        {5, QStringLiteral("Legal"), {215.9, 355.6}},
        {43, QStringLiteral("はがき"), {100, 148}},
        {69, QStringLiteral("往復はがき"), {200, 148}},
        {71, QStringLiteral("角形2号"), {240, 332}},
        {72, QStringLiteral("角形3号"), {216, 277}},
        {73, QStringLiteral("長形3号"), {120, 235}},
        {74, QStringLiteral("長形4号"), {90, 205}},
        {91, QStringLiteral("洋形4号"), {105, 235}},
        {kUserPaper, QStringLiteral("ユーザー定義サイズ"), {}},
    };
    return table;
}

void PdfPrinter::setResolution(int dpi)
{
    if (dpi > 0)
        m_dpi = dpi;
}

QStringList PdfPrinter::printers() const
{
    return {deviceName()};
}

void PdfPrinter::setPrinterIndex(int index)
{
    m_index = index == 0 ? 0 : -1;
}

bool PdfPrinter::setupDialog(QWidget *)
{
    return true;
}

bool PdfPrinter::printDialog(QWidget *, PrintDialogChoice &choice)
{
    choice.printerIndex = m_index;
    choice.orientation = m_landscape ? 2 : 1;
    choice.copies = 1;
    choice.settings = settings();
    return true;
}

DeviceSettings PdfPrinter::settings() const
{
    DeviceSettings s;
    s.paperCode = m_paperCode;
    s.paperWidth = int(std::nearbyint(m_paperMm.width() * 10));
    s.paperLength = int(std::nearbyint(m_paperMm.height() * 10));
    s.orientation = m_landscape ? 2 : 1;
    return s;
}

void PdfPrinter::applySettings(const DeviceSettings &s)
{
    if (s.paperCode && *s.paperCode != kUserPaper) {
        if (const DevicePaper *p = findPaper(*s.paperCode)) {
            m_paperCode = p->code;
            m_paperMm = p->sizeMm;
        }
    } else if (s.paperCode || (s.paperWidth && s.paperLength)) {
        // User-defined paper: the given width and length, else the current sheet's size.
        const double w = s.paperWidth ? *s.paperWidth / 10.0 : m_paperMm.width();
        const double l = s.paperLength ? *s.paperLength / 10.0 : m_paperMm.height();
        if (w > 0 && l > 0 && std::isfinite(w) && std::isfinite(l)) {
            m_paperCode = kUserPaper;
            m_paperMm = QSizeF(w, l);
        }
    }
    if (s.orientation)
        m_landscape = *s.orientation == 2;
}

void PdfPrinter::resetToDefaults()
{
    m_paperCode = kA4;
    m_paperMm = findPaper(kA4)->sizeMm;
    m_landscape = false;
}

QSizeF PdfPrinter::sheetMm() const
{
    return m_landscape ? m_paperMm.transposed() : m_paperMm;
}

QSize PdfPrinter::paperDots() const
{
    const QSizeF mm = sheetMm();
    return {mmToDots(mm.width(), m_dpi), mmToDots(mm.height(), m_dpi)};
}

void PdfPrinter::beginDoc(const QString &title)
{
    if (m_job)
        throw PrinterError("前の印刷がまだ終わっていません");
    QString path = m_outputFile;
    if (path.isEmpty() && m_request)
        path = m_request(title);
    if (path.isEmpty())
        throw PrintCancelled();

    auto job = std::make_unique<Job>(path);
    if (QFileInfo(path).isDir() || !job->file.open(QIODevice::WriteOnly))
        throw PrinterError(
            QStringLiteral("PDFファイル「%1」に書き込めません").arg(fileText(path)).toStdString());
    job->pages.open(QIODevice::WriteOnly);
    job->writer = std::make_unique<QPdfWriter>(&job->pages);
    job->writer->setResolution(m_dpi);
    job->writer->setTitle(title);
    job->writer->setCreator(QStringLiteral("ZorikaDesk"));
    const QPageSize size(m_paperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const QSizeF mm = m_landscape ? m_paperMm.transposed() : m_paperMm;
    job->paperPoints = mm / 25.4 * 72.0;
    job->writer->setPageLayout(
        QPageLayout(size, m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    if (!job->painter.begin(job->writer.get()))
        throw PrinterError(QStringLiteral("PDFファイル「%1」への印刷を始められません")
                               .arg(fileText(path))
                               .toStdString());
    job->canvas = std::make_unique<PainterCanvas>(&job->painter, QSize(m_dpi, m_dpi));
    m_job = std::move(job);
}

void PdfPrinter::newPage()
{
    if (!m_job)
        return;
    if (!m_job->writer->newPage())
        throw PrinterError("PDFファイルに新しいページを追加できません");
}

void PdfPrinter::endDoc()
{
    if (!m_job)
        return;
    // The job is closed whatever happens below: a failure leaves no file and no open job.
    std::unique_ptr<Job> job = std::move(m_job);
    job->canvas.reset();
    job->painter.end();
    job->writer.reset();
    QByteArray pdf = job->pages.data();
    exactPdfPageBoxes(pdf, job->paperPoints);
    const QString path = job->file.fileName();
    if (job->file.write(pdf) != pdf.size() || !job->file.commit())
        throw PrinterError(QStringLiteral("PDFファイル「%1」を保存できませんでした")
                               .arg(fileText(path))
                               .toStdString());
    m_written = path;
}

void PdfPrinter::abortDoc()
{
    m_job.reset();
}

Canvas *PdfPrinter::canvas()
{
    return m_job ? m_job->canvas.get() : nullptr;
}

} // namespace report
