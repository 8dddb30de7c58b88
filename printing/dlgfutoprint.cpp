#include <printing/dlgfutoprint.h>

#include <ui/glyphs.h>
#include <ui/imemode.h>
#include <ui/widgets.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace printing {

namespace {

QFont pixelFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QComboBox *makeCombo(QWidget *parent, const QString &name, const QStringList &items,
                     const QRect &geometry)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setGeometry(geometry);
    return c;
}

QLabel *makeCaption(QWidget *parent, const QString &name, const QString &text, int left, int top)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(left, top);
    l->adjustSize();
    // Fonts standing in for the Windows face may be wider: keep the caption clear of its box.
    constexpr int boxLeft = 88 - 2;
    if (l->geometry().right() >= boxLeft)
        l->move(std::max(0, boxLeft - l->width()), top);
    return l;
}

} // namespace

TDlgFutoPrint::TDlgFutoPrint(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("DlgFutoPrint"));
    setWindowTitle(QStringLiteral("DlgFutoPrint"));
    setFont(pixelFont(12));
    setFixedSize(248, 276);

    Label1 = new QLabel(QStringLiteral("封筒"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 0, 248, 16);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(pixelFont(16));

    GroupBox3 = new QGroupBox(QStringLiteral("プリンター設定"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(5, 26, 238, 199);

    edTOP = new ui::LabeledEdit(GroupBox3, QStringLiteral("edTOP"), QStringLiteral("上ﾏｰｼﾞﾝ (mm)"),
                                QRect(88, 146, 140, 20));
    edLEFT = new ui::LabeledEdit(GroupBox3, QStringLiteral("edLEFT"),
                                 QStringLiteral("左ﾏｰｼﾞﾝ (mm)"), QRect(88, 169, 140, 20));
    ui::applyImeMode(edTOP, ui::ImeMode::Off);
    ui::applyImeMode(edLEFT, ui::ImeMode::Off);

    CheckBox1 = new QCheckBox(QStringLiteral("住所１住所２の結合"), GroupBox3);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(88, 28, 136, 17);
    CheckBox1->setChecked(true);

    ComboBox1 = makeCombo(GroupBox3, QStringLiteral("ComboBox1"),
                          {QString(), QStringLiteral("御見積書在中"),
                           QStringLiteral("御請求書在中"), QStringLiteral("御納品書在中")},
                          QRect(88, 104, 140, 20));
    ComboBox1->setCurrentText(QString());
    makeCaption(GroupBox3, QStringLiteral("Label2"), QStringLiteral("内容書き"), 37, 108);

    ComboBox2 =
        makeCombo(GroupBox3, QStringLiteral("ComboBox2"),
                  {QString(), QStringLiteral("様"), QStringLiteral("御中"), QStringLiteral("様方")},
                  QRect(88, 62, 140, 20));
    ComboBox2->setCurrentText(QStringLiteral("様"));
    makeCaption(GroupBox3, QStringLiteral("Label3"), QStringLiteral("敬称"), 59, 66);

    Edit1 = new QLineEdit(GroupBox3);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(88, 124, 140, 20);
    makeCaption(GroupBox3, QStringLiteral("Label4"), QStringLiteral("名前追加"), 35, 128);
    for (QWidget *w : {static_cast<QWidget *>(ComboBox1), static_cast<QWidget *>(ComboBox2),
                       static_cast<QWidget *>(Edit1)})
        ui::applyImeMode(w, ui::ImeMode::Hiragana);

    ComboBox3 = makeCombo(GroupBox3, QStringLiteral("ComboBox3"), {}, QRect(88, 83, 140, 20));
    ComboBox3->setCurrentText(QStringLiteral("HG行書体"));
    makeCaption(GroupBox3, QStringLiteral("Label5"), QStringLiteral("フォント名"), 33, 87);

    BitBtn4 = ui::makeButton(this, QStringLiteral("BitBtn4"), QStringLiteral("OK"),
                             QRect(5, 228, 100, 30));
    BitBtn4->setIcon(ui::glyphIcon(ui::Glyph::Printer));
    BitBtn1 = ui::makeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("キャンセル"),
                             QRect(143, 228, 100, 30));
    BitBtn4->setAutoDefault(false);
    BitBtn1->setAutoDefault(false);
    connect(BitBtn4, &QPushButton::clicked, this, [this] {
        copyTexts();
        accept();
    });
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);

    Label6 = new QLabel(QStringLiteral("用紙は上向き投入です"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(0, 276 - 12, 248, 12);
    Label6->setAlignment(Qt::AlignCenter);
    Label6->setFont(pixelFont(12, true));
    Label6->setStyleSheet(QStringLiteral("color: #800000;"));

    const QList<QWidget *> order = tabOrder();
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    for (QWidget *w : order) {
        w->installEventFilter(this);
        if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }
    copyTexts();
}

QList<QWidget *> TDlgFutoPrint::tabOrder() const
{
    return {edTOP, edLEFT, CheckBox1, ComboBox1, ComboBox2, Edit1, ComboBox3, BitBtn4, BitBtn1};
}

void TDlgFutoPrint::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormActivate();
    edTOP->setFocus(Qt::OtherFocusReason);
}

// The font list follows what is installed now: it is filled again at every showing.
void TDlgFutoPrint::FormActivate()
{
    const QString text = ComboBox3->currentText();
    ComboBox3->clear();
    ComboBox3->addItems(QFontDatabase::families());
    ComboBox3->setCurrentText(text);
}

bool TDlgFutoPrint::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const QList<QWidget *> order = tabOrder();
    QWidget *w = qobject_cast<QWidget *>(watched);
    while (w && !order.contains(w))
        w = w->parentWidget();
    const qsizetype at = order.indexOf(w);
    const auto moveBy = [&](int step) {
        if (at < 0)
            return;
        order[(at + step + order.size()) % order.size()]->setFocus(Qt::TabFocusReason);
    };
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveBy(1); // never presses OK
        return true;
    case Qt::Key_Down:
        moveBy(1);
        return true;
    case Qt::Key_Up:
        moveBy(-1);
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TDlgFutoPrint::copyTexts()
{
    FontSet = ComboBox3->currentText();
    Keisyo = ComboBox2->currentText();
    Biko = ComboBox1->currentText();
    Name2 = Edit1->text();
    Topmg = edTOP->text();
    LeftMg = edLEFT->text();
}

void TDlgFutoPrint::done(int result)
{
    copyTexts();
    QDialog::done(result);
}

EnvelopeOptions TDlgFutoPrint::options() const
{
    EnvelopeOptions o;
    o.FontSet = FontSet;
    o.Keisyo = Keisyo;
    o.Biko = Biko;
    o.Name2 = Name2;
    o.Topmg = Topmg;
    o.LeftMg = LeftMg;
    o.join = CheckBox1->isChecked();
    return o;
}

bool printEnvelope(QWidget *owner, const QString &caption, const SlipTexts &slip,
                   report::PrinterDevice &printer)
{
    if (slip.name.isEmpty() || slip.addr1.isEmpty())
        return false;
    EnvelopeOptions options;
    {
        TDlgFutoPrint dialog(owner);
        dialog.Label1->setText(caption);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        options = dialog.options();
    }
    // A bad margin stops here, before the paper is touched.
    const Envelope envelope(slip, options);
    return envelope.print(printer, owner);
}

} // namespace printing
