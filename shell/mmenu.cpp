#include <shell/mmenu.h>

#include <customers/litokui.h>
#include <shell/utility.h>
#include <slips/denpyo.h>
#include <slips/lidenpyo.h>
#include <store/dmib.h>
#include <ui/handler.h>
#include <ui/widgets.h>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>

namespace shell {

TMmenu *Mmenu = nullptr;

TMmenu::TMmenu(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Mmenu"));
    setWindowTitle(QStringLiteral("Mmenu"));
    setFont(ui::baseFont());
    setFixedSize(213, 234);

    BitBtn1 = ui::makeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("納品書"),
                             {27, 15, 160, 30});
    BitBtn2 = ui::makeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("閉じる"),
                             {27, 180, 160, 30});
    BitBtn3 = ui::makeButton(this, QStringLiteral("BitBtn3"), QStringLiteral("伝票一覧"),
                             {27, 53, 160, 30});
    BitBtn4 = ui::makeButton(this, QStringLiteral("BitBtn4"), QStringLiteral("お客様名簿"),
                             {27, 91, 160, 30});
    BitBtn5 =
        ui::makeButton(this, QStringLiteral("BitBtn5"), QStringLiteral("設定"), {27, 130, 160, 30});
    BitBtn2->setIcon(ui::doorIcon());
    BitBtn2->setIconSize(QSize(18, 18));
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
    setTabOrder(BitBtn4, BitBtn5);

    connect(BitBtn1, &QPushButton::clicked, this, ui::handler(this, &TMmenu::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, ui::handler(this, &TMmenu::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, ui::handler(this, &TMmenu::BitBtn3Click));
    connect(BitBtn4, &QPushButton::clicked, this, ui::handler(this, &TMmenu::BitBtn4Click));
    connect(BitBtn5, &QPushButton::clicked, this, ui::handler(this, &TMmenu::BitBtn5Click));
}

void TMmenu::keyPressEvent(QKeyEvent *event)
{
    // 閉じる is the cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn2->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TMmenu::event(QEvent *event)
{
    // Activation runs once: modal windows hand the focus back without a new activation.
    if (event->type() == QEvent::WindowActivate && !m_activated) {
        m_activated = true;
        ui::guarded([this] { FormActivate(); });
    }
    return QWidget::event(event);
}

void TMmenu::FormActivate()
{
    store::DMIB->WrRed(QStringLiteral("ExeFilePass"), store::programFolder());
}

void TMmenu::openModal(QDialog *form)
{
    struct Disconnect
    {
        ~Disconnect() { store::DMIB->IBDatabase1.disconnect(); }
    } disconnectAfter; // also when the window fails to open
    form->exec();
    form->deleteLater();
}

void TMmenu::BitBtn1Click()
{
    slips::Denpyo = new slips::TDenpyo(this);
    openModal(slips::Denpyo);
}

void TMmenu::BitBtn2Click()
{
    QApplication::quit();
}

void TMmenu::BitBtn3Click()
{
    slips::LiDenpyo = new slips::TLiDenpyo(this);
    openModal(slips::LiDenpyo);
}

void TMmenu::BitBtn4Click()
{
    // Browsing: OK and キャンセル stay hidden.
    customers::LiTokui = new customers::TLiTokui(this);
    openModal(customers::LiTokui);
}

void TMmenu::BitBtn5Click()
{
    Utility = new TUtility(this);
    openModal(Utility);
}

} // namespace shell
