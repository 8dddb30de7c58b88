#include <ui/halfwidth.h>

#include <ui/maskedit.h>

#include <QLineEdit>

namespace ui {

QString halfWidthText(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFF01 + 0x21));
        else if (u == 0x3000)
            c = QLatin1Char(' ');
        else if (u == 0xFFE5 || u == 0x00A5)
            c = QLatin1Char('\\');
        else if ((u >= 0x2010 && u <= 0x2015) || u == 0x2212 || u == 0x30FC)
            c = QLatin1Char('-');
    }
    return out;
}

void acceptHalfWidthOnly(QLineEdit *box)
{
    // Converting after each edit catches every way text arrives (keys, the input method's
    // commit, paste, drop) in one place.
    QObject::connect(box, &QLineEdit::textEdited, box, [box] {
        auto *masked = qobject_cast<MaskEdit *>(box);
        const QString shown = masked ? masked->maskedText() : box->text();
        const QString half = halfWidthText(shown);
        if (half == shown)
            return;
        const int caret = box->cursorPosition();
        box->setText(half);
        box->setCursorPosition(caret);
        box->setModified(true);
    });
}

} // namespace ui
