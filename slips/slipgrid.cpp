#include <slips/slipgrid.h>

#include <slips/calc.h>
#include <slips/sliprecord.h>
#include <store/tables.h>
#include <ui/halfwidth.h>
#include <ui/imemode.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace slips {

using ui::applyImeMode;
using ui::imeHints;
using ui::ImeMode;

namespace {

const int kColumnWidths[SlipGrid::kColumns] = {13, 350, 70, 90, 90, 105};
constexpr int kRowHeight = 24;
constexpr int kGridLine = 1;

bool isNumberColumn(int column)
{
    return column == ColSuryo || column == ColTanka || column == ColKingaku;
}

} // namespace

SlipGrid::SlipGrid(QWidget *parent)
    : QTableWidget(kRows, kColumns, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    for (int c = 0; c < kColumns; ++c)
        setColumnWidth(c, kColumnWidths[c] + kGridLine);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLine);
    setItemDelegate(new SlipGridDelegate(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);

    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            auto *item = new QTableWidgetItem;
            // Fixed cells are neither enabled nor selectable, so the cursor and Tab skip them.
            if (isFixedCell(c, r))
                item->setFlags(Qt::NoItemFlags);
            setItem(r, c, item);
        }
    }

    connect(this, &QTableWidget::itemChanged, this, &SlipGrid::onItemChanged);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int, int column, int, int) { applyColumnImeMode(column); });
    applyColumnImeMode(ColHinmei);
}

QString SlipGrid::cell(int column, int row) const
{
    const QTableWidgetItem *it = item(row, column);
    return it ? it->text() : QString();
}

void SlipGrid::setCell(int column, int row, const QString &text)
{
    if (QTableWidgetItem *it = item(row, column))
        it->setText(text);
}

void SlipGrid::commitEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

QModelIndex SlipGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (action == MoveNext && current.row() == kRows - 1 && current.column() == kColumns - 1)
        return model()->index(1, 1);
    if (action == MovePrevious && current.row() == 1 && current.column() == 1)
        return model()->index(kRows - 1, kColumns - 1);
    return QTableWidget::moveCursor(action, modifiers);
}

void SlipGrid::inputMethodEvent(QInputMethodEvent *event)
{
    const QModelIndex index = currentIndex();
    if (state() != EditingState && !event->commitString().isEmpty() &&
        event->preeditString().isEmpty() && index.isValid() &&
        (index.flags() & Qt::ItemIsEditable) && edit(index, AllEditTriggers, nullptr)) {
        if (QWidget *editor = indexWidget(index)) {
            QCoreApplication::sendEvent(editor, event);
            return;
        }
    }
    QTableWidget::inputMethodEvent(event);
}

void SlipGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && (mods & Qt::ControlModifier)) {
        leaveGrid(key == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
        return;
    }
    if (state() != EditingState && mods == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_Escape:
            event->ignore();
            return;
        case Qt::Key_Delete:
        case Qt::Key_Backspace: {
            QModelIndexList cells = selectedIndexes();
            if (cells.isEmpty() && currentIndex().isValid())
                cells << currentIndex();
            for (const QModelIndex &i : cells)
                if (!isFixedCell(i.column(), i.row()))
                    setCell(i.column(), i.row(), QString());
            return;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F2:
            if (currentIndex().isValid())
                edit(currentIndex(), EditKeyPressed, event);
            return;
        default:
            break;
        }
    }
    QTableWidget::keyPressEvent(event);
}

void SlipGrid::focusInEvent(QFocusEvent *event)
{
    QTableWidget::focusInEvent(event);
    // Without a current cell typed text went nowhere and the next Tab left the grid.
    if (event->reason() == Qt::TabFocusReason)
        setCurrentCell(1, 1);
    else if (event->reason() == Qt::BacktabFocusReason)
        setCurrentCell(kRows - 1, kColumns - 1);
}

void SlipGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
        index.isValid() && selectionModel()->isSelected(index) &&
        selectionModel()->selectedIndexes().size() > 1)
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    QTableWidget::mousePressEvent(event);
}

void SlipGrid::leaveGrid(bool forward)
{
    commitEdit();
    // The next control in the window's focus chain that takes Tab, outside the grid and its
    // editors.
    QWidget *w = this;
    for (int guard = 0; guard < 1000; ++guard) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == this)
            return;
        if (isAncestorOf(w) || w->window() != window())
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(window())) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

int SlipGrid::maxLengthForColumn(int column)
{
    if (column < 1 || column >= kColumns)
        return 0;
    return store::columnWidth(store::denpyoColumns(), SlipRecord::cellColumn(column, 1));
}

Qt::InputMethodHints SlipGrid::hintsForColumn(int column)
{
    return imeHints(column == ColHinmei ? ImeMode::Hiragana : ImeMode::Off);
}

void SlipGrid::onItemChanged(QTableWidgetItem *item)
{
    if (!item || m_normalising)
        return;
    if (item->row() > 0 && isNumberColumn(item->column())) {
        const QString shown = SlipCalc::normaliseCell(item->column(), item->text());
        if (shown != item->text()) {
            m_normalising = true;
            item->setText(shown);
            m_normalising = false;
        }
    }
    emit cellTextChanged(item->column(), item->row());
}

void SlipGrid::applyColumnImeMode(int column)
{
    setInputMethodHints(hintsForColumn(column));
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImHints);
}

void SlipGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    SlipGrid::StringGrid1DrawCell(painter, option, index);
}

Qt::Alignment SlipGrid::cellAlignment(int column)
{
    // Headings included: a number column's heading stands over its right-aligned numbers.
    return (isNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop;
}

void SlipGrid::StringGrid1DrawCell(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index)
{
    const int column = index.column();
    const int row = index.row();
    const bool fixed = column == 0 || row == 0;
    const QPalette &pal = option.palette;
    const bool selected = !fixed && (option.state & QStyle::State_Selected);

    painter->save();
    const QRect rect = option.rect;
    QColor background = pal.color(QPalette::Base);
    QColor textColor = pal.color(QPalette::Text);
    if (fixed) {
        // Fixed cells are disabled items; they still draw in the active colours.
        background = pal.color(QPalette::Active, QPalette::Button);
        textColor = pal.color(QPalette::Active, QPalette::ButtonText);
    } else if (selected) {
        background = pal.color(QPalette::Highlight);
        textColor = pal.color(QPalette::HighlightedText);
    }
    painter->fillRect(rect, background);
    if (fixed) {
        // Classic raised heading: light top and left edges, dark bottom and right.
        painter->setPen(pal.color(QPalette::Active, QPalette::Light));
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(pal.color(QPalette::Active, QPalette::Dark));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
    }
    const QRect textRect = rect.adjusted(2, 2, -2, -2);
    const Qt::Alignment align = cellAlignment(column);
    painter->setFont(option.font);
    painter->setPen(textColor);
    painter->drawText(textRect, int(align) | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    if (!fixed && (option.state & QStyle::State_HasFocus)) {
        painter->setPen(QPen(textColor, 1, Qt::DotLine));
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QWidget *SlipGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    // Nothing typed may be refused by the store later.
    if (const int length = SlipGrid::maxLengthForColumn(index.column()); length > 0)
        editor->setMaxLength(length);
    if (isNumberColumn(index.column()))
        ui::acceptHalfWidthOnly(editor);
    editor->installEventFilter(const_cast<SlipGridDelegate *>(this));
    editor->setFont(option.font);
    editor->setInputMethodHints(SlipGrid::hintsForColumn(index.column()));
    editor->setAlignment(isNumberColumn(index.column()) ? Qt::AlignRight | Qt::AlignVCenter
                                                        : Qt::AlignLeft | Qt::AlignVCenter);
    return editor;
}

bool SlipGridDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (key->modifiers() & Qt::ControlModifier)) {
            if (auto *grid = qobject_cast<SlipGrid *>(parent())) {
                grid->leaveGrid(key->key() == Qt::Key_Tab &&
                                !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void SlipGridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &) const
{
    editor->setGeometry(option.rect.adjusted(0, 0, -kGridLine, -kGridLine));
}

} // namespace slips
