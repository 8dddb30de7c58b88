#include <postal/zipfind.h>

#include <postal/dictionary.h>

#include <store/dmib.h>
#include <ui/glyphs.h>
#include <ui/handler.h>
#include <ui/imemode.h>
#include <ui/question.h>
#include <ui/widgets.h>
#include <ui/zdapplication.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <exception>

namespace postal {

TZIPFIND *ZIPFIND = nullptr;

namespace {

const QString kZipFileName = QStringLiteral("ZipFileName");

// The result list keeps its items 13 pixels high, however the font measures.
class ItemHeightDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 13};
    }
};

} // namespace

/// While a search runs: the waiting cursor, and a window that takes no input. Ending it,
/// on every path, brings both back.
class TZIPFIND::SearchState
{
public:
    explicit SearchState(TZIPFIND &window)
        : m_window(window)
    {
        m_window.m_searching = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_window.setEnabled(false);
        // Shows the cursor and the greyed window before a long first reading.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~SearchState()
    {
        // Clicks and keys that came during the search reach a disabled window, which drops
        // them, instead of acting once it is enabled again.
        QCoreApplication::processEvents();
        m_window.setEnabled(true);
        QApplication::restoreOverrideCursor();
        m_window.m_searching = false;
    }
    SearchState(const SearchState &) = delete;
    SearchState &operator=(const SearchState &) = delete;

private:
    TZIPFIND &m_window;
};

TZIPFIND::TZIPFIND(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("ZIPFIND"));
    setWindowTitle(QStringLiteral("ZIPFIND"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(ui::baseFont());
    resize(652, 396);
    buildControls();
}

TZIPFIND::~TZIPFIND()
{
    if (ZIPFIND == this)
        ZIPFIND = nullptr;
}

QString TZIPFIND::noDictionaryMessage()
{
    return QStringLiteral("郵便番号辞書の場所がありません！");
}

QString TZIPFIND::noSelectionMessage()
{
    return QStringLiteral("住所が選択されてません");
}

QString TZIPFIND::saveQuestion()
{
    return QStringLiteral("設定を保存しますか？");
}

QString TZIPFIND::countText(int count)
{
    return QStringLiteral("検索件数= ") + QString::number(count);
}

void TZIPFIND::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = ui::makePanel(this, QStringLiteral("Panel1"), 61);
    Panel2 = ui::makePanel(this, QStringLiteral("Panel2"), 61);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true); // a whole dictionary may be listed
    ListBox1->setItemDelegate(new ItemHeightDelegate(ListBox1));

    layout->addWidget(Panel1);
    layout->addWidget(ListBox1, 1);
    layout->addWidget(Panel2);

    Label1 = new QLabel(QStringLiteral("検索件数"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(15, 44, 48, 13);

    BitBtn1 = ui::makeButton(Panel1, QStringLiteral("BitBtn1"), QStringLiteral("検索開始"),
                             {252, 18, 75, 25});
    ZIP = new QLineEdit(Panel1);
    ZIP->setObjectName(QStringLiteral("ZIP"));
    ZIP->setGeometry(15, 20, 231, 21);
    ui::applyImeMode(ZIP, ui::ImeMode::Hiragana); // codes and addresses alike
    BitBtn3 = ui::makeButton(Panel1, QStringLiteral("BitBtn3"), QStringLiteral("決定"),
                             {406, 18, 75, 25});
    BitBtn3->setIcon(ui::glyphIcon(ui::Glyph::Check));
    BitBtn4 = ui::makeButton(Panel1, QStringLiteral("BitBtn4"), QStringLiteral("キャンセル"),
                             {560, 18, 75, 25});
    BitBtn4->setIcon(ui::glyphIcon(ui::Glyph::Cross));

    BitBtn2 = ui::makeButton(Panel2, QStringLiteral("BitBtn2"), QStringLiteral("辞書の場所"),
                             {15, 18, 75, 25});
    KEN_ALL = new QLineEdit(Panel2);
    KEN_ALL->setObjectName(QStringLiteral("KEN_ALL"));
    KEN_ALL->setGeometry(95, 20, 301, 21);
    ui::applyImeMode(KEN_ALL, ui::ImeMode::Off);

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    // "*" for every name: "*.*" would leave out names without a dot here. The .csv filter
    // takes KEN_ALL.CSV too, as the file dialog compares names without regard to case.
    OpenDialog1->setNameFilters(
        {QStringLiteral("郵便番号辞書 (*.csv)"), QStringLiteral("全てのファイル (*)")});

    // Tab order: the top panel's controls, the bottom panel's, then the list.
    QWidget *order[] = {BitBtn1, ZIP, BitBtn3, BitBtn4, BitBtn2, KEN_ALL, ListBox1};
    for (QWidget *w : order)
        w->setFocusPolicy(Qt::StrongFocus);
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    BitBtn1->setFocus();

    connect(BitBtn1, &QPushButton::clicked, this, ui::handler(this, &TZIPFIND::FindADDR));
    connect(BitBtn2, &QPushButton::clicked, this, ui::handler(this, &TZIPFIND::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, ui::handler(this, &TZIPFIND::BitBtn3Click));
    connect(BitBtn4, &QPushButton::clicked, this, &TZIPFIND::reject);
    // A double click on a result confirms it, as 決定 does.
    connect(ListBox1, &QListWidget::itemDoubleClicked, BitBtn3, &QPushButton::click);
}

void TZIPFIND::showEvent(QShowEvent *event)
{
    // Not QDialog's: that centres the window over its owner, and this one stands where the
    // window system puts a new window.
    QWidget::showEvent(event);
    if (!m_activated && !event->spontaneous())
        QMetaObject::invokeMethod(this, &TZIPFIND::activateOnce, Qt::QueuedConnection);
}

bool TZIPFIND::event(QEvent *event)
{
    const bool result = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && isVisible())
        activateOnce();
    return result;
}

// The window becomes active again whenever a message box or the file dialog closes; the
// opening check runs only the first time, so a path chosen without saving stays.
void TZIPFIND::activateOnce()
{
    if (m_activated || !isVisible())
        return;
    m_activated = true;
    ui::guarded([this] { FormActivate(); });
}

void TZIPFIND::FormActivate()
{
    const QString path = store::DMIB ? store::DMIB->ReReg(kZipFileName) : QString();
    // A folder does not count; a link counts when what it points to is a file.
    if (!path.isEmpty() && QFileInfo(path).isFile())
        KEN_ALL->setText(path);
    else
        ui::showMessage(this, noDictionaryMessage());
}

void TZIPFIND::keyPressEvent(QKeyEvent *event)
{
    // Return on a button presses it, as everywhere on the desktop; in the search box it
    // searches, on a result it confirms it; in the dictionary box it does nothing.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        QWidget *focus = focusWidget();
        if (auto *button = qobject_cast<QPushButton *>(focus))
            button->click();
        else if (focus == ZIP)
            BitBtn1->click();
        else if (focus == ListBox1 && ListBox1->currentRow() >= 0)
            BitBtn3->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TZIPFIND::reject()
{
    if (m_searching)
        return;
    QDialog::reject();
}

void TZIPFIND::FindADDR()
{
    if (m_searching)
        return;
    const QString text = ZIP->text();
    if (text.isEmpty())
        return;
    if (KEN_ALL->text().isEmpty()) {
        ui::showMessage(this, noDictionaryMessage());
        return;
    }

    std::exception_ptr failure;
    {
        SearchState searching(*this);
        try {
            const auto keepPainting = [] {
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            };
            const SearchOutcome outcome =
                PostalDictionary::shared().search(KEN_ALL->text(), text, keepPainting);
            showResults(outcome.entries);
            if (!outcome.error.isEmpty())
                throw DictionaryError(outcome.error);
        } catch (...) {
            failure = std::current_exception();
        }
        Label1->setText(countText(ListBox1->count()));
        Label1->resize(std::max(48, Label1->sizeHint().width()), 13);
    }
    ListBox1->setFocus(Qt::OtherFocusReason);
    if (failure)
        std::rethrow_exception(failure);
}

void TZIPFIND::showResults(const QList<PostalEntry> &entries)
{
    ListBox1->clear();
    m_results.clear();
    QStringList items;
    items.reserve(entries.size());
    for (const PostalEntry &e : entries)
        items.append(e.item());
    m_results = entries;
    ListBox1->addItems(items);
}

void TZIPFIND::BitBtn2Click()
{
    const QFileInfo current(KEN_ALL->text());
    if (!KEN_ALL->text().isEmpty() && current.absoluteDir().exists())
        OpenDialog1->setDirectory(current.absolutePath());
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty())
        return;
    const QString chosen = OpenDialog1->selectedFiles().constFirst();
    KEN_ALL->setText(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
    if (!askYesNo(saveQuestion()))
        return; // this opening uses the path; the stored one stays
    const bool saved = store::DMIB && store::DMIB->WrRed(kZipFileName, KEN_ALL->text());
    ui::showMessage(this, saved ? QStringLiteral("設定を保存しました")
                                : QStringLiteral("設定を保存出来ませんでした！"));
}

void TZIPFIND::BitBtn3Click()
{
    setResult(QDialog::Accepted);
    const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    const int row = selected.isEmpty() ? -1 : ListBox1->row(selected.constFirst());
    if (row < 0 || row >= m_results.size()) {
        ui::showMessage(this, noSelectionMessage());
        setResult(0);
        return;
    }
    // The code and the address as the line gave them, not cut from the item's text at
    // fixed places: a code of another length must not shift the address.
    fZIP = m_results.at(row).zip;
    fADDR = callerAddress(m_results.at(row).address);
    accept();
}

bool TZIPFIND::askYesNo(const QString &question)
{
    return ui::askYesNo(this, question, true);
}

} // namespace postal
