#include <ui/querymodel.h>

#include <store/dmib.h>
#include <ui/handler.h>

#include <QPointer>

namespace ui {

GridColumn gridColumn(const store::FieldDef &field, int width, GridColumn::Format format)
{
    GridColumn c;
    c.field = field.column;
    c.title = field.displayLabel;
    c.width = width;
    c.displayWidth = field.size > 0 ? field.size : 10;
    c.format = format;
    return c;
}

QueryModel::QueryModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

QueryModel::~QueryModel()
{
    if (m_query)
        m_query->removeObserver(this);
}

void QueryModel::setQuery(store::Query *query, QList<GridColumn> columns)
{
    beginResetModel();
    if (m_query)
        m_query->removeObserver(this);
    m_query = query;
    m_columns = std::move(columns);
    if (m_query)
        m_query->addObserver(this);
    m_rows = m_query ? int(m_query->rowCount()) : 0;
    m_markedRow = currentRow();
    m_fetchFailed = false;
    resolveColumns();
    endResetModel();
    emit currentRowChanged(currentRow());
}

void QueryModel::resolveColumns()
{
    m_fieldIndex.assign(size_t(m_columns.size()), -1);
    if (!m_query)
        return;
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        m_fieldIndex[size_t(i)] = m_query->fieldIndex(m_columns[i].field);
}

int QueryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int QueryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString QueryModel::displayText(GridColumn::Format format, const QString &value)
{
    switch (format) {
    case GridColumn::Format::Text:
        break;
    case GridColumn::Format::Money: {
        bool ok = false;
        const qint64 n = value.toLongLong(&ok);
        if (!ok)
            return value;
        QString digits = QString::number(n < 0 ? -n : n);
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char(','));
        return n < 0 ? QLatin1Char('-') + digits : digits;
    }
    case GridColumn::Format::Date: {
        const QDate d = QDate::fromString(value, QStringLiteral("yyyy/MM/dd"));
        return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : value;
    }
    }
    return value;
}

QVariant QueryModel::data(const QModelIndex &index, int role) const
{
    if (!m_query || !index.isValid() || index.row() >= m_rows || index.column() >= columnCount())
        return {};
    const GridColumn &c = m_columns[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return displayText(c.format,
                           m_query->textAt(index.row(), m_fieldIndex[size_t(index.column())]));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(c.alignment | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // The row indicator: a mark beside the current row.
        if (role == Qt::DisplayRole)
            return section == m_markedRow ? QStringLiteral("▶") : QString();
        return {};
    }
    if (section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags QueryModel::flags(const QModelIndex &index) const
{
    // Read-only: the query accepts no changes.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool QueryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_query && !m_fetchFailed && !m_query->allFetched();
}

void QueryModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    try {
        m_query->fetchMore(kFetchBatch);
    } catch (const std::exception &e) {
        // Views fetch while they scroll or paint: the error is shown once that is over, and
        // the grid keeps the rows it has.
        m_fetchFailed = true;
        const QString message = QString::fromUtf8(e.what());
        QMetaObject::invokeMethod(
            this, [message] { ZdApplication::reportError(message); }, Qt::QueuedConnection);
    }
}

int QueryModel::currentRow() const
{
    return m_query ? int(m_query->currentRow()) : -1;
}

void QueryModel::setCurrentRow(int row)
{
    if (!m_query || row < 0 || row >= m_rows)
        return;
    guarded([&] { m_query->setCurrentRow(row); });
}

void QueryModel::queryChanged(store::QueryChange change, qsizetype first, qsizetype last) noexcept
{
    const int oldMark = m_markedRow;
    switch (change) {
    case store::QueryChange::Reset:
        beginResetModel();
        m_rows = int(m_query->rowCount());
        m_fetchFailed = false;
        m_markedRow = currentRow();
        resolveColumns();
        endResetModel();
        break;
    case store::QueryChange::RowsFetched:
        if (first != m_rows) {
            beginResetModel();
            m_rows = int(m_query->rowCount());
            endResetModel();
        } else {
            beginInsertRows({}, int(first), int(last));
            m_rows = int(last) + 1;
            endInsertRows();
        }
        return;
    case store::QueryChange::CurrentRow:
        m_markedRow = int(first);
        break;
    case store::QueryChange::Destroyed:
        beginResetModel();
        m_query = nullptr;
        m_rows = 0;
        m_markedRow = -1;
        endResetModel();
        break;
    }
    if (change == store::QueryChange::CurrentRow) {
        for (int r : {oldMark, m_markedRow})
            if (r >= 0 && r < m_rows)
                emit headerDataChanged(Qt::Vertical, r, r);
    }
    emit currentRowChanged(m_markedRow);
}

} // namespace ui
