#include <shell/utility.h>

#include <shell/issuerdialog.h>
#include <store/dmib.h>
#include <ui/handler.h>
#include <ui/imemode.h>
#include <ui/zdapplication.h>

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>

namespace shell {

TUtility *Utility = nullptr;

const QStringList &TUtility::settingNames()
{
    static const QStringList names = {QStringLiteral("SYANAME"),    QStringLiteral("ZIP"),
                                      QStringLiteral("ADDR"),       QStringLiteral("TEL"),
                                      QStringLiteral("FAX"),        QStringLiteral("TAX"),
                                      QStringLiteral("ZipFileName")};
    return names;
}

TUtility::TUtility(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Utility"));
    setWindowTitle(QStringLiteral("Utility"));
    setFont(ui::baseFont());
    setFixedSize(413, 389);

    auto group = [this](const QString &name, const QString &caption, const QRect &r) {
        auto *g = new QGroupBox(caption, this);
        g->setObjectName(name);
        g->setGeometry(r);
        return g;
    };
    GroupBox1 = group(QStringLiteral("GroupBox1"), QStringLiteral("自店情報"), {25, 15, 351, 182});
    LabeledEdit1 = new ui::LabeledEdit(GroupBox1, QStringLiteral("LabeledEdit1"),
                                       QStringLiteral("店名"), {60, 30, 280, 21});
    LabeledEdit2 = new ui::LabeledEdit(GroupBox1, QStringLiteral("LabeledEdit2"),
                                       QStringLiteral("〒"), {60, 57, 280, 21});
    LabeledEdit3 = new ui::LabeledEdit(GroupBox1, QStringLiteral("LabeledEdit3"),
                                       QStringLiteral("住所"), {60, 84, 280, 21});
    LabeledEdit4 = new ui::LabeledEdit(GroupBox1, QStringLiteral("LabeledEdit4"),
                                       QStringLiteral("電話番号"), {60, 111, 280, 21});
    LabeledEdit5 = new ui::LabeledEdit(GroupBox1, QStringLiteral("LabeledEdit5"),
                                       QStringLiteral("FAX"), {60, 138, 280, 21});
    GroupBox2 = group(QStringLiteral("GroupBox2"), QStringLiteral("税率"), {25, 201, 351, 51});
    LabeledEdit6 = new ui::LabeledEdit(GroupBox2, QStringLiteral("LabeledEdit6"),
                                       QStringLiteral("消費税%"), {60, 19, 31, 21});
    LabeledEdit6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    GroupBox3 = group(QStringLiteral("GroupBox3"), QStringLiteral("郵便番号辞書の保存先"),
                      {25, 257, 351, 51});
    LabeledEdit7 = new ui::LabeledEdit(GroupBox3, QStringLiteral("LabeledEdit7"),
                                       QStringLiteral("保存先"), {60, 19, 232, 21});
    BitBtn1 = ui::makeButton(GroupBox3, QStringLiteral("BitBtn1"), QStringLiteral("参照"),
                             {296, 18, 44, 22});
    BitBtn2 = ui::makeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("閉じる"),
                             {276, 330, 100, 30});
    BitBtn2->setIcon(ui::doorIcon());
    BitBtn2->setIconSize(QSize(18, 18));
    BitBtn3 = ui::makeButton(this, QStringLiteral("BitBtn3"), QStringLiteral("設定保存"),
                             {25, 330, 100, 30});

    // The issuer lines: a button of its own between the two buttons of the bottom row, so that
    // the form keeps its boxes and their places.
    BitBtn4 = ui::makeButton(this, QStringLiteral("BitBtn4"), QStringLiteral("発行元..."),
                             {140, 330, 121, 30});

    ui::applyImeMode(LabeledEdit1, ui::ImeMode::Hiragana);
    ui::applyImeMode(LabeledEdit2, ui::ImeMode::Off);
    ui::applyImeMode(LabeledEdit3, ui::ImeMode::Hiragana);
    ui::applyImeMode(LabeledEdit4, ui::ImeMode::Off);
    ui::applyImeMode(LabeledEdit5, ui::ImeMode::Off);
    ui::applyImeMode(LabeledEdit6, ui::ImeMode::Off);
    ui::applyImeMode(LabeledEdit7, ui::ImeMode::Off);

    const QList<QWidget *> order = {LabeledEdit1, LabeledEdit2, LabeledEdit3, LabeledEdit4,
                                    LabeledEdit5, LabeledEdit6, LabeledEdit7, BitBtn1,
                                    BitBtn2,      BitBtn3,      BitBtn4};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(BitBtn1, &QPushButton::clicked, this, ui::handler(this, &TUtility::BitBtn1Click));
    // 閉じる is the cancel button: it and Esc close without saving.
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, ui::handler(this, &TUtility::BitBtn3Click));
    connect(BitBtn4, &QPushButton::clicked, this, ui::handler(this, &TUtility::BitBtn4Click));
}

void TUtility::BitBtn4Click()
{
    TIssuerDialog dialog(this);
    dialog.exec();
}

QList<ui::LabeledEdit *> TUtility::boxes() const
{
    return {LabeledEdit1, LabeledEdit2, LabeledEdit3, LabeledEdit4,
            LabeledEdit5, LabeledEdit6, LabeledEdit7};
}

bool TUtility::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !m_activated) {
        m_activated = true;
        ui::guarded([this] { FormActivate(); });
    }
    return QDialog::event(event);
}

void TUtility::FormActivate()
{
    const QList<ui::LabeledEdit *> edits = boxes();
    for (qsizetype i = 0; i < edits.size(); ++i)
        edits[i]->setText(store::DMIB->ReReg(settingNames()[i]));
}

void TUtility::BitBtn1Click()
{
    const QString start = QFileInfo(LabeledEdit7->text()).absolutePath();
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("郵便番号辞書の場所"), start,
        QStringLiteral("郵便番号辞書 (*.csv *.CSV);;すべてのファイル (*)"));
    if (!file.isEmpty())
        LabeledEdit7->setText(QDir::toNativeSeparators(file));
}

void TUtility::BitBtn3Click()
{
    // Stop at the first value that cannot be written; what was written before stays.
    bool saved = true;
    const QList<ui::LabeledEdit *> edits = boxes();
    try {
        for (qsizetype i = 0; i < edits.size() && saved; ++i)
            saved = store::DMIB->WrRed(settingNames()[i], edits[i]->text());
    } catch (const std::exception &) {
        saved = false;
    }
    ui::showMessage(this, saved ? QStringLiteral("設定を保存しました")
                                : QStringLiteral("設定の保存に失敗しました！"));
}

} // namespace shell
