#include <report/pwlabel.h>

#include <report/paintercanvas.h>
#include <report/pwband.h>
#include <report/pwoutput.h>
#include <report/pwreport.h>

#include <cmath>

namespace report {

namespace {

bool onlySpaces(const QString &s)
{
    for (QChar c : s) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

// The characters of a text, a surrogate pair counting as one so that no line ever ends in
// half of a character.
QStringList characters(const QString &s)
{
    QStringList out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            out.append(s.mid(i, 2));
            ++i;
        } else {
            out.append(QString(s.at(i)));
        }
    }
    return out;
}

} // namespace

TPWLabel::TPWLabel(QString name)
    : TPWPrintable(std::move(name))
{}

TPWLabel::~TPWLabel() = default;

void TPWLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    m_printText = caption;
    m_doneFormat = false;
    FormatLines();
}

void TPWLabel::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    FormatLines();
}

void TPWLabel::setWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    FormatLines();
}

void TPWLabel::setWrapStyle(TPWWrapStyle style)
{
    m_wrapStyle = style;
    FormatLines();
}

void TPWLabel::setFont(const CanvasFont &font)
{
    m_font = font;
    m_parentFont = false;
    FormatLines();
}

void TPWLabel::setParentFont(bool parent)
{
    m_parentFont = parent;
    FormatLines();
}

void TPWLabel::setFontSize(int size)
{
    m_fontSize = size;
    FormatLines();
}

CanvasFont TPWLabel::Font() const
{
    CanvasFont f = m_font;
    if (m_parentFont) {
        if (parentBand())
            f = parentBand()->Font();
        else if (report())
            f = report()->Font();
    }
    if (m_fontSize > 0) {
        f.pointSize = m_fontSize;
        f.height = 0;
    } else if (f.height != 0) {
        // A pixel height stored at the design resolution becomes the point size it stands for.
        f.pointSize = std::abs(f.height) * 72.0 / ScreenPixelsPerInch;
        f.height = 0;
    }
    return f;
}

int TPWLabel::zoom() const
{
    const TPWReport *r = report();
    return r ? r->Zoom() : 100;
}

Canvas &TPWLabel::measureCanvas()
{
    if (TPWReport *r = report()) {
        Canvas &c = r->measureCanvas();
        c.setFont(Font());
        return c;
    }
    // A label that stands on no report measures on a screen-like device of its own.
    if (!m_ownMeasure)
        m_ownMeasure = std::make_unique<MeasureDevice>();
    Canvas &c = m_ownMeasure->canvas();
    c.setFont(Font());
    return c;
}

int TPWLabel::lineWidth(const QString &text)
{
    const int measured = measureCanvas().textExtent(text).width() + 1;
    return roundEven(measured * zoom() / 100.0);
}

TAlignment TPWLabel::effectiveAlignment() const
{
    const TAlignment a = Alignment();
    if (BiDiMode != TBiDiMode::bdRightToLeft)
        return a;
    if (a == TAlignment::taLeftJustify)
        return TAlignment::taRightJustify;
    if (a == TAlignment::taRightJustify)
        return TAlignment::taLeftJustify;
    return a;
}

bool TPWLabel::rightToLeftReading() const
{
    return BiDiMode == TBiDiMode::bdRightToLeft || BiDiMode == TBiDiMode::bdRightToLeftReadingOnly;
}

void TPWLabel::FormatLines()
{
    if (!hasParent() || isLoading())
        return;
    m_lines.clear();
    const int width = Width();
    QString text = m_printText;
    text.remove(QChar(0x000A));
    if (text.contains(QChar(0x000D))) {
        for (const QString &piece : text.split(QChar(0x000D)))
            formatPiece(piece, width);
    } else {
        formatPiece(text, width);
    }
    if (m_lines.isEmpty())
        m_lines.append(QString());

    TPWReport *r = report();
    if (r && !m_updatingBounds) {
        m_updatingBounds = true;
        applyHeightFloor();
        if (m_autoSize) {
            int newWidth = 0;
            for (const QString &line : m_lines)
                newWidth = std::max(newWidth, lineWidth(line));
            if (Frame.anySide()) {
                const int side = Frame.Width < 0 ? 1 : Frame.Width;
                if (Frame.DrawLeft)
                    newWidth += side;
                if (Frame.DrawRight)
                    newWidth += side;
            }
            const int oldWidth = Width();
            int left = Left();
            switch (effectiveAlignment()) {
            case TAlignment::taRightJustify:
                left += oldWidth - newWidth;
                break;
            case TAlignment::taCenter:
                left += (oldWidth - newWidth) / 2;
                break;
            case TAlignment::taLeftJustify:
                break;
            }
            if (newWidth != oldWidth || left != Left())
                SetBounds(left, Top(), newWidth, Height());
            applyHeightFloor();
        }
        m_updatingBounds = false;
    }
    m_doneFormat = true;
}

void TPWLabel::applyHeightFloor()
{
    const int textHeight = measureCanvas().textExtent(QStringLiteral("W")).height();
    const double floor = textHeight * zoom() / 100.0 + 1;
    if (Height() < floor)
        SetBounds(Left(), Top(), Width(), int(std::ceil(floor)));
}

// One line of the text (no line breaks left in it) into formatted lines.
void TPWLabel::formatPiece(const QString &piece, int width)
{
    if (m_autoSize) {
        m_lines.append(piece);
        return;
    }
    const qsizetype linesBefore = m_lines.size();
    QString growing;
    if (m_wrapStyle == TPWWrapStyle::BreakAnywhere) {
        for (const QString &c : characters(piece)) {
            if (!growing.isEmpty() && lineWidth(growing + c) > width) {
                m_lines.append(growing);
                growing.clear();
            }
            growing += c;
        }
        if (!growing.isEmpty() && !onlySpaces(growing))
            m_lines.append(growing);
        return;
    }

    // Words run up to and including the next space or hyphen.
    QStringList words;
    QString word;
    for (QChar c : piece) {
        word += c;
        if (c == QLatin1Char(' ') || c == QLatin1Char('-')) {
            words.append(word);
            word.clear();
        }
    }
    if (!word.isEmpty())
        words.append(word);

    m_lineFinished = false;
    for (QString w : words) {
        // Without WordWrap the rest of an overflowing line is dropped, up to the next line
        // break of the text.
        if (m_lineFinished)
            break;
        if (lineWidth(growing + w) <= width) {
            growing += w;
            continue;
        }
        if (growing.isEmpty()) {
            for (const QString &c : characters(w)) {
                if (lineWidth(growing + c) >= width)
                    break;
                growing += c;
            }
            w.clear();
        }
        m_lines.append(growing);
        growing.clear();
        if (!w.isEmpty() && lineWidth(w) > width) {
            if (width == 0) {
                w.clear();
            } else {
                // Characters come off the end until the word fits: the longest fitting start
                // of the word, found by halving so that a very long word costs little.
                const QStringList chars = characters(w);
                qsizetype fits = 0;
                qsizetype tooWide = chars.size();
                while (tooWide - fits > 1) {
                    const qsizetype mid = (fits + tooWide) / 2;
                    if (lineWidth(chars.mid(0, mid).join(QString())) > width)
                        tooWide = mid;
                    else
                        fits = mid;
                }
                w = chars.mid(0, fits).join(QString());
            }
            m_lines.append(w);
            w.clear();
        }
        if (!m_wordWrap) {
            w.clear();
            m_lineFinished = true;
        }
        growing += w;
    }
    // The rest of the line, or the line itself when it produced nothing yet (an empty line
    // of the text stays an empty line).
    if (!m_lineFinished && (!growing.isEmpty() || m_lines.size() == linesBefore))
        m_lines.append(growing);
}

void TPWLabel::SetAlignment(TAlignment alignment)
{
    TPWPrintable::SetAlignment(alignment);
}

void TPWLabel::Prepare()
{
    TPWPrintable::Prepare();
    m_printText = m_caption;
    m_currentLine = 0;
    m_expansion = 0;
    FormatLines();
}

void TPWLabel::UnPrepare()
{
    TPWPrintable::UnPrepare();
}

void TPWLabel::Loaded()
{
    TPWPrintable::Loaded();
    m_printText = m_caption;
    FormatLines();
}

void TPWLabel::Print(int ofsX, int ofsY)
{
    PageOutput *output = beginPrint();
    if (!output)
        return;
    PageOutput &out = *output;
    Canvas &c = *out.canvas();
    const auto native = [this](int index) {
        return m_size.nativeValue(index);
    };

    c.setFont(Font());
    double aLeft = native(TPWPrintableSize::LeftIndex) + ofsX;
    double aTop = native(TPWPrintableSize::TopIndex) + ofsY;
    double aWidth = native(TPWPrintableSize::WidthIndex);
    double aHeight = native(TPWPrintableSize::HeightIndex);
    double lineHeight = c.textExtent(QStringLiteral("W")).height() / out.YFactor;

    bool textChanged = false;
    QString savedText;
    if (OnPrint) {
        QString value = m_printText;
        OnPrint(*this, value);
        c.setFont(Font());
        aHeight = native(TPWPrintableSize::HeightIndex);
        lineHeight = c.textExtent(QStringLiteral("W")).height() / out.YFactor;
        if (value != m_printText) {
            savedText = m_printText;
            m_printText = value;
            textChanged = true;
        }
    }

    FormatLines();
    // AutoSize may have moved and widened the label: fill, text and frame follow its new
    // place together.
    aLeft = native(TPWPrintableSize::LeftIndex) + ofsX;
    aWidth = native(TPWPrintableSize::WidthIndex);

    if (!Transparent) {
        c.setBrush(CanvasBrush{Color, CanvasBrush::Solid});
        c.setPen(CanvasPen{Color, 0, CanvasPen::Clear});
        c.fillRect(QRect(QPoint(out.XPos(aLeft), out.YPos(aTop)),
                         QPoint(out.XPos(aLeft + aWidth) - 1, out.YPos(aTop + aHeight) - 1)));
    }

    double fw = 0;
    if (Frame.anySide()) {
        const int points = Frame.Width < 0 ? 1 : Frame.Width;
        fw = roundEven(points / 72.0 * 254.0);
        if (Frame.DrawTop)
            aTop += fw;
        if (Frame.DrawLeft)
            aLeft += fw;
    }

    double bottomLimit = aTop + aHeight + 1;
    double y = aTop;

    c.setBackgroundTransparent(true);
    unsigned align = taTop;
    double x = aLeft;
    switch (effectiveAlignment()) {
    case TAlignment::taLeftJustify:
        x = aLeft;
        align |= taLeft;
        break;
    case TAlignment::taRightJustify:
        x = aLeft + aWidth;
        align |= taRight;
        break;
    case TAlignment::taCenter:
        x = aLeft + aWidth / 2;
        align |= taCenter;
        break;
    }
    if (rightToLeftReading())
        align |= taRtlReading;
    c.setTextAlign(align);

    m_expansion = 0;
    qsizetype i = m_printFinished ? 0 : m_currentLine;
    for (; i < m_lines.size(); ++i) {
        if (y + lineHeight > bottomLimit) {
            if (!AutoStretch)
                break;
            TPWBand *band = parentBand();
            if (!band || !band->CanExpand(lineHeight))
                break;
            const double oldBottom = aTop + aHeight + m_expansion;
            bottomLimit += lineHeight;
            m_expansion += lineHeight;
            if (!Transparent) {
                c.setBrush(CanvasBrush{Color, CanvasBrush::Solid});
                c.setPen(CanvasPen{Color, 0, CanvasPen::Clear});
                c.fillRect(QRect(
                    QPoint(out.XPos(aLeft), out.YPos(oldBottom)),
                    QPoint(out.XPos(aLeft + aWidth) - 1, out.YPos(oldBottom + lineHeight) - 1)));
            }
        }
        const QString &line = m_lines.at(i);
        if (!line.isEmpty())
            c.textOut(out.XPos(x), out.YPos(y), line);
        y += lineHeight;
    }
    m_currentLine = int(i);
    m_printFinished = !(i < m_lines.size() && AutoStretch);
    c.resetClip();

    if (textChanged)
        m_printText = savedText;

    if (Frame.anySide()) {
        Frame.PaintIt(c, out.XPos(aLeft - fw), out.YPos(aTop - fw), out.XPos(aLeft + aWidth),
                      out.YPos(aTop + native(TPWPrintableSize::HeightIndex) + m_expansion),
                      out.XFactor, out.YFactor);
    }
}

} // namespace report
