#include <shell/issuerdialog.h>

#include <store/dmib.h>
#include <ui/handler.h>
#include <ui/imemode.h>
#include <ui/zdapplication.h>

#include <QLabel>

namespace shell {

TIssuerDialog::TIssuerDialog(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("IssuerDialog"));
    setWindowTitle(QStringLiteral("伝票の発行元"));
    setFont(ui::baseFont());
    setFixedSize(413, 200);

    auto *note = new QLabel(QStringLiteral("ｺｸﾖ伝票の発行元欄に、店名・住所・電話番号・FAXに続けて"
                                           "印刷します。空欄の行は印刷しません。"),
                            this);
    note->setWordWrap(true);
    note->setGeometry(25, 10, 363, 30);
    edADDR2 = new ui::LabeledEdit(this, QStringLiteral("edADDR2"), QStringLiteral("住所２"),
                                  {85, 48, 303, 21});
    edTEL2 = new ui::LabeledEdit(this, QStringLiteral("edTEL2"), QStringLiteral("電話番号２"),
                                 {85, 75, 303, 21});
    edBANK1 = new ui::LabeledEdit(this, QStringLiteral("edBANK1"), QStringLiteral("口座１"),
                                  {85, 102, 303, 21});
    edBANK2 = new ui::LabeledEdit(this, QStringLiteral("edBANK2"), QStringLiteral("口座２"),
                                  {85, 129, 303, 21});
    ui::applyImeMode(edADDR2, ui::ImeMode::Hiragana);
    ui::applyImeMode(edTEL2, ui::ImeMode::Off);
    ui::applyImeMode(edBANK1, ui::ImeMode::Hiragana);
    ui::applyImeMode(edBANK2, ui::ImeMode::Hiragana);
    btSave = ui::makeButton(this, QStringLiteral("btSave"), QStringLiteral("設定保存"),
                            {25, 162, 100, 30});
    btClose = ui::makeButton(this, QStringLiteral("btClose"), QStringLiteral("閉じる"),
                             {288, 162, 100, 30});
    btClose->setIcon(ui::doorIcon());
    connect(btSave, &QPushButton::clicked, this, ui::handler(this, &TIssuerDialog::btSaveClick));
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);

    const QStringList &names = store::TDMIB::issuerSettingNames();
    const QList<ui::LabeledEdit *> edits = boxes();
    for (qsizetype i = 0; i < edits.size(); ++i)
        edits[i]->setText(store::DMIB ? store::DMIB->ReReg(names[i]) : QString());
}

void TIssuerDialog::btSaveClick()
{
    bool saved = store::DMIB != nullptr;
    const QStringList &names = store::TDMIB::issuerSettingNames();
    const QList<ui::LabeledEdit *> edits = boxes();
    try {
        for (qsizetype i = 0; i < edits.size() && saved; ++i)
            saved = store::DMIB->WrRed(names[i], edits[i]->text());
    } catch (const std::exception &) {
        saved = false;
    }
    // Like the shop's other details, these reach the printed slips at the next start: the
    // data module keeps what it read then, so every issuer line of one slip comes from the
    // same moment.
    ui::showMessage(this, saved ? QStringLiteral("設定を保存しました")
                                : QStringLiteral("設定の保存に失敗しました！"));
}

} // namespace shell
