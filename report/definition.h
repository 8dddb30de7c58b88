#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

// A report definition is one JSON object:
//
//   { "Format": "ZorikaDesk report definition", "Version": 1,
//     "Name": "PWReport1",
//     "FormFont": {font},      the font of what holds the report (taken on a Japanese system)
//     "Font": {font},          the report's own font (optional; wins over FormFont)
//     "Units": "MM", "Zoom": 100, "Options": ["FirstPageHeader", "LastPageFooter"],
//     "PrintIfEmpty", "ReportTitle", "ShowProgress", "BackgroundColor", "SnapToGrid", "Frame",
//     "PrevFormStyle", "PreviewInitialState", "PrevInitialZoom", "PreviewDefaultSaveType",
//     "PreviewLeft", "PreviewTop", "PreviewWidth", "PreviewHeight", "PrevShowThumbs",
//     "PrevShowSearch", "PagesInPreview", "CreateInBGThread",
//     "Functions": [{"Name": "PAGENUMBER", "Expression": "0"}, ...],
//     "Page": {"PaperSize": "Custom", "Orientation": "poPortrait", "Columns", "Continuous",
//              "Ruler", "PrintOrder", "Values": [BottomMargin, Length, TopMargin, Width,
//                                                LeftMargin, RightMargin, ColumnSpace]},
//     "PrinterSettings": {"Copies", "OutputBin", "Duplex", ..., "MemoryLimit", "Title"},
//     "Bands": [{"Name", "BandType": "rbTitle", "Size": {"Values": [Height, Width]}, "Color",
//                "TransparentBand", "Enabled", "Frame", "ForceNewPage", "ForceNewColumn",
//                "AlignToBottom", "PreCaluculateBandHeight", "KeepOnOnePage", "HasChild",
//                "LinkBand", "Font", "ParentFont", "Controls": [control, ...]}, ...],
//     "Controls": [control, ...] }   printables standing on the report itself
//
// control: {"Class": "TPWLabel" or "TPWShape", "Name", "Left", "Top", "Width", "Height"
//           (design pixels, fallbacks only), "Size": {"Values": [Height, Left, Top, Width]},
//           "Enabled", "Frame", "XLColumn", "Alignment", "AlignToBand", "Color",
//   label:  "Caption", "AutoSize", "AutoStretch", "WordWrap", "WrapStyle", "Transparent",
//           "Font", "ParentFont", "FontSize", "ExportAs", "BiDiMode", "ParentBiDiMode",
//           "Widecaption", "OnPrint": "<handler name>",
//   shape:  "Shape": "pwsHorLine", "Pen": {"Color", "Width", "Style": "psSolid"},
//           "Brush": {"Color", "Style": "bsSolid"}, "RoundFactor", "VertAdjust"}
// font:  {"Name": "ＭＳ 明朝", "Charset": 128, "Color": "#000000", "Height": -12 (pixels at
//         96 dpi) or "Size": 9 (points), "Style": ["fsBold", "fsItalic", ...]}
// frame: {"DrawTop", "DrawBottom", "DrawLeft", "DrawRight", "Width": 1, "Color", "Style"}
//
// Measures are tenths of a millimetre, colours "#RRGGBB", enumerations by their names. Every
// property may be left out (it keeps its default) except "Format", "Version", a band's
// "BandType" and a control's "Class"; a property that is not known is an error, so a misspelt
// name never passes silently. Bands and controls print in the order they are listed.

namespace report {

class TPWLabel;
class TPWReport;

/// A report definition that cannot be read: the text names the place and the problem.
class DefinitionError : public std::runtime_error
{
public:
    explicit DefinitionError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

using LabelPrintHandler = std::function<void(TPWLabel &, QString &value)>;

/// Handlers a definition may name for its labels' `OnPrint` events, by name.
struct DefinitionHandlers
{
    QHash<QString, LabelPrintHandler> labelPrint;
};

/// Builds a report from the JSON text of a report definition. Every property of the model is
/// stored by name, sizes as `Values` lists in tenths of a millimetre, bands and controls in
/// definition order. A handler named by a label and found in `handlers` is bound to it; the
/// name is kept either way (`TPWLabel::OnPrintName`). Throws DefinitionError.
std::unique_ptr<TPWReport> loadDefinition(const QByteArray &json,
                                          const DefinitionHandlers &handlers = {});
/// Reads a definition file; an unreadable file is a DefinitionError too.
std::unique_ptr<TPWReport> loadDefinitionFile(const QString &path,
                                              const DefinitionHandlers &handlers = {});
/// Writes a report as definition text that loadDefinition reads back to the same report.
QByteArray saveDefinition(const TPWReport &report);

} // namespace report
