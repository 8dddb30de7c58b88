#pragma once

#include <store/query.h>

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <vector>

namespace store {
struct FieldDef;
}

namespace ui {

/// A column of a grid bound to a query: which field it shows, under which title, how wide
/// and in which display format.
struct GridColumn
{
    enum class Format {
        Text,  ///< the value as read
        Money, ///< "#,##0": an integer with commas between groups of three digits
        Date   ///< yyyy/mm/dd
    };
    QString field;
    QString title;
    int width = 0;         ///< pixels; 0 gives the field's default width
    int displayWidth = 10; ///< characters the default width makes room for
    Format format = Format::Text;
    Qt::Alignment alignment = Qt::AlignLeft;
};

/// A column over one of a query's fields: titled by its display label, with room for its
/// size (a number, of size 0, gets ten characters).
GridColumn gridColumn(const store::FieldDef &field, int width = 0,
                      GridColumn::Format format = GridColumn::Format::Text);

/// A read-only table over the rows of a store::Query. The query stays the owner of the rows
/// and of the current row: the model shows what the query holds, follows every change of it
/// (opened, closed, rows fetched, current row moved, destroyed), and moving the current row
/// here moves the query's. The vertical header marks the current row.
class QueryModel : public QAbstractTableModel, private store::QueryObserver
{
    Q_OBJECT
public:
    explicit QueryModel(QObject *parent = nullptr);
    ~QueryModel() override;

    /// Shows `query` (not owned; may be nullptr) in these columns.
    void setQuery(store::Query *query, QList<GridColumn> columns);
    store::Query *query() const { return m_query; }
    const QList<GridColumn> &columns() const { return m_columns; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    /// The query's current row, -1 when there is none.
    int currentRow() const;
    /// Makes a row of the grid the query's current row. Errors go to the standard error box.
    void setCurrentRow(int row);

    /// The text a cell shows for a value read from the query.
    static QString displayText(GridColumn::Format format, const QString &value);

    /// Rows fetched per step while the grid scrolls down.
    static constexpr int kFetchBatch = 256;

signals:
    void currentRowChanged(int row);

private:
    void queryChanged(store::QueryChange change, qsizetype first, qsizetype last) noexcept override;
    void resolveColumns();

    store::Query *m_query = nullptr;
    QList<GridColumn> m_columns;
    std::vector<qsizetype> m_fieldIndex; // column of the query behind each grid column
    int m_rows = 0;                      // rows the views have been told about
    int m_markedRow = -1;                // row marked in the vertical header
    bool m_fetchFailed = false;          // stop fetching until the query is run again
};

} // namespace ui
