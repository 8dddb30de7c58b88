#include <shell/printcommand.h>

#include <shell/startup.h>

#include <printing/envelope.h>
#include <printing/kokuyo.h>
#include <printing/pwdenpyo.h>
#include <report/fonts.h>
#include <report/pdfprinter.h>
#include <slips/slipprint.h>
#include <store/dmib.h>
#include <ui/zdapplication.h>

#include <QDir>
#include <QTextStream>

namespace shell {

QStringList printKinds()
{
    return {QStringLiteral("kokuyo"), QStringLiteral("envelope"), QStringLiteral("a4")};
}

int runPrintCommand(const StartupOptions &opts, int &argc, char **argv)
{
    QTextStream err(stderr);
    if (!printKinds().contains(opts.printKind)) {
        err << QStringLiteral("印刷の種類 \"%1\" はありません（%2 のいずれか）\n")
                   .arg(opts.printKind, printKinds().join(QStringLiteral(", ")));
        return 1;
    }
    // Nothing is shown: the windows that build the slip's texts need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::ZdApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("ZorikaDesk"));
    // Errors are written out, never shown in a box.
    ui::ZdApplication::setErrorHandler([&err](const QString &m) { err << m << '\n'; });
    ui::ZdApplication::setMessageHandler([&err](const QString &m) { err << m << '\n'; });
    report::installFontSubstitutions();

    const QString database = opts.database.isEmpty() ? store::defaultDatabasePath() : opts.database;
    store::TDMIB dm(store::SettingsStore(), store::ConnectionParams::withEnvironment(database));
    store::DMIB = &dm;
    struct Reset
    {
        ~Reset() { store::DMIB = nullptr; }
    } reset;
    try {
        const int ano = opts.slip.toInt();
        const std::optional<printing::SlipTexts> slip = slips::loadStoredSlip(ano);
        dm.IBDatabase1.disconnect();
        if (!slip) {
            err << QStringLiteral("伝票番号 %1 の伝票はありません\n").arg(ano);
            return 1;
        }
        report::PdfPrinter pdf;
        pdf.setOutputFile(QDir::current().absoluteFilePath(opts.output));
        bool printed = false;
        if (opts.printKind == QStringLiteral("kokuyo")) {
            printed =
                printing::KokuyoSlip(*slip, slips::issuerFromSettings(&dm)).print(pdf, nullptr);
        } else if (opts.printKind == QStringLiteral("a4")) {
            // As the preview's Print makes it: the report run onto the printer, one page.
            printed = printing::printA4(*slip, slips::issuerFromSettings(&dm), pdf);
        } else {
            if (slip->name.isEmpty() || slip->addr1.isEmpty()) {
                err << QStringLiteral("伝票番号 %1 には宛名（お客様名と住所１）がありません\n")
                           .arg(ano);
                return 1;
            }
            printed = printing::Envelope(*slip, printing::EnvelopeOptions{}).print(pdf, nullptr);
        }
        if (!printed)
            return 1;
        QTextStream(stdout) << pdf.writtenFile() << '\n';
        return 0;
    } catch (const std::exception &e) {
        dm.IBDatabase1.disconnect();
        err << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
}

} // namespace shell
