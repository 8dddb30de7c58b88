#include <slips/lidenpyo.h>

#include <slips/denpyo.h>
#include <slips/slipsearch.h>
#include <store/dmib.h>
#include <store/query.h>
#include <ui/dbgrid.h>
#include <ui/halfwidth.h>
#include <ui/handler.h>
#include <ui/imemode.h>
#include <ui/widgets.h>
#include <ui/zdapplication.h>

#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace slips {

TLiDenpyo *LiDenpyo = nullptr;

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, int left, int top)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

QList<ui::GridColumn> TLiDenpyo::gridColumns()
{
    using F = ui::GridColumn::Format;
    const struct
    {
        const char *column;
        int width;
        F format;
    } shown[] = {{"ANO", 0, F::Text},     {"YMD", 0, F::Date},   {"TKNAME", 0, F::Text},
                 {"GOKEI", 80, F::Money}, {"TAX", 80, F::Money}, {"TOTAL", 80, F::Money}};
    QList<ui::GridColumn> columns;
    for (const auto &s : shown) {
        for (const store::FieldDef &f : SlipSearch::QDenpyoFields()) {
            if (f.column != QLatin1String(s.column))
                continue;
            ui::GridColumn c = ui::gridColumn(f, s.width, s.format);
            // Numbers stand on the right, as a column of figures does.
            if (f.column != QLatin1String("TKNAME") && f.column != QLatin1String("YMD"))
                c.alignment = Qt::AlignRight;
            columns << c;
        }
    }
    return columns;
}

TLiDenpyo::TLiDenpyo(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("LiDenpyo"));
    setWindowTitle(QStringLiteral("LiDenpyo"));
    setFont(ui::baseFont());
    resize(1134, 629);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Created in tab order: the search group, 閉じる, 伝票開く, then the grid.
    Panel1 = ui::makePanel(this, QStringLiteral("Panel1"), 151);
    GroupBox1 = new QGroupBox(QStringLiteral("検索"), Panel1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(20, 9, 326, 131);
    // The frame's top line runs through the caption, so that 年月指定 at the top of the box
    // stands inside the frame as laid out, not on its line.
    GroupBox1->setStyleSheet(QStringLiteral(
        "QGroupBox#GroupBox1 { border: 1px solid palette(mid); margin-top: 7px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: margin; left: 8px; padding: 0 2px;"
        " background: palette(window); }"));
    const QFont big = ui::fontFor(QStringLiteral("Tahoma"), 12);
    auto box = [&](const QString &name, const QRect &geometry, int maxLength, ui::ImeMode ime) {
        auto *e = new QLineEdit(GroupBox1);
        e->setObjectName(name);
        e->setGeometry(geometry);
        e->setFont(big);
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        ui::applyImeMode(e, ime);
        return e;
    };
    Y1 = box(QStringLiteral("Y1"), {45, 29, 48, 27}, 4, ui::ImeMode::Off);
    M1 = box(QStringLiteral("M1"), {112, 29, 28, 27}, 2, ui::ImeMode::Off);
    Y1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    M1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Number boxes with the input method off take half-width digits, whatever arrives.
    ui::acceptHalfWidthOnly(Y1);
    ui::acceptHalfWidthOnly(M1);
    Edit1 = box(QStringLiteral("Edit1"), {45, 64, 271, 27}, 0, ui::ImeMode::Hiragana);
    BitBtn2 = ui::makeButton(GroupBox1, QStringLiteral("BitBtn2"), QStringLiteral("クリア"),
                             {45, 100, 75, 25});
    BitBtn1 = ui::makeButton(GroupBox1, QStringLiteral("BitBtn1"), QStringLiteral("検索開始"),
                             {216, 97, 100, 30});
    Label1 = makeLabel(GroupBox1, QStringLiteral("Label1"), QStringLiteral("年月指定"), 45, 12);
    Label3 = makeLabel(GroupBox1, QStringLiteral("Label3"), QStringLiteral("年"), 96, 36);
    Label4 = makeLabel(GroupBox1, QStringLiteral("Label4"), QStringLiteral("月"), 142, 36);
    Label2 = makeLabel(GroupBox1, QStringLiteral("Label2"), QStringLiteral("名前"), 15, 71);
    // A style sheet's box does not hand the window's font down by itself.
    for (QWidget *w : std::initializer_list<QWidget *>{GroupBox1, BitBtn1, BitBtn2, Label1, Label2,
                                                       Label3, Label4})
        w->setFont(ui::baseFont());
    for (QLabel *l : {Label1, Label2, Label3, Label4})
        l->adjustSize();

    BitBtn3 = ui::makeButton(Panel1, QStringLiteral("BitBtn3"), QStringLiteral("閉じる"),
                             {980, 20, 100, 30});
    BitBtn3->setIcon(ui::doorIcon());
    BitBtn3->setIconSize(QSize(18, 18));
    BitBtn4 = ui::makeButton(Panel1, QStringLiteral("BitBtn4"), QStringLiteral("伝票開く"),
                             {360, 105, 100, 30});

    DBGrid1 = new ui::DbGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    Panel2 = ui::makePanel(this, QStringLiteral("Panel2"), 41);

    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Panel2);

    QWidget *order[] = {Y1, M1, Edit1, BitBtn2, BitBtn1, BitBtn3, BitBtn4, DBGrid1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    Y1->setFocus();

    if (store::DMIB) {
        m_QDenpyo = std::make_unique<store::Query>(store::DMIB->IBDatabase1);
        for (const QString &line : SlipSearch::designSql())
            m_QDenpyo->sql().add(line);
        QStringList columns;
        for (const store::FieldDef &f : SlipSearch::QDenpyoFields())
            columns << f.column;
        m_QDenpyo->declareFields(columns);
        DBGrid1->setQuery(m_QDenpyo.get(), gridColumns());
    }

    connect(BitBtn1, &QPushButton::clicked, this, ui::handler(this, &TLiDenpyo::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, ui::handler(this, &TLiDenpyo::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, &TLiDenpyo::reject);
    connect(BitBtn4, &QPushButton::clicked, this, ui::handler(this, &TLiDenpyo::BitBtn4Click));
    // Only typing moves the focus on: a month written back by M1Exit must not.
    for (QLineEdit *e : {Y1, M1})
        connect(e, &QLineEdit::textEdited, this, [this, e] { Y1Change(e); });
    M1->installEventFilter(this);
    // Return in a search box searches, as 検索開始 does.
    for (QLineEdit *e : {Y1, M1, Edit1})
        connect(e, &QLineEdit::returnPressed, this, ui::handler(this, &TLiDenpyo::BitBtn1Click));
}

TLiDenpyo::~TLiDenpyo()
{
    if (LiDenpyo == this)
        LiDenpyo = nullptr;
    // The grid lets go of the query before the query goes.
    DBGrid1->setQuery(nullptr, {});
}

bool TLiDenpyo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == M1 && event->type() == QEvent::FocusOut) {
        // Another window coming to the front (a message box among them) is no leaving of the
        // box: the focus comes back to it.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            ui::guarded([this] { M1Exit(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TLiDenpyo::Y1Change(QLineEdit *box)
{
    if (box->text().size() == box->maxLength())
        focusNextChild();
}

void TLiDenpyo::M1Exit()
{
    if (M1->text().isEmpty())
        return;
    int month = 0;
    try {
        month = SlipSearch::toInteger(M1->text());
    } catch (const SearchInputError &e) {
        reportMonthError(e.message());
        return;
    }
    M1->setText(QString::asprintf("%.2d", month));
}

void TLiDenpyo::reportMonthError(const QString &message)
{
    // Once per leaving: the box is shown after the focus has moved on, and whatever the
    // box does to the focus while it shows or closes does not report it again.
    if (m_showingMonthError || !m_monthError.isEmpty())
        return;
    m_monthError = message;
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QString text = std::exchange(m_monthError, QString());
            if (text.isEmpty() || !isVisible())
                return;
            m_showingMonthError = true;
            ui::ZdApplication::reportError(text);
            m_showingMonthError = false;
        },
        Qt::QueuedConnection);
}

void TLiDenpyo::BitBtn1Click()
{
    // A month left just now with a bad text: the search reports it itself.
    m_monthError.clear();
    if (!m_QDenpyo)
        throw std::runtime_error("no data module");
    store::Query &q = *m_QDenpyo;
    SlipSearch::prepare(q, Y1->text(), M1->text(), Edit1->text());
    if (!Edit1->text().isEmpty())
        ui::showMessage(this, SlipSearch::nameMessage(Edit1->text()));
    q.open();
}

void TLiDenpyo::BitBtn2Click()
{
    Y1->clear();
    M1->clear();
    Edit1->clear();
}

void TLiDenpyo::BitBtn4Click()
{
    auto *form = new TDenpyo(this);
    Denpyo = form;
    // Released in every case, also when loading fails and the form is never shown.
    struct Release
    {
        TDenpyo *form;
        ~Release() { form->deleteLater(); }
    } release{form};
    const int ano = m_QDenpyo ? int(m_QDenpyo->fieldByName(QStringLiteral("ANO")).asInteger()) : 0;
    form->GetDenpyo(ano);
    form->exec();
}

} // namespace slips
