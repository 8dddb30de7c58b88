#include <report/previewlogic.h>

#include <report/pwsize.h>

#include <QDate>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace report {

namespace {

constexpr double ScreenFactor = double(ScreenPixelsPerInch) / 254.0;

} // namespace

int screenPixels(double tenths, int zoom)
{
    return roundEven(tenths * zoom / 100.0 * ScreenFactor);
}

QSize pageImageSize(double paperWidth, double paperLength, int zoom)
{
    return QSize(screenPixels(paperWidth, zoom) + 4, screenPixels(paperLength, zoom) + 4);
}

int zoomToFit(QSize control, QSize page100)
{
    if (page100.width() <= 0 || page100.height() <= 0)
        return 100;
    const int byWidth = roundEven(double(control.width()) / page100.width() * 95.0);
    const int byLength = roundEven(double(control.height()) / page100.height() * 95.0);
    return std::clamp(std::min(byWidth, byLength), MinZoom, MaxZoom);
}

int zoomToWidth(int controlWidth, int pageWidth100)
{
    if (pageWidth100 <= 0)
        return 100;
    return std::clamp(roundEven(double(controlWidth) / pageWidth100 * 90.0), MinZoom, MaxZoom);
}

int centredOffset(int control, int image)
{
    return image < control ? (control - image) / 2 : 0;
}

int goToPage(const QString &answer, int pageCount)
{
    qsizetype i = 0;
    while (i < answer.size() && answer.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < answer.size() &&
        (answer.at(i) == QLatin1Char('+') || answer.at(i) == QLatin1Char('-'))) {
        negative = answer.at(i) == QLatin1Char('-');
        ++i;
    }
    // Read in 64 bits and stop once past any page count: a number too large for an integer
    // is simply out of range.
    qint64 value = 0;
    for (; i < answer.size(); ++i) {
        const QChar c = answer.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return 1;
    }
    if (negative)
        value = -value;
    if (value < 1 || value > pageCount)
        return 1;
    return int(value);
}

PreviewAction previewKeyAction(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers relevant =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool ctrlAlone = relevant == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
        return PreviewAction::Close;
    case Qt::Key_PageUp:
        return ctrlAlone ? PreviewAction::FirstPage : PreviewAction::PreviousPage;
    case Qt::Key_PageDown:
        return ctrlAlone ? PreviewAction::LastPage : PreviewAction::NextPage;
    case Qt::Key_Home:
        return PreviewAction::FirstPage;
    case Qt::Key_End:
        return PreviewAction::LastPage;
    case Qt::Key_Up:
        return PreviewAction::ScrollUp;
    case Qt::Key_Down:
        return PreviewAction::ScrollDown;
    default:
        return PreviewAction::None;
    }
}

bool pageMatches(const QList<EmfTextItem> &items, const QString &text, bool matchCase,
                 const QLocale &locale)
{
    if (text.isEmpty())
        return false;
    const QString wanted = matchCase ? text : locale.toUpper(text);
    for (const EmfTextItem &item : items) {
        if (item.text.size() < text.size())
            continue;
        const QString have = matchCase ? item.text : locale.toUpper(item.text);
        if (have.contains(wanted))
            return true;
    }
    return false;
}

QStringList saveFilters()
{
    return {QStringLiteral(".PWP (*.PWP)"), QStringLiteral("Pagewright file (*.PWP)"),
            QStringLiteral("PDF (*.pdf)")};
}

namespace {

QString typeExtension(SaveType type)
{
    switch (type) {
    case SaveType::DefaultType:
    case SaveType::ReportFile:
        return QStringLiteral("PWP");
    case SaveType::Pdf:
        return QStringLiteral("PDF");
    }
    return QStringLiteral("PWP");
}

} // namespace

QString saveExtension(const QString &fileName, SaveType chosen)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (!suffix.isEmpty())
        return suffix.toUpper();
    return typeExtension(chosen);
}

QString saveFileName(const QString &fileName, SaveType chosen)
{
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    // "name." has an empty suffix too: the dot is not doubled.
    const QString base = fileName.endsWith(QLatin1Char('.')) ? fileName.chopped(1) : fileName;
    return base + QLatin1Char('.') + typeExtension(chosen);
}

QString presetSaveName(const QString &base, const QDate &date)
{
    QString name = base.trimmed();
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar &c : name) {
        if (forbidden.contains(c) || c.isSpace() || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    if (name.isEmpty() || name == QStringLiteral("_")) {
        name = QStringLiteral("report");
        if (date.isValid())
            name += QLatin1Char('_') + date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    return name;
}

ThumbMetrics thumbMetrics(int gridWidth, double paperWidth, double paperLength, bool landscape,
                          int textHeight)
{
    ThumbMetrics m;
    m.columnWidth = std::max(0, gridWidth - 4);
    m.drawWidth = std::max(0, m.columnWidth - 20);
    double ratio = 0;
    if (paperWidth > 0 && paperLength > 0)
        ratio = landscape ? paperWidth / paperLength : paperLength / paperWidth;
    m.rowHeight = std::max(textHeight + 20, roundEven(m.drawWidth * ratio - textHeight));
    m.margin = roundEven((m.columnWidth - m.drawWidth) / 2.0);
    return m;
}

} // namespace report
