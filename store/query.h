#pragma once

#include <store/dberror.h>

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace store {

class Database;
class Query;
struct QueryImpl;

/// What changed in the result of a query.
enum class QueryChange {
    Reset,       ///< opened, closed or run again: every row may differ
    RowsFetched, ///< rows first .. last were added at the end
    CurrentRow,  ///< the current row moved to `first`
    Destroyed    ///< the query is going away; drop every pointer to it
};

/// Told about changes of a query's result, e.g. by a grid showing it. Called on the thread
/// that changed the query; must not throw and must not change the query.
class QueryObserver
{
public:
    virtual void queryChanged(QueryChange change, qsizetype first, qsizetype last) noexcept = 0;

protected:
    ~QueryObserver() = default;
};

/// A named parameter of a query. Values are held as text and converted by the server;
/// see Query for the rules.
class Param
{
public:
    void setAsString(const QString &text);
    void setAsInteger(qint64 value);
    /// Sets a date value; an invalid QDate raises DbError.
    void setAsDate(const QDate &date);
    void clear();
    bool isNull() const { return m_null; }
    const QString &text() const { return m_text; }
    QString name() const;

private:
    friend class Query;
    QString m_name;
    QString m_text;
    bool m_null = true;
};

/// One value of a fetched row.
struct Cell
{
    QString text;
    bool null = true;
};

/// A column of the current row.
class Field
{
public:
    /// NULL reads as "", integers as plain digits, dates as yyyy/mm/dd.
    QString asString() const;
    /// Integer value; "" (NULL) reads 0; a text that is not a whole number raises DbError.
    qint64 asInteger() const;
    bool isNull() const { return m_null; }
    const QString &name() const { return m_name; }

private:
    friend class Query;
    friend struct QueryImpl;
    QString m_name;
    QString m_text;
    bool m_null = true;
};

/// The SQL text of a query, built by clearing it and adding lines.
class SqlText
{
public:
    void clear();
    void add(const QString &line);
    QString text() const { return m_lines.join(QLatin1Char('\n')); }
    const QStringList &lines() const { return m_lines; }

private:
    friend class Query;
    QStringList m_lines;
    Query *m_owner = nullptr;
};

/// A statement on the shared transaction of a Database.
///
/// The rows of a select are kept as they are fetched, so a grid can show them and move its
/// current row back and forth; the fields (fieldByName) always show the current row. Rows are
/// fetched on demand: open() fetches the first, next(), setCurrentRow() and fetchMore() as
/// many as they need.
///
/// Named parameters are written `:NAME` or `:"NAME"`; inside string literals, comments and
/// quoted identifiers a colon is plain text. Every parameter and every column travels as
/// text: the server converts text for non-text columns (a failed conversion fails the
/// statement), empty text for a non-text column is sent as NULL, and a date column takes
/// yyyy/mm/dd text converted on the client.
class Query final
{
public:
    explicit Query(Database &db);
    ~Query();
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    SqlText &sql() { return m_sql; }
    Param &paramByName(const QString &name);
    QStringList paramNames();

    /// Prepares (when needed), binds and runs a select; the first row becomes current.
    void open();
    /// Runs a statement that returns no rows or one row (insert ... returning); a returned
    /// row can be read with fieldByName.
    void execSql();
    void close() noexcept;
    bool isOpen() const { return m_open; }

    /// Rows changed by the last execSql (insert, update, delete).
    qint64 rowsAffected() const { return m_rowsAffected; }

    /// True once next() has moved past the last row, and while the query is closed or empty.
    bool eof() const { return m_eof; }
    /// Moves to the following row, fetching it when needed; past the last row every field
    /// reads NULL and eof() becomes true.
    void next();
    const Field &fieldByName(const QString &name) const;
    const std::vector<Field> &fields() const { return m_fields; }
    /// Columns of the result in order.
    QStringList fieldNames() const;
    /// Position of a column in the result, -1 when there is none of that name.
    qsizetype fieldIndex(const QString &name) const;
    /// The columns a query has before it is first prepared, so that reading it while it is
    /// still closed gives NULL (""/0) rather than an unknown-field error. The server's
    /// columns replace them once the statement is prepared.
    void declareFields(const QStringList &names);

    /// Rows fetched so far.
    qsizetype rowCount() const { return m_rowCount; }
    /// True when the whole result has been fetched (or the query is closed).
    bool allFetched() const { return !m_open || m_allFetched; }
    /// Fetches up to `count` further rows; returns how many came.
    qsizetype fetchMore(qsizetype count);
    /// Fetches the rest of the result.
    void fetchAll();
    /// The current row, -1 when there is none (closed, empty, or past the last row).
    qsizetype currentRow() const { return m_eof ? -1 : m_current; }
    /// Makes a row current, fetching up to it when needed. A row that does not exist leaves
    /// the current row as it was and gives false.
    bool setCurrentRow(qsizetype row);
    /// A value of a fetched row; NULL reads as "".
    const QString &textAt(qsizetype row, qsizetype column) const;
    bool isNullAt(qsizetype row, qsizetype column) const;

    /// The server's access plan of the statement (prepares it when needed).
    QString plan();

    /// Observers are told about every change of the result until they are removed or the
    /// query is destroyed.
    void addObserver(QueryObserver *observer);
    void removeObserver(QueryObserver *observer) noexcept;

    Database &database() { return m_db; }

private:
    friend class SqlText;
    friend class Database;
    void sqlChanged() noexcept;
    void unprepare() noexcept;
    void parse();
    void prepare();
    void decodeRow(std::vector<Cell> &into);
    qsizetype fetchRows(qsizetype count);
    void fetchRow();
    void closeQuietly() noexcept;
    void showRow(qsizetype row) noexcept;
    void notify(QueryChange change, qsizetype first = 0, qsizetype last = 0) noexcept;

    Database &m_db;
    SqlText m_sql;
    std::vector<Param> m_params; // unique names, in order of first use
    std::vector<Field> m_fields;
    std::unique_ptr<QueryImpl> m_impl;
    bool m_open = false;
    bool m_eof = true;
    bool m_parsed = false;
    bool m_allFetched = true;
    qint64 m_rowsAffected = 0;

    // Fetched rows, one after the other, fields() of them each.
    std::vector<Cell> m_cells;
    qsizetype m_rowCount = 0;
    qsizetype m_current = -1;
    std::vector<QueryObserver *> m_observers;
};

/// Reads a date in the short form yyyy/mm/dd: blanks around each part allowed, month and day
/// of one or two digits, a year of one or two digits taken within 50 years of `today`. Only
/// ASCII digits count. Gives an invalid QDate for anything else and for days that do not exist.
QDate readShortDate(const QString &text, const QDate &today);

/// Splits SQL text into the text sent to the server (parameters replaced by '?') and the
/// name of each parameter in order. Exposed for tests.
struct ParsedSql
{
    QString text;
    QStringList names;
};
ParsedSql parseNamedParams(const QString &sql);

} // namespace store
