#pragma once

#include <report/printerdevice.h>

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace report {

/// The user declined to give a file name when the job was to begin: nothing was printed and
/// nothing is to be reported.
class PrintCancelled : public std::runtime_error
{
public:
    PrintCancelled();
};

/// A printer that prints into a PDF file. Its papers are the usual office sizes and the
/// Japanese postcards and envelopes, plus paper of a size the user defines (code 256); the
/// whole sheet is printable (no physical offset) at one fixed resolution.
///
/// The output file is written aside and only put in place by endDoc(), so a failed or
/// aborted job leaves an earlier file of that name as it was and no partial file behind.
class PdfPrinter final : public PrinterDevice
{
public:
    /// Paper code of a user-defined size (DMPAPER_USER).
    static constexpr int kUserPaper = 256;

    explicit PdfPrinter(int dpi = 600);
    ~PdfPrinter() override;
    PdfPrinter(const PdfPrinter &) = delete;
    PdfPrinter &operator=(const PdfPrinter &) = delete;

    /// The name this printer has in a printer list.
    static QString deviceName();
    /// Every paper the PDF printer offers, in its order (user-defined paper last).
    static const QList<DevicePaper> &paperTable();

    /// Dots per inch on both axes (the painter's resolution in the file).
    void setResolution(int dpi);
    /// The file the next job writes; empty: asked through the file-name request.
    void setOutputFile(const QString &path) { m_outputFile = path; }
    QString outputFile() const { return m_outputFile; }
    /// Asked at beginDoc when no output file is set, with the job's title; an empty answer
    /// cancels the job (beginDoc throws PrintCancelled).
    using FileNameRequest = std::function<QString(const QString &title)>;
    void setFileNameRequest(FileNameRequest request) { m_request = std::move(request); }
    /// The file the last finished job wrote.
    QString writtenFile() const { return m_written; }

    QStringList printers() const override;
    int printerIndex() const override { return m_index; }
    void setPrinterIndex(int index) override;
    QString printerName() const override { return deviceName(); }
    bool offersCustomPaper() const override { return true; }

    /// There is nothing to choose for a file: both dialogs confirm at once.
    bool setupDialog(QWidget *parent) override;
    bool printDialog(QWidget *parent, PrintDialogChoice &choice) override;

    DeviceSettings settings() const override;
    void applySettings(const DeviceSettings &settings) override;
    void resetToDefaults() override;
    QList<DevicePaper> papers() const override { return paperTable(); }

    QSize dotsPerInch() const override { return {m_dpi, m_dpi}; }
    QPoint physicalOffset() const override { return {}; }
    QSize paperDots() const override;
    QSize pageDots() const override { return paperDots(); }

    void beginDoc(const QString &title) override;
    void newPage() override;
    void endDoc() override;
    void abortDoc() override;
    bool printing() const override { return m_job != nullptr; }
    Canvas *canvas() override;

private:
    struct Job;
    /// The sheet as it lies in the printer, in millimetres.
    QSizeF sheetMm() const;

    int m_dpi;
    int m_index = -1;
    int m_paperCode;
    QSizeF m_paperMm; // portrait
    bool m_landscape = false;
    QString m_outputFile;
    QString m_written;
    FileNameRequest m_request;
    std::unique_ptr<Job> m_job;
};

} // namespace report
