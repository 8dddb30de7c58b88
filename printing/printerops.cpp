#include <printing/printerops.h>

#include <report/printerdevice.h>

#include <QHash>

#include <cmath>

namespace printing {

std::optional<QSizeF> japanesePaperSize(const QString &name)
{
    // Drivers name these sizes in many ways ("Env Chou4", "JEnv Chou #4", "長形 4 号");
    // their size is what they share.
    static const QHash<QString, QSizeF> table = {
        {QStringLiteral("長形3号"), {120, 235}},    {QStringLiteral("長形4号"), {90, 205}},
        {QStringLiteral("長形40号"), {90, 225}},    {QStringLiteral("角形2号"), {240, 332}},
        {QStringLiteral("角形3号"), {216, 277}},    {QStringLiteral("角形4号"), {197, 267}},
        {QStringLiteral("洋形2号"), {114, 162}},    {QStringLiteral("洋形4号"), {105, 235}},
        {QStringLiteral("洋長形3号"), {120, 235}},  {QStringLiteral("はがき"), {100, 148}},
        {QStringLiteral("往復はがき"), {200, 148}}, {QStringLiteral("B4"), {257, 364}},
        {QStringLiteral("B5"), {182, 257}},         {QStringLiteral("B6"), {128, 182}},
        {QStringLiteral("B4 (JIS)"), {257, 364}},   {QStringLiteral("B5 (JIS)"), {182, 257}},
        {QStringLiteral("B6 (JIS)"), {128, 182}},
    };
    const auto it = table.constFind(name);
    if (it == table.cend())
        return std::nullopt;
    return *it;
}

bool SetPaper(report::PrinterDevice &printer, const QString &paperName)
{
    printer.resetToDefaults();
    const QList<report::DevicePaper> papers = printer.papers();
    const report::DevicePaper *found = nullptr;
    for (const report::DevicePaper &p : papers) {
        if (p.name == paperName) {
            found = &p;
            break;
        }
    }
    if (!found) {
        if (const std::optional<QSizeF> size = japanesePaperSize(paperName)) {
            for (const report::DevicePaper &p : papers) {
                const QSizeF s = p.sizeMm;
                if (std::abs(s.width() - size->width()) <= 1.0 &&
                    std::abs(s.height() - size->height()) <= 1.0) {
                    found = &p;
                    break;
                }
            }
        }
    }
    if (!found)
        return false;
    report::DeviceSettings settings;
    settings.paperCode = found->code;
    printer.applySettings(settings);
    return true;
}

} // namespace printing
