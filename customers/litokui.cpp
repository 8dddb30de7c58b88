#include <customers/litokui.h>

#include <customers/intokui.h>
#include <customers/tokuirecord.h>
#include <store/dmib.h>
#include <ui/dbgrid.h>
#include <ui/glyphs.h>
#include <ui/handler.h>
#include <ui/imemode.h>
#include <ui/widgets.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace customers {

TLiTokui *LiTokui = nullptr;

namespace {

store::Query &QTokui()
{
    if (!store::DMIB)
        throw std::runtime_error("no data module");
    return store::DMIB->QTokui;
}

} // namespace

QList<ui::GridColumn> TLiTokui::gridColumns()
{
    const struct
    {
        const char *column;
        int width;
    } shown[] = {{"ANO", 0},       {"TKNAME", 231}, {"TKZIP", 0},
                 {"TKADDR1", 273}, {"TKADDR2", 0},  {"TKTEL", 0}};
    QList<ui::GridColumn> columns;
    for (const auto &s : shown) {
        for (const store::FieldDef &f : store::QTokuiFields()) {
            if (f.column != QLatin1String(s.column))
                continue;
            ui::GridColumn c = ui::gridColumn(f, s.width);
            if (f.size == 0) // the number
                c.alignment = Qt::AlignRight;
            columns << c;
        }
    }
    return columns;
}

TLiTokui::TLiTokui(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("LiTokui"));
    setWindowTitle(QStringLiteral("LiTokui"));
    setFont(ui::baseFont());
    resize(1134, 629);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Created in tab order: the search box and the top buttons, the grid, OK and キャンセル.
    Panel1 = ui::makePanel(this, QStringLiteral("Panel1"), 71);
    LabeledEdit1 =
        new ui::LabeledEdit(Panel1, QStringLiteral("LabeledEdit1"), QStringLiteral("得意先名"),
                            {35, 25, 166, 27}, ui::LabeledEdit::LabelPosition::Above);
    LabeledEdit1->setFont(ui::fontFor(QStringLiteral("Tahoma"), 12));
    ui::applyImeMode(LabeledEdit1, ui::ImeMode::Hiragana);
    BitBtn1 = ui::makeButton(Panel1, QStringLiteral("BitBtn1"), QStringLiteral("検索実行"),
                             {210, 25, 100, 30});
    BitBtn2 = ui::makeButton(Panel1, QStringLiteral("BitBtn2"), QStringLiteral("得意先情報"),
                             {330, 25, 100, 30});
    BitBtn3 = ui::makeButton(Panel1, QStringLiteral("BitBtn3"), QStringLiteral("閉じる"),
                             {995, 22, 100, 30});
    BitBtn3->setIcon(ui::doorIcon());
    BitBtn3->setIconSize(QSize(18, 18));

    DBGrid1 = new ui::DbGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));

    Panel2 = ui::makePanel(this, QStringLiteral("Panel2"), 41);
    BitBtn4 =
        ui::makeButton(Panel2, QStringLiteral("BitBtn4"), QStringLiteral("OK"), {35, 6, 100, 30});
    BitBtn4->setIcon(ui::glyphIcon(ui::Glyph::Check));
    BitBtn5 = ui::makeButton(Panel2, QStringLiteral("BitBtn5"), QStringLiteral("キャンセル"),
                             {235, 6, 100, 30});
    BitBtn5->setIcon(ui::glyphIcon(ui::Glyph::Cross));
    // Only a picking caller offers OK and キャンセル.
    for (QPushButton *b : {BitBtn4, BitBtn5}) {
        b->setVisible(false);
        b->setEnabled(false);
    }

    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Panel2);

    QWidget *order[] = {LabeledEdit1, BitBtn1, BitBtn2, BitBtn3, DBGrid1, BitBtn4, BitBtn5};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    LabeledEdit1->setFocus();

    // The grid shows whatever the shared query holds now; it is not opened here.
    if (store::DMIB)
        DBGrid1->setQuery(&store::DMIB->QTokui, gridColumns());

    connect(BitBtn1, &QPushButton::clicked, this, ui::handler(this, &TLiTokui::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, ui::handler(this, &TLiTokui::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, &TLiTokui::reject);
    connect(BitBtn4, &QPushButton::clicked, this, &TLiTokui::accept);
    connect(BitBtn5, &QPushButton::clicked, this, &TLiTokui::reject);
    // Return in the name box searches, as the button next to it does.
    connect(LabeledEdit1, &QLineEdit::returnPressed, this,
            ui::handler(this, &TLiTokui::BitBtn1Click));
}

TLiTokui::~TLiTokui()
{
    if (LiTokui == this)
        LiTokui = nullptr;
}

void TLiTokui::BitBtn1Click()
{
    TokuiRecord::search(QTokui(), LabeledEdit1->text());
}

void TLiTokui::BitBtn2Click()
{
    auto *form = new TInTokui(this);
    InTokui = form;
    // Released in every case, also when loading fails and the form is never shown.
    struct Release
    {
        TInTokui *form;
        ~Release() { form->deleteLater(); }
    } release{form};
    form->GetTokui(TokuiRecord::currentAno(QTokui()));
    form->exec();
}

} // namespace customers
