#include <report/printerdevice.h>

namespace report {

namespace {

// No printer installed: every query answers as for an empty printer list, and a job cannot
// begin.
class NoPrinter final : public PrinterDevice
{
public:
    QStringList printers() const override { return {}; }
    int printerIndex() const override { return -1; }
    void setPrinterIndex(int) override {}
    QString printerName() const override { return {}; }
    bool offersCustomPaper() const override { return false; }
    bool setupDialog(QWidget *) override { return false; }
    bool printDialog(QWidget *, PrintDialogChoice &) override { return false; }
    DeviceSettings settings() const override { return {}; }
    void applySettings(const DeviceSettings &) override {}
    void resetToDefaults() override {}
    QList<DevicePaper> papers() const override { return {}; }
    QSize dotsPerInch() const override { return {96, 96}; }
    QPoint physicalOffset() const override { return {}; }
    QSize paperDots() const override { return {}; }
    QSize pageDots() const override { return {}; }
    void beginDoc(const QString &) override
    {
        throw PrinterError("プリンターがインストールされていません");
    }
    void newPage() override {}
    void endDoc() override {}
    void abortDoc() override {}
    bool printing() const override { return false; }
    Canvas *canvas() override { return nullptr; }
};

PrinterFactory &factory()
{
    static PrinterFactory f;
    return f;
}

std::unique_ptr<PrinterDevice> &shared()
{
    static std::unique_ptr<PrinterDevice> p;
    return p;
}

} // namespace

void setPrinterFactory(PrinterFactory f)
{
    factory() = std::move(f);
    shared().reset();
}

std::unique_ptr<PrinterDevice> makePrinter()
{
    if (factory())
        if (std::unique_ptr<PrinterDevice> p = factory()())
            return p;
    return std::make_unique<NoPrinter>();
}

PrinterDevice &sharedPrinter()
{
    if (!shared())
        shared() = makePrinter();
    return *shared();
}

} // namespace report
