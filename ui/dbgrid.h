#pragma once

#include <ui/querymodel.h>

#include <QTableView>

namespace ui {

/// A read-only grid showing a store::Query through a QueryModel. Its current row is the
/// query's current row in both directions: moving in the grid moves the query, and a query
/// opened or moved elsewhere moves the grid. Tab leaves the grid.
class DbGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DbGrid(QWidget *parent = nullptr);

    /// Shows `query` (not owned) in these columns and sets their widths.
    void setQuery(store::Query *query, QList<GridColumn> columns);
    QueryModel *queryModel() const { return m_model; }

    /// The width a column gets when none is given: room for its display width in digits,
    /// and at least for its title.
    static int defaultWidth(const GridColumn &column, const QFontMetrics &cells,
                            const QFontMetrics &titles);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void followQuery(int row);

    QueryModel *m_model;
    bool m_following = false;
};

} // namespace ui
