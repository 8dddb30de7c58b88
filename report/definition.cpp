#include <report/definition.h>

#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwreport.h>
#include <report/pwshape.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <array>
#include <climits>
#include <cmath>
#include <optional>

namespace report {

namespace {

const QString FormatName = QStringLiteral("ZorikaDesk report definition");
constexpr int FormatVersion = 1;

template <class E, std::size_t N> using Names = std::array<const char *, N>;

const Names<TPWUnit, 5> UnitNames = {"MM", "Inches", "Pixels", "Characters", "Native"};
const Names<TPWBandType, 12> BandTypeNames = {
    "rbTitle",       "rbPageHeader", "rbDetail",       "rbPageFooter", "rbSummary", "rbGroupHeader",
    "rbGroupFooter", "rbSubDetail",  "rbColumnHeader", "rbOverlay",    "rbWild",    "rbChild"};
const Names<TPWOrientation, 2> OrientationNames = {"poPortrait", "poLandscape"};
const Names<TPWPrintOrder, 2> PrintOrderNames = {"ColByCol", "RowByRow"};
const Names<TPWBin, 14> BinNames = {
    "First", "Upper",   "Lower",       "Middle",      "Manual",        "Envelope", "EnvManual",
    "Auto",  "Tractor", "SmallFormat", "LargeFormat", "LargeCapacity", "Cassette", "Last"};
const Names<TFormStyle, 4> FormStyleNames = {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"};
const Names<TWindowState, 3> WindowStateNames = {"wsNormal", "wsMinimized", "wsMaximized"};
const Names<TPWZoomState, 4> ZoomStateNames = {"pwZoomToFit", "pwZoomToWidth", "pwZoomOther",
                                               "pwZoom100"};
const Names<TPWSaveType, 1> SaveTypeNames = {"stPWP"};
const Names<TAlignment, 3> AlignmentNames = {"taLeftJustify", "taRightJustify", "taCenter"};
const Names<TPWWrapStyle, 2> WrapStyleNames = {"BreakOnSpaces", "BreakAnywhere"};
const Names<TPWExportAs, 3> ExportAsNames = {"exptText", "exptNumeric", "exptFormula"};
const Names<TBiDiMode, 4> BiDiModeNames = {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                                           "bdRightToLeftReadingOnly"};
const Names<TPWShapeType, 9> ShapeNames = {"pwsRectangle", "pwsCircle",       "pwsVertLine",
                                           "pwsHorLine",   "pwsTopAndBottom", "pwsRightAndLeft",
                                           "pwsRoundRect", "pwsLeftDiagonal", "pwsRightDiagonal"};
const Names<CanvasPen::Style, 7> PenStyleNames = {
    "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
const Names<CanvasBrush::Style, 8> BrushStyleNames = {"bsSolid",    "bsClear",     "bsHorizontal",
                                                      "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                                      "bsCross",    "bsDiagCross"};
const Names<int, 4> FontStyleNames = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

template <class E, std::size_t N> QString nameOf(const Names<E, N> &names, E value)
{
    const auto i = static_cast<std::size_t>(value);
    return i < N ? QString::fromLatin1(names[i]) : QString();
}

QString colorName(const QColor &c)
{
    return c.name(QColor::HexRgb).toUpper();
}

// One JSON object being read, with its place in the file for error texts. Every key must be
// taken by the reader; what is left over is a misspelt or unknown property.
class Obj
{
public:
    Obj(QJsonObject object, QString path)
        : m_o(std::move(object))
        , m_path(std::move(path))
    {}

    [[noreturn]] void fail(const QString &key, const QString &problem) const
    {
        throw DefinitionError(QStringLiteral("Report definition: %1: %2")
                                  .arg(key.isEmpty() ? m_path : place(key), problem));
    }
    QString place(const QString &key) const
    {
        return m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
    }
    bool has(const QString &key) const { return m_o.contains(key); }

    QJsonValue take(const QString &key)
    {
        m_used.insert(key);
        return m_o.value(key);
    }

    bool boolean(const QString &key, bool def)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return def;
        if (!v.isBool())
            fail(key, QStringLiteral("expected true or false"));
        return v.toBool();
    }
    double number(const QString &key, double def)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return def;
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            fail(key, QStringLiteral("expected a number"));
        return v.toDouble();
    }
    int integer(const QString &key, int def, int min = INT_MIN, int max = INT_MAX)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return def;
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || d != std::floor(d) || d < min || d > max)
            fail(key, QStringLiteral("expected a whole number from %1 to %2").arg(min).arg(max));
        return int(d);
    }
    QString string(const QString &key, const QString &def)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return def;
        if (!v.isString())
            fail(key, QStringLiteral("expected a text"));
        return v.toString();
    }
    QColor color(const QString &key, const QColor &def)
    {
        const QString s = string(key, QString());
        if (!has(key))
            return def;
        static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (!rgb.match(s).hasMatch())
            fail(key, QStringLiteral("expected a colour written #RRGGBB, got \"%1\"").arg(s));
        return QColor::fromString(s);
    }
    template <class E, std::size_t N>
    E enumeration(const QString &key, const Names<E, N> &names, E def)
    {
        const QString s = string(key, QString());
        if (!has(key))
            return def;
        for (std::size_t i = 0; i < N; ++i) {
            if (s == QLatin1String(names[i]))
                return static_cast<E>(i);
        }
        fail(key, QStringLiteral("unknown value \"%1\"").arg(s));
    }
    std::optional<Obj> object(const QString &key)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return std::nullopt;
        if (!v.isObject())
            fail(key, QStringLiteral("expected an object"));
        return Obj(v.toObject(), place(key));
    }
    QJsonArray array(const QString &key)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return {};
        if (!v.isArray())
            fail(key, QStringLiteral("expected a list"));
        return v.toArray();
    }
    Obj element(const QJsonArray &a, const QString &key, qsizetype i) const
    {
        const QString at = QStringLiteral("%1[%2]").arg(place(key)).arg(i);
        if (!a.at(i).isObject())
            throw DefinitionError(
                QStringLiteral("Report definition: %1: expected an object").arg(at));
        return Obj(a.at(i).toObject(), at);
    }
    /// Refuses keys that no reader took.
    void finish() const
    {
        for (auto it = m_o.begin(); it != m_o.end(); ++it) {
            if (!m_used.contains(it.key()))
                fail(it.key(), QStringLiteral("unknown property"));
        }
    }

private:
    QJsonObject m_o;
    QString m_path;
    QSet<QString> m_used;
};

void readValues(Obj &size, TPWUnitBase &target)
{
    const QJsonArray a = size.array(QStringLiteral("Values"));
    if (!size.has(QStringLiteral("Values")))
        size.fail(QString(), QStringLiteral("Values missing"));
    QList<double> values;
    for (const QJsonValue &v : a) {
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            size.fail(QStringLiteral("Values"), QStringLiteral("expected numbers only"));
        values.append(v.toDouble());
    }
    if (values.size() != target.valueCount())
        size.fail(QStringLiteral("Values"), QStringLiteral("expected %1 numbers, got %2")
                                                .arg(target.valueCount())
                                                .arg(values.size()));
    target.ReadValues(values);
}

void readSize(Obj &owner, TPWUnitBase &target)
{
    if (auto s = owner.object(QStringLiteral("Size"))) {
        readValues(*s, target);
        s->finish();
    }
}

CanvasFont readFont(Obj &f, const CanvasFont &def)
{
    CanvasFont font = def;
    font.face = f.string(QStringLiteral("Name"), font.face);
    if (font.face.isEmpty())
        f.fail(QStringLiteral("Name"), QStringLiteral("empty font name"));
    font.charset = f.integer(QStringLiteral("Charset"), font.charset, 0, 255);
    font.color = f.color(QStringLiteral("Color"), font.color);
    font.height = f.integer(QStringLiteral("Height"), font.height, -10000, 10000);
    if (f.has(QStringLiteral("Height")) && font.height != 0)
        font.pointSize = std::abs(font.height) * 72.0 / ScreenPixelsPerInch;
    const double size = f.number(QStringLiteral("Size"), font.pointSize);
    if (size <= 0 || size > 10000)
        f.fail(QStringLiteral("Size"), QStringLiteral("expected a point size above 0"));
    font.pointSize = size;
    if (f.has(QStringLiteral("Style"))) {
        font.bold = font.italic = font.underline = font.strikeOut = false;
        const QJsonArray styles = f.array(QStringLiteral("Style"));
        for (const QJsonValue &v : styles) {
            const QString s = v.toString();
            if (s == QLatin1String(FontStyleNames[0]))
                font.bold = true;
            else if (s == QLatin1String(FontStyleNames[1]))
                font.italic = true;
            else if (s == QLatin1String(FontStyleNames[2]))
                font.underline = true;
            else if (s == QLatin1String(FontStyleNames[3]))
                font.strikeOut = true;
            else
                f.fail(QStringLiteral("Style"), QStringLiteral("unknown style \"%1\"").arg(s));
        }
    }
    f.finish();
    return font;
}

QJsonObject writeFont(const CanvasFont &font)
{
    QJsonObject o;
    o.insert(QStringLiteral("Name"), font.face);
    o.insert(QStringLiteral("Charset"), font.charset);
    o.insert(QStringLiteral("Color"), colorName(font.color));
    if (font.height != 0)
        o.insert(QStringLiteral("Height"), font.height);
    o.insert(QStringLiteral("Size"), font.pointSize);
    QJsonArray style;
    if (font.bold)
        style.append(QLatin1String(FontStyleNames[0]));
    if (font.italic)
        style.append(QLatin1String(FontStyleNames[1]));
    if (font.underline)
        style.append(QLatin1String(FontStyleNames[2]));
    if (font.strikeOut)
        style.append(QLatin1String(FontStyleNames[3]));
    o.insert(QStringLiteral("Style"), style);
    return o;
}

TPWFrame readFrame(Obj &f)
{
    TPWFrame frame;
    frame.DrawTop = f.boolean(QStringLiteral("DrawTop"), false);
    frame.DrawBottom = f.boolean(QStringLiteral("DrawBottom"), false);
    frame.DrawLeft = f.boolean(QStringLiteral("DrawLeft"), false);
    frame.DrawRight = f.boolean(QStringLiteral("DrawRight"), false);
    frame.Width = f.integer(QStringLiteral("Width"), 1, -1, 1000);
    frame.Color = f.color(QStringLiteral("Color"), Qt::black);
    frame.Style = f.enumeration(QStringLiteral("Style"), PenStyleNames, CanvasPen::Solid);
    f.finish();
    return frame;
}

QJsonObject writeFrame(const TPWFrame &frame)
{
    return QJsonObject{{QStringLiteral("DrawTop"), frame.DrawTop},
                       {QStringLiteral("DrawBottom"), frame.DrawBottom},
                       {QStringLiteral("DrawLeft"), frame.DrawLeft},
                       {QStringLiteral("DrawRight"), frame.DrawRight},
                       {QStringLiteral("Width"), frame.Width},
                       {QStringLiteral("Color"), colorName(frame.Color)},
                       {QStringLiteral("Style"), nameOf(PenStyleNames, frame.Style)}};
}

class Loader
{
public:
    Loader(TPWReport &report, const DefinitionHandlers &handlers)
        : m_report(report)
        , m_handlers(handlers)
    {}

    void readReport(Obj &o)
    {
        m_report.setName(o.string(QStringLiteral("Name"), QString()));
        if (auto f = o.object(QStringLiteral("Font")))
            m_report.setFont(readFont(*f, m_report.Font()));
        m_report.setUnits(o.enumeration(QStringLiteral("Units"), UnitNames, TPWUnit::MM));
        m_report.setZoom(o.integer(QStringLiteral("Zoom"), 100, 1, 10000));
        if (o.has(QStringLiteral("Options"))) {
            m_report.Options = TPWOptions{false, false, false};
            const QJsonArray options = o.array(QStringLiteral("Options"));
            for (const QJsonValue &v : options) {
                const QString s = v.toString();
                if (s == QLatin1String("FirstPageHeader"))
                    m_report.Options.FirstPageHeader = true;
                else if (s == QLatin1String("LastPageFooter"))
                    m_report.Options.LastPageFooter = true;
                else if (s == QLatin1String("Compression"))
                    m_report.Options.Compression = true;
                else
                    o.fail(QStringLiteral("Options"),
                           QStringLiteral("unknown option \"%1\"").arg(s));
            }
        }
        m_report.PrintIfEmpty = o.boolean(QStringLiteral("PrintIfEmpty"), true);
        m_report.ReportTitle = o.string(QStringLiteral("ReportTitle"), QString());
        m_report.ShowProgress = o.boolean(QStringLiteral("ShowProgress"), true);
        m_report.BackgroundColor = o.color(QStringLiteral("BackgroundColor"), Qt::white);
        m_report.SnapToGrid = o.boolean(QStringLiteral("SnapToGrid"), true);
        if (auto f = o.object(QStringLiteral("Frame")))
            m_report.Frame = readFrame(*f);
        m_report.PrevFormStyle =
            o.enumeration(QStringLiteral("PrevFormStyle"), FormStyleNames, TFormStyle::fsNormal);
        m_report.PreviewInitialState = o.enumeration(QStringLiteral("PreviewInitialState"),
                                                     WindowStateNames, TWindowState::wsNormal);
        m_report.PrevInitialZoom = o.enumeration(QStringLiteral("PrevInitialZoom"), ZoomStateNames,
                                                 TPWZoomState::pwZoomToFit);
        m_report.PreviewDefaultSaveType = o.enumeration(QStringLiteral("PreviewDefaultSaveType"),
                                                        SaveTypeNames, TPWSaveType::stPWP);
        m_report.PreviewLeft = o.integer(QStringLiteral("PreviewLeft"), 0);
        m_report.PreviewTop = o.integer(QStringLiteral("PreviewTop"), 0);
        m_report.setPreviewWidth(o.integer(QStringLiteral("PreviewWidth"), 500));
        m_report.setPreviewHeight(o.integer(QStringLiteral("PreviewHeight"), 500));
        m_report.PrevShowThumbs = o.boolean(QStringLiteral("PrevShowThumbs"), true);
        m_report.PrevShowSearch = o.boolean(QStringLiteral("PrevShowSearch"), true);
        m_report.PagesInPreview = o.integer(QStringLiteral("PagesInPreview"), 0, 0);
        m_report.CreateInBGThread = o.boolean(QStringLiteral("CreateInBGThread"), false);
        if (o.has(QStringLiteral("Functions"))) {
            m_report.Functions.clear();
            const QJsonArray fs = o.array(QStringLiteral("Functions"));
            for (qsizetype i = 0; i < fs.size(); ++i) {
                Obj f = o.element(fs, QStringLiteral("Functions"), i);
                const QString name = f.string(QStringLiteral("Name"), QString());
                if (name.isEmpty())
                    f.fail(QStringLiteral("Name"), QStringLiteral("missing"));
                m_report.Functions.append({name, f.string(QStringLiteral("Expression"), {})});
                f.finish();
            }
        }
        if (auto p = o.object(QStringLiteral("Page")))
            readPage(*p);
        if (auto s = o.object(QStringLiteral("PrinterSettings")))
            readPrinterSettings(*s);
        m_report.PrinterSettings().Orientation = m_report.Page().Orientation();

        const QJsonArray bands = o.array(QStringLiteral("Bands"));
        for (qsizetype i = 0; i < bands.size(); ++i) {
            Obj b = o.element(bands, QStringLiteral("Bands"), i);
            readBand(b);
        }
        const QJsonArray controls = o.array(QStringLiteral("Controls"));
        for (qsizetype i = 0; i < controls.size(); ++i) {
            Obj c = o.element(controls, QStringLiteral("Controls"), i);
            auto control = makeControl(c);
            TPWPrintable *raw = m_report.addControl(std::move(control));
            readControl(c, *raw);
        }
    }

private:
    void readPage(Obj &p)
    {
        TPWPage &page = m_report.Page();
        const QString paperName =
            p.string(QStringLiteral("PaperSize"), paperSizeName(page.PaperSize()));
        TPWPaperSize paper;
        if (!paperSizeFromName(paperName, &paper))
            p.fail(QStringLiteral("PaperSize"),
                   QStringLiteral("unknown paper \"%1\"").arg(paperName));
        const TPWOrientation orientation = p.enumeration(
            QStringLiteral("Orientation"), OrientationNames, TPWOrientation::poPortrait);
        page.setColumns(p.integer(QStringLiteral("Columns"), 1, 1, 1000));
        page.setContinuous(p.boolean(QStringLiteral("Continuous"), false));
        page.setRuler(p.boolean(QStringLiteral("Ruler"), true));
        page.setPrintOrder(
            p.enumeration(QStringLiteral("PrintOrder"), PrintOrderNames, TPWPrintOrder::ColByCol));
        if (p.has(QStringLiteral("Values"))) {
            // The stored values already follow the paper and orientation.
            page.setStoredSetup(paper, orientation);
            readValues(p, page);
        } else {
            page.setStoredSetup(TPWPaperSize::Custom, TPWOrientation::poPortrait);
            page.setOrientation(orientation);
            page.setPaperSize(paper);
        }
        p.finish();
    }

    void readPrinterSettings(Obj &s)
    {
        TPWReportPrinterSettings &ps = m_report.PrinterSettings();
        ps.Copies = s.integer(QStringLiteral("Copies"), 1, 1, 9999);
        ps.OutputBin = s.enumeration(QStringLiteral("OutputBin"), BinNames, TPWBin::Auto);
        ps.Duplex = s.boolean(QStringLiteral("Duplex"), false);
        ps.ExtendedDuplex = s.integer(QStringLiteral("ExtendedDuplex"), 0);
        ps.FirstPage = s.integer(QStringLiteral("FirstPage"), 0, 0);
        ps.LastPage = s.integer(QStringLiteral("LastPage"), 0, 0);
        ps.UseStandardprinter = s.boolean(QStringLiteral("UseStandardprinter"), false);
        ps.UseCustomBinCode = s.boolean(QStringLiteral("UseCustomBinCode"), false);
        ps.CustomBinCode = s.integer(QStringLiteral("CustomBinCode"), 0);
        ps.UseCustomPaperCode = s.boolean(QStringLiteral("UseCustomPaperCode"), false);
        ps.CustomPaperCode = s.integer(QStringLiteral("CustomPaperCode"), 0);
        ps.PrintMetaFile = s.boolean(QStringLiteral("PrintMetaFile"), false);
        ps.MemoryLimit = s.integer(QStringLiteral("MemoryLimit"), 250000, 0);
        ps.PrintQuality = s.integer(QStringLiteral("PrintQuality"), 0);
        ps.Collate = s.integer(QStringLiteral("Collate"), 0);
        ps.ColorOption = s.integer(QStringLiteral("ColorOption"), 0);
        ps.PrinterIndex = s.integer(QStringLiteral("PrinterIndex"), -1, -1);
        ps.Title = s.string(QStringLiteral("Title"), QString());
        s.finish();
    }

    void checkName(Obj &o, const QString &name, QSet<QString> &seen)
    {
        if (name.isEmpty())
            return;
        if (seen.contains(name))
            o.fail(QStringLiteral("Name"),
                   QStringLiteral("the name \"%1\" is used twice").arg(name));
        seen.insert(name);
    }

    void readBand(Obj &b)
    {
        const QString name = b.string(QStringLiteral("Name"), QString());
        checkName(b, name, m_bandNames);
        if (!b.has(QStringLiteral("BandType")))
            b.fail(QStringLiteral("BandType"), QStringLiteral("missing"));
        const TPWBandType type =
            b.enumeration(QStringLiteral("BandType"), BandTypeNames, TPWBandType::rbDetail);
        TPWBand *band = m_report.addBand(std::make_unique<TPWBand>(name, type));
        readPixelBounds(b, *band);
        readSize(b, band->Size());
        band->Color = b.color(QStringLiteral("Color"), Qt::white);
        band->TransparentBand = b.boolean(QStringLiteral("TransparentBand"), false);
        band->Enabled = b.boolean(QStringLiteral("Enabled"), true);
        if (auto f = b.object(QStringLiteral("Frame")))
            band->Frame = readFrame(*f);
        band->ForceNewPage = b.boolean(QStringLiteral("ForceNewPage"), false);
        band->ForceNewColumn = b.boolean(QStringLiteral("ForceNewColumn"), false);
        band->AlignToBottom = b.boolean(QStringLiteral("AlignToBottom"), false);
        band->PreCaluculateBandHeight = b.boolean(QStringLiteral("PreCaluculateBandHeight"), false);
        band->KeepOnOnePage = b.boolean(QStringLiteral("KeepOnOnePage"), false);
        band->HasChild = b.boolean(QStringLiteral("HasChild"), false);
        band->LinkBand = b.string(QStringLiteral("LinkBand"), QString());
        if (auto f = b.object(QStringLiteral("Font")))
            band->setFont(readFont(*f, m_report.Font()));
        band->ParentFont = b.boolean(QStringLiteral("ParentFont"), band->ParentFont);

        const QJsonArray controls = b.array(QStringLiteral("Controls"));
        for (qsizetype i = 0; i < controls.size(); ++i) {
            Obj c = b.element(controls, QStringLiteral("Controls"), i);
            auto control = makeControl(c);
            TPWPrintable *raw = band->addControl(std::move(control));
            readControl(c, *raw);
        }
        b.finish();
    }

    // Pixel bounds as the design screen showed them: remembered while loading, used where the
    // values give 0.
    void readPixelBounds(Obj &o, PWControl &control)
    {
        const int l = o.integer(QStringLiteral("Left"), control.Left(), -100000, 100000);
        const int t = o.integer(QStringLiteral("Top"), control.Top(), -100000, 100000);
        const int w = o.integer(QStringLiteral("Width"), control.Width(), 0, 100000);
        const int h = o.integer(QStringLiteral("Height"), control.Height(), 0, 100000);
        if (dynamic_cast<TPWPrintable *>(&control))
            control.SetBounds(l, t, w, h);
    }

    std::unique_ptr<TPWPrintable> makeControl(Obj &c)
    {
        const QString cls = c.string(QStringLiteral("Class"), QString());
        const QString name = c.string(QStringLiteral("Name"), QString());
        checkName(c, name, m_controlNames);
        if (cls == QLatin1String("TPWLabel"))
            return std::make_unique<TPWLabel>(name);
        if (cls == QLatin1String("TPWShape"))
            return std::make_unique<TPWShape>(name);
        c.fail(QStringLiteral("Class"),
               cls.isEmpty() ? QStringLiteral("missing")
                             : QStringLiteral("unknown control class \"%1\"").arg(cls));
    }

    void readControl(Obj &c, TPWPrintable &p)
    {
        readPixelBounds(c, p);
        readSize(c, p.Size());
        p.Enabled = c.boolean(QStringLiteral("Enabled"), true);
        if (auto f = c.object(QStringLiteral("Frame")))
            p.Frame = readFrame(*f);
        p.XLColumn = c.integer(QStringLiteral("XLColumn"), 0);
        p.SetAlignment(
            c.enumeration(QStringLiteral("Alignment"), AlignmentNames, TAlignment::taLeftJustify));
        p.setAlignToBand(c.boolean(QStringLiteral("AlignToBand"), false));
        p.Color = c.color(QStringLiteral("Color"), Qt::white);
        if (auto *label = dynamic_cast<TPWLabel *>(&p))
            readLabel(c, *label);
        else if (auto *shape = dynamic_cast<TPWShape *>(&p))
            readShape(c, *shape);
        c.finish();
    }

    void readLabel(Obj &c, TPWLabel &l)
    {
        l.setCaption(c.string(QStringLiteral("Caption"), QString()));
        l.setAutoSize(c.boolean(QStringLiteral("AutoSize"), true));
        l.AutoStretch = c.boolean(QStringLiteral("AutoStretch"), false);
        l.setWordWrap(c.boolean(QStringLiteral("WordWrap"), true));
        l.setWrapStyle(c.enumeration(QStringLiteral("WrapStyle"), WrapStyleNames,
                                     TPWWrapStyle::BreakOnSpaces));
        l.Transparent = c.boolean(QStringLiteral("Transparent"), false);
        if (auto f = c.object(QStringLiteral("Font")))
            l.setFont(readFont(*f, l.Font()));
        l.setParentFont(c.boolean(QStringLiteral("ParentFont"), l.ParentFont()));
        l.setFontSize(c.integer(QStringLiteral("FontSize"), 0, 0, 10000));
        l.ExportAs =
            c.enumeration(QStringLiteral("ExportAs"), ExportAsNames, TPWExportAs::exptText);
        l.BiDiMode =
            c.enumeration(QStringLiteral("BiDiMode"), BiDiModeNames, TBiDiMode::bdLeftToRight);
        l.ParentBiDiMode = c.boolean(QStringLiteral("ParentBiDiMode"), true);
        l.Widecaption = c.string(QStringLiteral("Widecaption"), QString());
        l.OnPrintName = c.string(QStringLiteral("OnPrint"), QString());
        if (!l.OnPrintName.isEmpty())
            l.OnPrint = m_handlers.labelPrint.value(l.OnPrintName);
    }

    void readShape(Obj &c, TPWShape &s)
    {
        s.Shape = c.enumeration(QStringLiteral("Shape"), ShapeNames, TPWShapeType::pwsRectangle);
        if (auto pen = c.object(QStringLiteral("Pen"))) {
            s.Pen.color = pen->color(QStringLiteral("Color"), Qt::black);
            s.Pen.width = pen->integer(QStringLiteral("Width"), 1, 0, 10000);
            s.Pen.style =
                pen->enumeration(QStringLiteral("Style"), PenStyleNames, CanvasPen::Solid);
            pen->finish();
        }
        if (auto brush = c.object(QStringLiteral("Brush"))) {
            s.Brush.color = brush->color(QStringLiteral("Color"), Qt::white);
            s.Brush.style =
                brush->enumeration(QStringLiteral("Style"), BrushStyleNames, CanvasBrush::Solid);
            brush->finish();
        }
        s.RoundFactor = float(c.number(QStringLiteral("RoundFactor"), 0));
        s.VertAdjust = c.integer(QStringLiteral("VertAdjust"), 0);
    }

    TPWReport &m_report;
    const DefinitionHandlers &m_handlers;
    QSet<QString> m_bandNames;
    QSet<QString> m_controlNames;
};

QJsonObject writeSize(const TPWUnitBase &size)
{
    QJsonArray values;
    for (double v : size.WriteValues())
        values.append(v);
    return QJsonObject{{QStringLiteral("Values"), values}};
}

QJsonObject writeControl(const TPWPrintable &p)
{
    QJsonObject o;
    o.insert(QStringLiteral("Class"), p.className());
    o.insert(QStringLiteral("Name"), p.Name());
    o.insert(QStringLiteral("Left"), p.Left());
    o.insert(QStringLiteral("Top"), p.Top());
    o.insert(QStringLiteral("Width"), p.Width());
    o.insert(QStringLiteral("Height"), p.Height());
    o.insert(QStringLiteral("Size"), writeSize(p.Size()));
    o.insert(QStringLiteral("Enabled"), p.Enabled);
    o.insert(QStringLiteral("Frame"), writeFrame(p.Frame));
    o.insert(QStringLiteral("XLColumn"), p.XLColumn);
    o.insert(QStringLiteral("Alignment"), nameOf(AlignmentNames, p.Alignment()));
    o.insert(QStringLiteral("AlignToBand"), p.AlignToBand());
    o.insert(QStringLiteral("Color"), colorName(p.Color));
    if (const auto *l = dynamic_cast<const TPWLabel *>(&p)) {
        o.insert(QStringLiteral("Caption"), l->Caption());
        o.insert(QStringLiteral("AutoSize"), l->AutoSize());
        o.insert(QStringLiteral("AutoStretch"), l->AutoStretch);
        o.insert(QStringLiteral("WordWrap"), l->WordWrap());
        o.insert(QStringLiteral("WrapStyle"), nameOf(WrapStyleNames, l->WrapStyle()));
        o.insert(QStringLiteral("Transparent"), l->Transparent);
        if (!l->ParentFont())
            o.insert(QStringLiteral("Font"), writeFont(l->ownFont()));
        o.insert(QStringLiteral("ParentFont"), l->ParentFont());
        if (l->FontSize() > 0)
            o.insert(QStringLiteral("FontSize"), l->FontSize());
        o.insert(QStringLiteral("ExportAs"), nameOf(ExportAsNames, l->ExportAs));
        o.insert(QStringLiteral("BiDiMode"), nameOf(BiDiModeNames, l->BiDiMode));
        o.insert(QStringLiteral("ParentBiDiMode"), l->ParentBiDiMode);
        if (!l->Widecaption.isEmpty())
            o.insert(QStringLiteral("Widecaption"), l->Widecaption);
        if (!l->OnPrintName.isEmpty())
            o.insert(QStringLiteral("OnPrint"), l->OnPrintName);
    } else if (const auto *s = dynamic_cast<const TPWShape *>(&p)) {
        o.insert(QStringLiteral("Shape"), nameOf(ShapeNames, s->Shape));
        o.insert(QStringLiteral("Pen"),
                 QJsonObject{{QStringLiteral("Color"), colorName(s->Pen.color)},
                             {QStringLiteral("Width"), s->Pen.width},
                             {QStringLiteral("Style"), nameOf(PenStyleNames, s->Pen.style)}});
        o.insert(QStringLiteral("Brush"),
                 QJsonObject{{QStringLiteral("Color"), colorName(s->Brush.color)},
                             {QStringLiteral("Style"), nameOf(BrushStyleNames, s->Brush.style)}});
        o.insert(QStringLiteral("RoundFactor"), double(s->RoundFactor));
        o.insert(QStringLiteral("VertAdjust"), s->VertAdjust);
    }
    return o;
}

} // namespace

std::unique_ptr<TPWReport> loadDefinition(const QByteArray &json,
                                          const DefinitionHandlers &handlers)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw DefinitionError(QStringLiteral("Report definition: not valid JSON at offset %1: %2")
                                  .arg(error.offset)
                                  .arg(error.errorString()));
    if (!doc.isObject())
        throw DefinitionError(QStringLiteral("Report definition: expected an object"));
    Obj root(doc.object(), QString());
    if (root.string(QStringLiteral("Format"), QString()) != FormatName)
        root.fail(QStringLiteral("Format"), QStringLiteral("expected \"%1\"").arg(FormatName));
    const int version = root.integer(QStringLiteral("Version"), 0);
    if (version != FormatVersion)
        root.fail(QStringLiteral("Version"), QStringLiteral("version %1 is not known (expected %2)")
                                                 .arg(version)
                                                 .arg(FormatVersion));

    std::optional<CanvasFont> formFont;
    if (auto f = root.object(QStringLiteral("FormFont")))
        formFont = readFont(*f, CanvasFont{});
    auto report = std::make_unique<TPWReport>(QString(), formFont ? &*formFont : nullptr);
    report->beginLoading();
    Loader loader(*report, handlers);
    loader.readReport(root);
    root.finish();
    report->endLoading();
    return report;
}

std::unique_ptr<TPWReport> loadDefinitionFile(const QString &path,
                                              const DefinitionHandlers &handlers)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DefinitionError(
            QStringLiteral("Report definition %1: %2").arg(path, file.errorString()));
    // Definitions are small; anything much larger is not one.
    if (file.size() > 16 * 1024 * 1024)
        throw DefinitionError(QStringLiteral("Report definition %1: file too large").arg(path));
    return loadDefinition(file.readAll(), handlers);
}

QByteArray saveDefinition(const TPWReport &report)
{
    QJsonObject o;
    o.insert(QStringLiteral("Format"), FormatName);
    o.insert(QStringLiteral("Version"), FormatVersion);
    o.insert(QStringLiteral("Name"), report.Name());
    o.insert(QStringLiteral("Font"), writeFont(report.Font()));
    o.insert(QStringLiteral("Units"), nameOf(UnitNames, report.Units()));
    o.insert(QStringLiteral("Zoom"), report.Zoom());
    QJsonArray options;
    if (report.Options.FirstPageHeader)
        options.append(QStringLiteral("FirstPageHeader"));
    if (report.Options.LastPageFooter)
        options.append(QStringLiteral("LastPageFooter"));
    if (report.Options.Compression)
        options.append(QStringLiteral("Compression"));
    o.insert(QStringLiteral("Options"), options);
    o.insert(QStringLiteral("PrintIfEmpty"), report.PrintIfEmpty);
    o.insert(QStringLiteral("ReportTitle"), report.ReportTitle);
    o.insert(QStringLiteral("ShowProgress"), report.ShowProgress);
    o.insert(QStringLiteral("BackgroundColor"), colorName(report.BackgroundColor));
    o.insert(QStringLiteral("SnapToGrid"), report.SnapToGrid);
    o.insert(QStringLiteral("Frame"), writeFrame(report.Frame));
    o.insert(QStringLiteral("PrevFormStyle"), nameOf(FormStyleNames, report.PrevFormStyle));
    o.insert(QStringLiteral("PreviewInitialState"),
             nameOf(WindowStateNames, report.PreviewInitialState));
    o.insert(QStringLiteral("PrevInitialZoom"), nameOf(ZoomStateNames, report.PrevInitialZoom));
    o.insert(QStringLiteral("PreviewDefaultSaveType"),
             nameOf(SaveTypeNames, report.PreviewDefaultSaveType));
    o.insert(QStringLiteral("PreviewLeft"), report.PreviewLeft);
    o.insert(QStringLiteral("PreviewTop"), report.PreviewTop);
    o.insert(QStringLiteral("PreviewWidth"), report.PreviewWidth());
    o.insert(QStringLiteral("PreviewHeight"), report.PreviewHeight());
    o.insert(QStringLiteral("PrevShowThumbs"), report.PrevShowThumbs);
    o.insert(QStringLiteral("PrevShowSearch"), report.PrevShowSearch);
    o.insert(QStringLiteral("PagesInPreview"), report.PagesInPreview);
    o.insert(QStringLiteral("CreateInBGThread"), report.CreateInBGThread);
    QJsonArray functions;
    for (const auto &f : report.Functions)
        functions.append(QJsonObject{{QStringLiteral("Name"), f.first},
                                     {QStringLiteral("Expression"), f.second}});
    o.insert(QStringLiteral("Functions"), functions);

    const TPWPage &page = report.Page();
    QJsonObject p = writeSize(page);
    p.insert(QStringLiteral("PaperSize"), paperSizeName(page.PaperSize()));
    p.insert(QStringLiteral("Orientation"), nameOf(OrientationNames, page.Orientation()));
    p.insert(QStringLiteral("Columns"), page.Columns());
    p.insert(QStringLiteral("Continuous"), page.Continuous());
    p.insert(QStringLiteral("Ruler"), page.Ruler());
    p.insert(QStringLiteral("PrintOrder"), nameOf(PrintOrderNames, page.PrintOrder()));
    o.insert(QStringLiteral("Page"), p);

    const TPWReportPrinterSettings &ps = report.PrinterSettings();
    o.insert(QStringLiteral("PrinterSettings"),
             QJsonObject{{QStringLiteral("Copies"), ps.Copies},
                         {QStringLiteral("OutputBin"), nameOf(BinNames, ps.OutputBin)},
                         {QStringLiteral("Duplex"), ps.Duplex},
                         {QStringLiteral("ExtendedDuplex"), ps.ExtendedDuplex},
                         {QStringLiteral("FirstPage"), ps.FirstPage},
                         {QStringLiteral("LastPage"), ps.LastPage},
                         {QStringLiteral("UseStandardprinter"), ps.UseStandardprinter},
                         {QStringLiteral("UseCustomBinCode"), ps.UseCustomBinCode},
                         {QStringLiteral("CustomBinCode"), ps.CustomBinCode},
                         {QStringLiteral("UseCustomPaperCode"), ps.UseCustomPaperCode},
                         {QStringLiteral("CustomPaperCode"), ps.CustomPaperCode},
                         {QStringLiteral("PrintMetaFile"), ps.PrintMetaFile},
                         {QStringLiteral("MemoryLimit"), ps.MemoryLimit},
                         {QStringLiteral("PrintQuality"), ps.PrintQuality},
                         {QStringLiteral("Collate"), ps.Collate},
                         {QStringLiteral("ColorOption"), ps.ColorOption},
                         {QStringLiteral("PrinterIndex"), ps.PrinterIndex},
                         {QStringLiteral("Title"), ps.Title}});

    QJsonArray bands;
    for (const auto &band : report.bands()) {
        QJsonObject b;
        b.insert(QStringLiteral("Name"), band->Name());
        b.insert(QStringLiteral("BandType"), nameOf(BandTypeNames, band->BandType()));
        b.insert(QStringLiteral("Size"), writeSize(band->Size()));
        b.insert(QStringLiteral("Color"), colorName(band->Color));
        b.insert(QStringLiteral("TransparentBand"), band->TransparentBand);
        b.insert(QStringLiteral("Enabled"), band->Enabled);
        b.insert(QStringLiteral("Frame"), writeFrame(band->Frame));
        b.insert(QStringLiteral("ForceNewPage"), band->ForceNewPage);
        b.insert(QStringLiteral("ForceNewColumn"), band->ForceNewColumn);
        b.insert(QStringLiteral("AlignToBottom"), band->AlignToBottom);
        b.insert(QStringLiteral("PreCaluculateBandHeight"), band->PreCaluculateBandHeight);
        b.insert(QStringLiteral("KeepOnOnePage"), band->KeepOnOnePage);
        b.insert(QStringLiteral("HasChild"), band->HasChild);
        b.insert(QStringLiteral("LinkBand"), band->LinkBand);
        if (!band->ParentFont)
            b.insert(QStringLiteral("Font"), writeFont(band->ownFont()));
        b.insert(QStringLiteral("ParentFont"), band->ParentFont);
        QJsonArray controls;
        for (const auto &c : band->controls())
            controls.append(writeControl(*c));
        b.insert(QStringLiteral("Controls"), controls);
        bands.append(b);
    }
    o.insert(QStringLiteral("Bands"), bands);
    QJsonArray controls;
    for (const auto &c : report.controls())
        controls.append(writeControl(*c));
    o.insert(QStringLiteral("Controls"), controls);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace report
