#include <customers/intokui.h>

#include <store/dmib.h>
#include <ui/handler.h>
#include <ui/imemode.h>
#include <ui/question.h>
#include <ui/widgets.h>
#include <ui/zdapplication.h>

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>

namespace customers {

using ui::ImeMode;

TInTokui *InTokui = nullptr;

namespace {

const QString kSaved = QStringLiteral("登録しました");
const QString kFailed = QStringLiteral("失敗しました");

constexpr int kLabelTops[kTokuiColumns] = {50,  90,  130, 170, 210, 250, 290,
                                           330, 370, 410, 450, 490, 530};
constexpr int kBoxTops[kTokuiColumns] = {63,  103, 143, 183, 223, 263, 304,
                                         344, 384, 424, 464, 504, 545};
// Names and addresses are typed in Japanese, the reading in half-width katakana, codes,
// numbers and dates directly.
constexpr ImeMode kImeModes[kTokuiColumns] = {
    ImeMode::Off,      ImeMode::Off,      ImeMode::Hiragana, ImeMode::HalfKatakana, ImeMode::Off,
    ImeMode::Hiragana, ImeMode::Hiragana, ImeMode::Off,      ImeMode::Off,          ImeMode::Off,
    ImeMode::Hiragana, ImeMode::Off,      ImeMode::Off};

} // namespace

TInTokui::TInTokui(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("InTokui"));
    setWindowTitle(QStringLiteral("InTokui"));
    buildControls();
    markSaved();
}

TInTokui::~TInTokui()
{
    if (InTokui == this)
        InTokui = nullptr;
}

QString TInTokui::unsavedChangesQuestion()
{
    return QStringLiteral("変更が保存されていません。閉じてもよろしいですか？");
}

void TInTokui::buildControls()
{
    setFont(ui::baseFont());
    resize(282, 629);

    // Created in tab order: 閉じる, 新規登録, 保存, then the boxes from top to bottom.
    Panel1 = ui::makePanel(this, QStringLiteral("Panel1"));
    BitBtn2 = ui::makeButton(Panel1, QStringLiteral("BitBtn2"), QStringLiteral("閉じる"),
                             {162, 7, 100, 30});
    BitBtn2->setIcon(ui::doorIcon());
    BitBtn2->setIconSize(QSize(18, 18));
    BitBtn3 = ui::makeButton(Panel1, QStringLiteral("BitBtn3"), QStringLiteral("新規登録"),
                             {12, 6, 100, 30});
    Panel2 = ui::makePanel(this, QStringLiteral("Panel2"));
    BitBtn1 = ui::makeButton(Panel2, QStringLiteral("BitBtn1"), QStringLiteral("保存"),
                             {162, 7, 100, 30});

    QLabel **labels[kTokuiColumns] = {&Label1,  &Label2,  &Label3, &Label4, &Label5,
                                      &Label6,  &Label7,  &Label8, &Label9, &Label10,
                                      &Label11, &Label12, &Label13};
    QLineEdit **boxes[kTokuiColumns] = {&Edit1, &Edit2, &Edit3,  &Edit4,  &Edit5,  &Edit6, &Edit7,
                                        &Edit8, &Edit9, &Edit10, &Edit11, &Edit12, &Edit13};
    const QList<store::FieldDef> &fields = store::QTokuiFields();
    for (int i = 0; i < kTokuiColumns; ++i) {
        const QString n = QString::number(i + 1);
        auto *label = new QLabel(fields[i].displayLabel, this);
        label->setObjectName(QStringLiteral("Label") + n);
        label->move(12, kLabelTops[i]);
        label->adjustSize();
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Edit") + n);
        box->setGeometry(12, kBoxTops[i], 250, 21);
        // A text box holds what its column holds: nothing typed is refused by the store.
        if (fields[i].size > 0)
            box->setMaxLength(fields[i].size);
        ui::applyImeMode(box, kImeModes[i]);
        label->setBuddy(box);
        *labels[i] = label;
        *boxes[i] = box;
        m_boxes[size_t(i)] = box;
    }
    // The number is the record's identity: only loading fills it, only 新規登録 empties it.
    Edit1->setReadOnly(true);
    QPalette yellow = Edit1->palette();
    yellow.setColor(QPalette::Base, Qt::yellow);
    Edit1->setPalette(yellow);

    QWidget *order[] = {BitBtn2, BitBtn3, BitBtn1, Edit1, Edit2,  Edit3,  Edit4,  Edit5,
                        Edit6,   Edit7,   Edit8,   Edit9, Edit10, Edit11, Edit12, Edit13};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    BitBtn2->setFocus();

    connect(BitBtn1, &QPushButton::clicked, this, ui::handler(this, &TInTokui::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, &TInTokui::reject);
    connect(BitBtn3, &QPushButton::clicked, this, ui::handler(this, &TInTokui::BitBtn3Click));
}

void TInTokui::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // Both panels span the width; the bottom one stays at the bottom.
    Panel1->setGeometry(0, 0, width(), 41);
    Panel2->setGeometry(0, height() - 41, width(), 41);
}

void TInTokui::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // What a caller filled in before showing (the slip's customer) is the starting point:
    // closing without touching it loses nothing.
    if (!event->spontaneous() && !m_shownOnce) {
        m_shownOnce = true;
        markSaved();
    }
}

TokuiRecord &TInTokui::record()
{
    if (!m_record) {
        if (!store::DMIB)
            throw std::runtime_error("no data module");
        m_record = std::make_unique<TokuiRecord>(store::DMIB->IBDatabase1);
    }
    return *m_record;
}

TokuiTexts TInTokui::boxTexts() const
{
    TokuiTexts texts;
    for (size_t i = 0; i < m_boxes.size(); ++i)
        texts[i] = m_boxes[i]->text();
    return texts;
}

void TInTokui::setBoxTexts(const TokuiTexts &texts)
{
    for (size_t i = 0; i < m_boxes.size(); ++i)
        m_boxes[i]->setText(texts[i]);
}

void TInTokui::markSaved()
{
    m_savedTexts = boxTexts();
}

bool TInTokui::hasUnsavedChanges() const
{
    return boxTexts() != m_savedTexts;
}

void TInTokui::GetTokui(int iANO)
{
    setBoxTexts(record().load(iANO));
    markSaved();
}

void TInTokui::BitBtn1Click()
{
    const TokuiTexts texts = boxTexts();
    QString *fields[kTokuiColumns] = {&mANO,     &mTKCODE,  &mTKNAME, &mTKNAMEK, &mTKZIP,
                                      &mTKADDR1, &mTKADDR2, &mTKTEL,  &mTKFAX,   &mKEITAI,
                                      &mTKBIKO,  &mSYSDAY,  &mKUBUN1};
    for (int i = 0; i < kTokuiColumns; ++i)
        *fields[i] = texts[size_t(i)];
    QString ano;
    try {
        ano = record().save(texts);
    } catch (const SaveFailed &) {
        // The boxes stay as typed, so the user can correct them and save again.
        ui::showMessage(this, kFailed);
        return;
    }
    Edit1->setText(ano);
    mANO = ano;
    markSaved();
    ui::showMessage(this, kSaved);
}

void TInTokui::BitBtn3Click()
{
    setBoxTexts({});
    // An empty form holds nothing that closing could lose.
    markSaved();
    Edit2->setFocus(Qt::OtherFocusReason);
}

void TInTokui::reject()
{
    if (isVisible() && hasUnsavedChanges() && !ui::askYesNo(this, unsavedChangesQuestion()))
        return;
    QDialog::reject();
}

} // namespace customers
