#include <ui/dbgrid.h>

#include <ui/widgets.h>

#include <QHeaderView>

namespace ui {

DbGrid::DbGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new QueryModel(this))
{
    setModel(m_model);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setFont(baseFont());
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumWidth(14);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setHighlightSections(false);
    connect(m_model, &QueryModel::currentRowChanged, this, &DbGrid::followQuery);
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { followQuery(m_model->currentRow()); });
}

int DbGrid::defaultWidth(const GridColumn &column, const QFontMetrics &cells,
                         const QFontMetrics &titles)
{
    const int forValues = column.displayWidth * cells.horizontalAdvance(QLatin1Char('0')) + 4;
    const int forTitle = titles.horizontalAdvance(column.title) + 8;
    return std::max(forValues, forTitle);
}

void DbGrid::setQuery(store::Query *query, QList<GridColumn> columns)
{
    m_model->setQuery(query, columns);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const GridColumn &c = columns[i];
        setColumnWidth(int(i), c.width > 0 ? c.width
                                           : defaultWidth(c, fontMetrics(),
                                                          horizontalHeader()->fontMetrics()));
    }
}

void DbGrid::followQuery(int row)
{
    if (m_following)
        return;
    m_following = true;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
    } else if (currentIndex().row() != row) {
        const int column = std::max(currentIndex().column(), 0);
        setCurrentIndex(m_model->index(row, column));
        scrollTo(currentIndex());
    }
    m_following = false;
}

void DbGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_following && current.isValid() && current.row() != m_model->currentRow()) {
        m_following = true;
        m_model->setCurrentRow(current.row());
        m_following = false;
    }
}

} // namespace ui
