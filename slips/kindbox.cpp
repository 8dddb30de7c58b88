#include <slips/kindbox.h>

#include <QEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleOptionComboBox>

namespace slips {

namespace {

constexpr int kArrowWidth = 11;
// QLineEdit keeps this many pixels free on each side of its text.
constexpr int kLineEditMargin = 2;
// How much closer the letters may be set, in pixels per letter.
constexpr int kMostTightening = 2;

// The platform's look, with a narrow arrow and the edit field up to the frame.
class NarrowComboStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                         const QWidget *widget) const override
    {
        if (control == CC_ComboBox) {
            const QRect r = option->rect;
            if (sub == SC_ComboBoxArrow)
                return QRect(r.right() - kArrowWidth, r.top() + 1, kArrowWidth, r.height() - 2);
            if (sub == SC_ComboBoxEditField)
                return QRect(r.left() + 1, r.top() + 1, r.width() - kArrowWidth - 2,
                             r.height() - 2);
        }
        return QProxyStyle::subControlRect(control, option, sub, widget);
    }
};

} // namespace

DocumentKindBox::DocumentKindBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    auto *style = new NarrowComboStyle;
    style->setParent(this);
    setStyle(style);
    lineEdit()->setTextMargins(0, 0, 0, 0);
    connect(lineEdit(), &QLineEdit::textChanged, this, &DocumentKindBox::fitText);
}

DocumentKindBox::~DocumentKindBox() = default;

int DocumentKindBox::textRoom() const
{
    return lineEdit()->contentsRect().width() - 2 * kLineEditMargin;
}

int DocumentKindBox::shownTextWidth() const
{
    return lineEdit()->fontMetrics().horizontalAdvance(lineEdit()->text());
}

void DocumentKindBox::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    fitText();
}

void DocumentKindBox::changeEvent(QEvent *event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitText();
}

void DocumentKindBox::fitText()
{
    QLineEdit *edit = lineEdit();
    QFont f = font();
    const QString text = edit->text();
    const int room = textRoom();
    const int natural = QFontMetrics(f).horizontalAdvance(text);
    if (natural > room && text.size() > 1) {
        const int letters = int(text.size());
        const double tighten =
            std::min<double>(kMostTightening, double(natural - room) / double(letters - 1));
        f.setLetterSpacing(QFont::AbsoluteSpacing, -tighten);
    }
    if (edit->font() != f)
        edit->setFont(f);
}

} // namespace slips
