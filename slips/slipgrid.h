#pragma once

#include <QStyledItemDelegate>
#include <QTableWidget>

namespace slips {

/// The seven-line grid of a slip. Row 0 and column 0 are fixed cells (headings and line
/// numbers) that cannot be selected or edited; cell(c, r) is column c of row r. Quantity,
/// price and amount cells show their normalised text as soon as they change.
class SlipGrid : public QTableWidget
{
    Q_OBJECT
public:
    static constexpr int kColumns = 6;
    static constexpr int kRows = 8;

    explicit SlipGrid(QWidget *parent = nullptr);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);
    bool isFixedCell(int column, int row) const { return column == 0 || row == 0; }

    /// The input-method hints for editing a cell of the given column.
    static Qt::InputMethodHints hintsForColumn(int column);
    /// Quantity, price and amount right-aligned, the rest left; text from the top.
    static Qt::Alignment cellAlignment(int column);

    /// Paints one cell: the prepared background (fixed, selected or normal), the text inset
    /// by 2 pixels with the column's alignment. The text is already normalised: cells take
    /// their display form when they change, so painting never alters them.
    static void StringGrid1DrawCell(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index);

    /// Ends an edit in progress, keeping what was typed.
    void commitEdit();
    /// A cell editor is open.
    bool isEditing() const { return state() == EditingState; }

    /// Moves the focus to the next (or previous) control of the window outside the grid.
    void leaveGrid(bool forward);

    /// Characters a cell of the column holds, as its column in the store does.
    static int maxLengthForColumn(int column);

protected:
    /// Tab past the last cell goes on at the first one, and back from the first to the last.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    /// Text committed by the input method into a cell that is not being edited opens the
    /// editor with that text, as a typed key does.
    void inputMethodEvent(QInputMethodEvent *event) override;
    /// Esc outside an edit belongs to the window (its cancel button), not to the grid.
    /// Outside an edit, Delete and BackSpace empty the selected cells, Enter and F2 open the
    /// editor; Ctrl+Tab and Ctrl+Shift+Tab leave the grid, which keeps Tab for its cells.
    void keyPressEvent(QKeyEvent *event) override;
    /// Entered by Tab, the grid starts at the first item cell; by Shift+Tab at the last one.
    void focusInEvent(QFocusEvent *event) override;
    /// A click inside a selected range collapses the range to the clicked cell.
    void mousePressEvent(QMouseEvent *event) override;

signals:
    /// A cell's text changed, by the user or the program; emitted once per change, after
    /// the cell took its normalised form.
    void cellTextChanged(int column, int row);

private:
    void onItemChanged(QTableWidgetItem *item);
    void applyColumnImeMode(int column);

    bool m_normalising = false;
};

/// Paints a slip grid cell: the prepared background, the text inset by 2 pixels, numbers
/// right-aligned; fixed cells as raised headings.
class SlipGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

protected:
    /// Ctrl+Tab in a cell editor commits the cell and leaves the grid.
    bool eventFilter(QObject *object, QEvent *event) override;
};

} // namespace slips
