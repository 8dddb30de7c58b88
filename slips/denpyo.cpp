#include <slips/denpyo.h>

#include <printing/pwdenpyo.h>
#include <slips/denpyosql.h>
#include <slips/kindbox.h>
#include <slips/slipgrid.h>
#include <slips/slipprint.h>
#include <slips/sliprecord.h>
#include <slips/today.h>
#include <ui/glyphs.h>
#include <ui/imemode.h>
#include <ui/maskedit.h>

#include <store/dmib.h>
#include <store/query.h>
#include <store/tables.h>
#include <ui/halfwidth.h>
#include <ui/handler.h>
#include <ui/question.h>
#include <ui/widgets.h>
#include <ui/zdapplication.h>

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>

#include <stdexcept>

namespace slips {

using ui::applyImeMode;
using ui::Glyph;
using ui::glyphIcon;
using ui::imeHints;
using ui::ImeMode;

TDenpyo *Denpyo = nullptr;

namespace {

const QColor kNavy(0, 0, 0x80);

const QString kSaved = QStringLiteral("登録しました");
const QString kFailed = QStringLiteral("失敗しました");

} // namespace

TDenpyo::TDenpyo(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("Denpyo"));
    setWindowTitle(QStringLiteral("Denpyo"));
    buildControls();
    FormCreate();
    markSaved();
}

TDenpyo::~TDenpyo()
{
    if (Denpyo == this)
        Denpyo = nullptr;
}

QString TDenpyo::unsavedChangesQuestion()
{
    return QStringLiteral("変更が保存されていません。閉じてもよろしいですか？");
}

QLabel *TDenpyo::addLabel(const QString &name, const QString &caption, int left, int top, bool navy,
                          int points)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setFont(ui::fontFor(QStringLiteral("Tahoma"), points));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, navy ? kNavy : QColor(Qt::black));
    label->setPalette(pal);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void TDenpyo::buildControls()
{
    setFixedSize(908, 517);
    setFont(ui::fontFor(QStringLiteral("Tahoma"), 8));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    addLabel(QStringLiteral("Label2"), QStringLiteral("年月日"), 144, 44);
    addLabel(QStringLiteral("Label3"), QStringLiteral("No_"), 678, 75);
    addLabel(QStringLiteral("Label4"), QStringLiteral("お名前"), 40, 108);
    addLabel(QStringLiteral("Label5"), QStringLiteral("〒"), 15, 131);
    addLabel(QStringLiteral("Label6"), QStringLiteral("住所（県、市町村）"), 111, 162);
    addLabel(QStringLiteral("Label7"), QStringLiteral("住所（番地、アパート名、部屋番号）"), 385,
             162);
    addLabel(QStringLiteral("Label8"), QStringLiteral("TEL_"), 360, 133);
    addLabel(QStringLiteral("Label9"), QStringLiteral("下記の通り納品いたしました"), 40, 212);
    addLabel(QStringLiteral("Label10"), QStringLiteral("様"), 329, 127, true, 12);
    addLabel(QStringLiteral("Label11"), QStringLiteral("税抜合計金額"), 325, 452);
    addLabel(QStringLiteral("Label16"), QStringLiteral("税率%"), 489, 452);
    addLabel(QStringLiteral("Label17"), QStringLiteral("消費税額等"), 586, 452);
    addLabel(QStringLiteral("Label18"), QStringLiteral("税込合計金額"), 699, 452);
    addLabel(QStringLiteral("Label12"),
             QStringLiteral("伝票=ドットプリンターにて「KOKUYO ｳ-333N　」に印刷できます"), 40, 497,
             false);
    addLabel(QStringLiteral("Label13"), QStringLiteral("ID_"), 366, 105, false);

    auto edit = [this](const QString &name, int left, int top, int width, int height, int points,
                       ImeMode ime) {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        e->setGeometry(left, top, width, height);
        if (points != 8)
            e->setFont(ui::fontFor(QStringLiteral("Tahoma"), points));
        applyImeMode(e, ime);
        return e;
    };

    YMD = new MaskEdit(QStringLiteral("0000/00/99"), this);
    YMD->setObjectName(QStringLiteral("YMD"));
    YMD->setGeometry(144, 61, 116, 27);
    YMD->setFont(ui::fontFor(QStringLiteral("ＭＳ ゴシック"), 12));
    YMD->setMaxLength(10);
    applyImeMode(YMD, ImeMode::Off);
    connect(YMD, &MaskEdit::entered, this, &TDenpyo::YMDEnter);

    NAME1 = edit(QStringLiteral("NAME1"), 40, 123, 283, 27, 12, ImeMode::Hiragana);
    TEL = edit(QStringLiteral("TEL"), 385, 129, 156, 21, 8, ImeMode::Off);

    ZIP = new MaskEdit(QStringLiteral("999-0000"), this);
    ZIP->setObjectName(QStringLiteral("ZIP"));
    ZIP->setGeometry(40, 176, 61, 21);
    ZIP->setMaxLength(8);
    applyImeMode(ZIP, ImeMode::Off);

    ADDR1 = edit(QStringLiteral("ADDR1"), 104, 176, 278, 21, 8, ImeMode::Hiragana);
    ADDR2 = edit(QStringLiteral("ADDR2"), 385, 176, 386, 21, 8, ImeMode::Hiragana);

    StringGrid1 = new SlipGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(40, 231, 731, 215);
    StringGrid1->setFont(ui::fontFor(QStringLiteral("Tahoma"), 12));
    connect(StringGrid1, &SlipGrid::cellTextChanged, this,
            [this](int column, int row) { cellChanged(row, column); });
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { StringGrid1SelectCell(column, row); });

    GOKEI = edit(QStringLiteral("GOKEI"), 276, 465, 121, 27, 12, ImeMode::Off);
    TXRITU = edit(QStringLiteral("TXRITU"), 403, 465, 121, 27, 12, ImeMode::Off);
    TAX = edit(QStringLiteral("TAX"), 523, 465, 121, 27, 12, ImeMode::Off);
    TOTAL = edit(QStringLiteral("TOTAL"), 650, 465, 121, 27, 12, ImeMode::Off);
    for (QLineEdit *e : {GOKEI, TXRITU, TAX, TOTAL})
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TXRITU->installEventFilter(this);
    connect(TXRITU, &QLineEdit::editingFinished, this, &TDenpyo::rateEdited);

    // Nothing typed may be refused by the store later: the boxes hold what their columns
    // hold, and the number boxes take half-width input only, as their input method says.
    const QList<store::Column> &columns = store::denpyoColumns();
    NAME1->setMaxLength(store::columnWidth(columns, QStringLiteral("TKNAME")));
    ADDR1->setMaxLength(store::columnWidth(columns, QStringLiteral("TKADDR1")));
    ADDR2->setMaxLength(store::columnWidth(columns, QStringLiteral("TKADDR2")));
    TEL->setMaxLength(store::columnWidth(columns, QStringLiteral("TKTEL")));

    ANO = edit(QStringLiteral("ANO"), 699, 67, 72, 21, 8, ImeMode::Off);
    for (QLineEdit *e :
         std::initializer_list<QLineEdit *>{YMD, ZIP, TEL, GOKEI, TXRITU, TAX, TOTAL, ANO})
        ui::acceptHalfWidthOnly(e);
    ANO->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ANO->setFocusPolicy(Qt::ClickFocus);

    // Return in a box must never press a button of this window (makeButton sees to that);
    // most buttons are reached by the mouse only.
    auto button = [](QWidget *parent, const QString &name, const QString &caption, int left,
                     int top, int width, int height, bool tabStop) {
        QPushButton *b = ui::makeButton(parent, name, caption, {left, top, width, height});
        b->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        return b;
    };

    BitBtn1 = button(this, QStringLiteral("BitBtn1"), QStringLiteral("〒から住所"), 40, 155, 61, 20,
                     false);
    BitBtn2 = button(this, QStringLiteral("BitBtn2"), QStringLiteral("住所から〒番号"), 214, 155,
                     109, 20, false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, width(), 41);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setAutoFillBackground(true);
    Panel1->setPalette(pal);
    BitBtn3 =
        button(Panel1, QStringLiteral("BitBtn3"), QStringLiteral("保　存"), 597, 5, 100, 30, false);
    BitBtn6 =
        button(Panel1, QStringLiteral("BitBtn6"), QStringLiteral("閉じる"), 786, 5, 100, 30, false);
    BitBtn6->setIcon(glyphIcon(Glyph::Close));
    BitBtn6->setIconSize(QSize(18, 18));
    BitBtn12 =
        button(Panel1, QStringLiteral("BitBtn12"), QStringLiteral("クリア"), 40, 6, 100, 30, false);
    connect(BitBtn3, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn3Click));
    // 保　存 is no tab stop: the keyboard reaches it by the usual shortcut.
    BitBtn3->setShortcut(QKeySequence::Save);
    BitBtn3->setToolTip(
        QStringLiteral("保存 (%1)")
            .arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
    connect(BitBtn6, &QPushButton::clicked, this, &TDenpyo::reject);
    connect(BitBtn12, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn12Click));

    BitBtn7 = button(this, QStringLiteral("BitBtn7"), QStringLiteral("名簿から検索"), 214, 102, 109,
                     20, false);
    BitBtn8 = button(this, QStringLiteral("BitBtn8"), QStringLiteral("名簿に登録"), 563, 155, 100,
                     20, true);

    GroupBox1 = new QGroupBox(QStringLiteral("伝票印刷"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(775, 226, 111, 92);
    BitBtn14 = button(GroupBox1, QStringLiteral("BitBtn14"), QStringLiteral("ｺｸﾖ-ｳ334"), 5, 20, 100,
                      30, false);
    BitBtn5 =
        button(GroupBox1, QStringLiteral("BitBtn5"), QStringLiteral("A4"), 5, 54, 100, 30, false);
    connect(BitBtn5, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn5Click));

    GroupBox2 = new QGroupBox(QStringLiteral("宛名印刷"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(775, 356, 111, 136);
    BitBtn9 =
        button(GroupBox2, QStringLiteral("BitBtn9"), QStringLiteral("封筒"), 5, 20, 100, 30, true);
    BitBtn10 = button(GroupBox2, QStringLiteral("BitBtn10"), QStringLiteral("クロネコ"), 5, 56, 100,
                      30, true);
    BitBtn11 = button(GroupBox2, QStringLiteral("BitBtn11"), QStringLiteral("佐川急便"), 5, 92, 100,
                      30, true);
    BitBtn10->setEnabled(false);
    BitBtn11->setEnabled(false);
    for (QPushButton *b : {BitBtn14, BitBtn5})
        b->setIcon(glyphIcon(Glyph::Printer));
    BitBtn9->setIcon(glyphIcon(Glyph::Envelope));
    for (QPushButton *b : {BitBtn10, BitBtn11})
        b->setIcon(glyphIcon(Glyph::Parcel));
    for (QPushButton *b : {BitBtn14, BitBtn5, BitBtn9, BitBtn10, BitBtn11}) {
        b->setIconSize(QSize(16, 16));
        b->installEventFilter(this);
        setCaptionColour(b, false);
    }
    connect(BitBtn1, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn2Click));
    connect(BitBtn7, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn7Click));
    connect(BitBtn8, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn8Click));
    connect(BitBtn14, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn14Click));
    connect(BitBtn9, &QPushButton::clicked, this, ui::handler(this, &TDenpyo::BitBtn9Click));

    TKANO = edit(QStringLiteral("TKANO"), 385, 105, 156, 21, 8, ImeMode::Off);
    TKANO->setReadOnly(true);

    ComboBox1 = new DocumentKindBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(40, 61, 100, 27);
    ComboBox1->setFont(ui::fontFor(QStringLiteral("Tahoma"), 12));
    ComboBox1->addItems({QStringLiteral("御 納 品 書"), QStringLiteral("御 請 求 書"),
                         QStringLiteral("御 受 領 書"), QStringLiteral("納 品 書（控）")});
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setFocusPolicy(Qt::ClickFocus);
    ComboBox1->lineEdit()->setFocusPolicy(Qt::ClickFocus);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    // Should a typed kind be wider than the box, its beginning stays in view (scrolled to
    // the end, "御 納 品 書" would read as "卸 納 品 書").
    const auto showStart = [this] {
        ComboBox1->lineEdit()->setCursorPosition(0);
    };
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, showStart);
    connect(ComboBox1->lineEdit(), &QLineEdit::editingFinished, this, showStart);
    showStart();

    // Tab order of the boxes; buttons and boxes marked as no tab stop take the focus only
    // when clicked.
    QWidget *order[] = {YMD,   NAME1,  TEL, ZIP,   ADDR1,   ADDR2,   StringGrid1,
                        GOKEI, TXRITU, TAX, TOTAL, BitBtn8, BitBtn9, TKANO};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void TDenpyo::FormCreate()
{
    static const char *const headings[] = {"", "品名", "数量", "単価", "金額", "摘要"};
    ++m_programChange;
    for (int c = 0; c < SlipGrid::kColumns; ++c)
        StringGrid1->setCell(c, 0, QString::fromUtf8(headings[c]));
    for (int r = 1; r < SlipGrid::kRows; ++r)
        StringGrid1->setCell(0, r, QString::number(r));
    --m_programChange;
}

void TDenpyo::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_activatePending = true;
}

bool TDenpyo::event(QEvent *event)
{
    const bool result = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && m_activatePending) {
        m_activatePending = false;
        FormActivate();
    }
    return result;
}

void TDenpyo::FormActivate()
{
    YMD->setFocus(Qt::OtherFocusReason);
    TXRITU->setText(store::DMIB ? store::DMIB->mTAX : QString());
    m_rateAtEntry = TXRITU->text();
}

void TDenpyo::YMDEnter()
{
    applyImeMode(YMD, ImeMode::Off);
    // Only a blank box takes today's date: a stored or typed date must survive the focus.
    if (YMD->maskedText() == QStringLiteral("    /  /  ")) {
        const bool wasSaved = !hasUnsavedChanges();
        YMD->setMaskedText(today().toString(QStringLiteral("yyyy/MM/dd")));
        if (wasSaved)
            markSaved();
    }
    YMD->deselect();
    YMD->setCursorPosition(8);
}

bool TDenpyo::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();

    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        const bool in = type == QEvent::FocusIn;
        if (watched == BitBtn14)
            in ? BitBtn10Enter() : BitBtn10Exit();
        else if (watched == BitBtn5)
            in ? BitBtn10Enter3() : BitBtn10Exit3();
        else if (watched == BitBtn9)
            in ? BitBtn10Enter4() : BitBtn10Exit4();
        else if (watched == BitBtn10)
            in ? BitBtn10Enter5() : BitBtn10Exit5();
        else if (watched == BitBtn11)
            in ? BitBtn10Enter6() : BitBtn10Exit6();
        else if (watched == TXRITU && in)
            m_rateAtEntry = TXRITU->text();
    }
    return QDialog::eventFilter(watched, event);
}

void TDenpyo::setCaptionColour(QPushButton *button, bool focused)
{
    // The enabled look only: a disabled button keeps the disabled text colour.
    QPalette pal = button->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor colour =
            focused ? QColor(Qt::red) : QApplication::palette().color(group, QPalette::WindowText);
        pal.setColor(group, QPalette::ButtonText, colour);
    }
    button->setPalette(pal);
}

void TDenpyo::BitBtn10Enter()
{
    setCaptionColour(BitBtn14, true);
}
void TDenpyo::BitBtn10Exit()
{
    setCaptionColour(BitBtn14, false);
}
void TDenpyo::BitBtn10Enter3()
{
    setCaptionColour(BitBtn5, true);
}
void TDenpyo::BitBtn10Exit3()
{
    setCaptionColour(BitBtn5, false);
}
void TDenpyo::BitBtn10Enter4()
{
    setCaptionColour(BitBtn9, true);
}
void TDenpyo::BitBtn10Exit4()
{
    setCaptionColour(BitBtn9, false);
}
void TDenpyo::BitBtn10Enter5()
{
    setCaptionColour(BitBtn10, true);
}
void TDenpyo::BitBtn10Exit5()
{
    setCaptionColour(BitBtn10, false);
}
void TDenpyo::BitBtn10Enter6()
{
    setCaptionColour(BitBtn11, true);
}
void TDenpyo::BitBtn10Exit6()
{
    setCaptionColour(BitBtn11, false);
}

// ---- calculation ----------------------------------------------------------------------

std::array<QString, kLineCount> TDenpyo::amountTexts() const
{
    std::array<QString, kLineCount> amounts;
    for (int r = 1; r <= kLineCount; ++r)
        amounts[size_t(r - 1)] = StringGrid1->cell(ColKingaku, r);
    return amounts;
}

void TDenpyo::Keisan()
{
    const Totals t = SlipCalc::Keisan(amountTexts(), TXRITU->text());
    GOKEI->setText(t.gokei);
    TAX->setText(t.tax);
    TOTAL->setText(t.total);
}

void TDenpyo::reportOnce(const QString &message)
{
    // One error box per user action: a cell committed by Tab and the move into the amount
    // cell that follows would otherwise both report the same fault. The box opens once the
    // action is complete, never in the middle of a grid edit.
    if (m_pendingReport)
        return;
    m_pendingReport = true;
    QPointer<TDenpyo> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, message] {
            if (!self)
                return;
            self->m_pendingReport = false;
            ui::ZdApplication::reportError(message);
        },
        Qt::QueuedConnection);
}

void TDenpyo::computeLine(int row, Trigger trigger)
{
    LineAmount line;
    try {
        line = SlipCalc::lineAmount(StringGrid1->cell(ColSuryo, row),
                                    StringGrid1->cell(ColTanka, row));
    } catch (const ConversionError &e) {
        reportOnce(QString::fromUtf8(e.what()));
        return;
    }
    if (line.outcome == LineAmount::Skip)
        return;
    if (line.outcome == LineAmount::Set) {
        ++m_programChange;
        StringGrid1->setCell(ColKingaku, row, line.text);
        --m_programChange;
    }
    recalculateTotals(trigger);
}

void TDenpyo::recalculateTotals(Trigger trigger)
{
    try {
        Keisan();
        m_rateReported.reset();
    } catch (const ConversionError &e) {
        // Recalculations that follow a line edit show a bad rate once, not at every line;
        // a bad amount is shown each time.
        const QString rate = TXRITU->text();
        const bool rateFault = !SlipCalc::tryStrToFloat(rate) && [this] {
            try {
                SlipCalc::subtotal(amountTexts());
                return true;
            } catch (const ConversionError &) {
                return false;
            }
        }();
        if (!rateFault || trigger != Trigger::CellEdited || m_rateReported != rate)
            reportOnce(QString::fromUtf8(e.what()));
        if (rateFault)
            m_rateReported = rate;
    }
}

void TDenpyo::StringGrid1SelectCell(int ACol, int ARow)
{
    if (ACol != ColKingaku || ARow < 1)
        return;
    computeLine(ARow, Trigger::SelectCell);
}

void TDenpyo::cellChanged(int row, int column)
{
    if (m_programChange > 0 || row < 1)
        return;
    if (column == ColSuryo || column == ColTanka)
        computeLine(row, Trigger::CellEdited);
    else if (column == ColKingaku)
        recalculateTotals(Trigger::CellEdited);
}

void TDenpyo::rateEdited()
{
    if (TXRITU->text() == m_rateAtEntry)
        return;
    m_rateAtEntry = TXRITU->text();
    recalculateTotals(Trigger::RateLeft);
}

// ---- clearing, state --------------------------------------------------------------------

void TDenpyo::emptySlip()
{
    showSlip(Slip{});
}

void TDenpyo::BitBtn12Click()
{
    emptySlip();
    // A cleared form holds nothing that closing could lose.
    markSaved();
}

void TDenpyo::markSaved()
{
    m_saved = shownSlip();
}

bool TDenpyo::hasUnsavedChanges() const
{
    return shownSlip() != m_saved;
}

void TDenpyo::reject()
{
    StringGrid1->commitEdit(); // text still in a cell editor counts as typed
    if (isVisible() && hasUnsavedChanges() && !askYesNo(unsavedChangesQuestion()))
        return;
    QDialog::reject();
}

void TDenpyo::showMessage(const QString &text)
{
    ui::showMessage(this, text);
}

bool TDenpyo::askYesNo(const QString &text)
{
    return ui::askYesNo(this, text);
}

// ---- load and save ----------------------------------------------------------------------

store::Query &TDenpyo::InUpQUERY()
{
    if (!m_query) {
        if (!store::DMIB)
            throw std::runtime_error("no data module");
        m_query = std::make_unique<store::Query>(store::DMIB->IBDatabase1);
    }
    return *m_query;
}

Slip TDenpyo::shownSlip() const
{
    Slip s;
    s.ano = ANO->text();
    s.tkano = TKANO->text();
    s.name = NAME1->text();
    s.zip = ZIP->maskedText();
    s.addr1 = ADDR1->text();
    s.addr2 = ADDR2->text();
    s.tel = TEL->text();
    s.ymd = YMD->maskedText();
    for (int c = 1; c < SlipGrid::kColumns; ++c)
        for (int r = 1; r < SlipGrid::kRows; ++r)
            s.cells[size_t(r - 1)][size_t(c - 1)] = StringGrid1->cell(c, r);
    s.gokei = GOKEI->text();
    s.tax = TAX->text();
    s.total = TOTAL->text();
    return s;
}

void TDenpyo::showSlip(const Slip &s)
{
    ++m_programChange;
    struct Guard
    {
        int &n;
        ~Guard() { --n; }
    } guard{m_programChange};
    ANO->setText(s.ano);
    TKANO->setText(s.tkano);
    NAME1->setText(s.name);
    ZIP->setMaskedText(s.zip);
    ADDR1->setText(s.addr1);
    ADDR2->setText(s.addr2);
    TEL->setText(s.tel);
    YMD->setMaskedText(s.ymd);
    GOKEI->setText(s.gokei);
    TAX->setText(s.tax);
    TOTAL->setText(s.total);
    for (int c = 1; c < SlipGrid::kColumns; ++c)
        for (int r = 1; r < SlipGrid::kRows; ++r)
            StringGrid1->setCell(c, r, s.cells[size_t(r - 1)][size_t(c - 1)]);
}

void TDenpyo::GetDenpyo(int ANO_)
{
    const std::optional<Slip> slip = SlipRecord::load(InUpQUERY(), ANO_);
    if (slip)
        showSlip(*slip);
    else
        emptySlip();
    markSaved();
}

printing::SlipTexts TDenpyo::printTexts() const
{
    StringGrid1->commitEdit();
    printing::SlipTexts t;
    t.kind = ComboBox1->currentText();
    t.ymd = YMD->maskedText();
    t.name = NAME1->text();
    t.zip = ZIP->maskedText();
    t.addr1 = ADDR1->text();
    t.addr2 = ADDR2->text();
    t.tel = TEL->text();
    for (int r = 1; r < SlipGrid::kRows; ++r)
        t.lines[r - 1] = {StringGrid1->cell(1, r), StringGrid1->cell(2, r), StringGrid1->cell(3, r),
                          StringGrid1->cell(4, r), StringGrid1->cell(5, r)};
    t.gokei = GOKEI->text();
    t.tax = TAX->text();
    t.total = TOTAL->text();
    return t;
}

void TDenpyo::BitBtn14Click()
{
    printKokuyo(this, printTexts());
}

void TDenpyo::BitBtn9Click()
{
    printEnvelope(this, BitBtn9->text(), printTexts());
}

void TDenpyo::BitBtn3Click()
{
    StringGrid1->commitEdit();
    const Slip slip = shownSlip();
    QString assigned;
    try {
        if (!store::DMIB)
            throw std::runtime_error("no data module");
        // A date box left incomplete is no date, whatever it reads as.
        if (!YMD->hasAcceptableInput())
            throw SlipSaveError("日付に変換できない値が渡されました");
        assigned = SlipRecord::save(store::DMIB->IBDatabase1, InUpQUERY(), slip, today());
    } catch (const std::exception &) {
        showMessage(kFailed);
        return;
    }
    if (slip.ano.isEmpty()) {
        ++m_programChange;
        ANO->setText(assigned);
        --m_programChange;
    }
    markSaved();
    showMessage(kSaved);
}

void TDenpyo::BitBtn5Click()
{
    printing::previewA4(this, printTexts(), issuerFromSettings(store::DMIB));
}

} // namespace slips
