#include <store/query.h>

#include <store/database.h>
#include <store/databaseimpl.h>
#include <store/fbapi.h>

#include <ibase.h>

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <iterator>

namespace store {

using namespace Firebird;

namespace {

constexpr unsigned kUtf8 = 4;        // Firebird's character set id of UTF8
constexpr unsigned kNonTextLen = 64; // room for any number or date as text

QString invalidDateText()
{
    return QStringLiteral("日付に変換できない値が渡されました");
}

bool isTextType(unsigned type)
{
    return type == SQL_TEXT || type == SQL_VARYING || type == SQL_NULL;
}

bool isLobType(unsigned type)
{
    return type == SQL_BLOB || type == SQL_ARRAY;
}

// The server reads ISO dates without ambiguity; the user's short form is converted here.
QString clientDate(const QString &text)
{
    const QDate d = readShortDate(text, QDate::currentDate());
    if (!d.isValid())
        throw DbError(invalidDateText());
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

struct Buffer
{
    std::vector<std::uint64_t> words;
    unsigned char *data() { return reinterpret_cast<unsigned char *>(words.data()); }
    void resize(unsigned bytes) { words.assign((bytes + 7) / 8 + 1, 0); }
};

void putVarchar(unsigned char *at, const QByteArray &bytes)
{
    const auto len = static_cast<ISC_USHORT>(bytes.size());
    std::memcpy(at, &len, sizeof len);
    std::memcpy(at + sizeof len, bytes.constData(), len);
}

} // namespace

struct QueryImpl
{
    ParsedSql parsed;
    fb::Ref<IStatement> statement;
    fb::Ref<IResultSet> cursor;
    fb::Ref<IMessageMetadata> inMeta;  // as the server describes the parameters
    fb::Ref<IMessageMetadata> outMeta; // coerced: every column as UTF8 text
    std::vector<unsigned> inTypes;
    std::vector<unsigned> outTypes;
    // Where each column's value and null flag lie in the output buffer.
    std::vector<unsigned> outOffsets;
    std::vector<unsigned> outNullOffsets;
    Buffer inBuf;
    Buffer outBuf;
    unsigned statementType = 0;
    QString preparedText; // the text `statement` was prepared from

    void freeStatement() noexcept
    {
        closeCursor();
        preparedText.clear();
        if (statement) {
            fb::quietly([&](ThrowStatusWrapper *st) {
                statement->free(st);
                statement.take();
            });
            statement.reset();
        }
        inMeta.reset();
        outMeta.reset();
    }
    void closeCursor() noexcept
    {
        if (cursor) {
            fb::quietly([&](ThrowStatusWrapper *st) {
                cursor->close(st);
                cursor.take();
            });
            cursor.reset();
        }
    }
};

// --- parameters and fields --------------------------------------------------------------

void Param::setAsString(const QString &text)
{
    m_text = text;
    m_null = false;
}

void Param::setAsInteger(qint64 value)
{
    setAsString(QString::number(value));
}

void Param::setAsDate(const QDate &date)
{
    if (!date.isValid())
        throw DbError(invalidDateText());
    setAsString(date.toString(QStringLiteral("yyyy/MM/dd")));
}

void Param::clear()
{
    m_text.clear();
    m_null = true;
}

QString Field::asString() const
{
    return m_null ? QString() : m_text;
}

qint64 Field::asInteger() const
{
    if (m_null || m_text.isEmpty())
        return 0;
    bool ok = false;
    const qint64 v = m_text.trimmed().toLongLong(&ok);
    if (!ok)
        throw DbError(QStringLiteral("''%1'' は整数ではありません").arg(m_text));
    return v;
}

void SqlText::clear()
{
    m_lines.clear();
    if (m_owner)
        m_owner->sqlChanged();
}

void SqlText::add(const QString &line)
{
    m_lines.append(line);
    if (m_owner)
        m_owner->sqlChanged();
}

QDate readShortDate(const QString &text, const QDate &today)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return {};
    int values[3] = {0, 0, 0};
    qsizetype yearDigits = 0;
    for (int i = 0; i < 3; ++i) {
        const QString part = parts[i].trimmed();
        if (part.isEmpty() || part.size() > (i == 0 ? 4 : 2))
            return {};
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return {};
            values[i] = values[i] * 10 + (c.unicode() - u'0');
        }
        if (i == 0)
            yearDigits = part.size();
    }
    int year = values[0];
    if (yearDigits <= 2) {
        const int thisYear = today.year();
        year += thisYear - thisYear % 100;
        if (year > thisYear + 50)
            year -= 100;
        else if (year <= thisYear - 50)
            year += 100;
    }
    if (year < 1)
        return {};
    return QDate(year, values[1], values[2]); // invalid when no such day
}

// --- parsing -----------------------------------------------------------------------------

ParsedSql parseNamedParams(const QString &sql)
{
    ParsedSql out;
    out.text.reserve(sql.size());
    const qsizetype n = sql.size();
    auto isNameChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        // String literals and quoted identifiers: copied through, doubled quotes included.
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.text += sql.mid(i, std::min(j + 1, n) - i);
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            qsizetype j = sql.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            out.text += sql.mid(i, j - i);
            i = j;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            qsizetype j = sql.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out.text += sql.mid(i, j - i);
            i = j;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < n) {
            if (sql[i + 1] == QLatin1Char('"')) {
                const qsizetype close = sql.indexOf(QLatin1Char('"'), i + 2);
                if (close > i + 2) {
                    out.names.append(sql.mid(i + 2, close - i - 2));
                    out.text += QLatin1Char('?');
                    i = close + 1;
                    continue;
                }
            } else if (isNameChar(sql[i + 1]) && !sql[i + 1].isDigit()) {
                qsizetype j = i + 1;
                while (j < n && isNameChar(sql[j]))
                    ++j;
                out.names.append(sql.mid(i + 1, j - i - 1).toUpper());
                out.text += QLatin1Char('?');
                i = j;
                continue;
            }
        }
        out.text += c;
        ++i;
    }
    return out;
}

// --- query -------------------------------------------------------------------------------

Query::Query(Database &db)
    : m_db(db)
    , m_impl(std::make_unique<QueryImpl>())
{
    m_sql.m_owner = this;
    m_db.registerQuery(this);
}

Query::~Query()
{
    notify(QueryChange::Destroyed);
    m_observers.clear();
    m_impl->freeStatement();
    m_db.unregisterQuery(this);
}

void Query::addObserver(QueryObserver *observer)
{
    if (observer &&
        std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void Query::removeObserver(QueryObserver *observer) noexcept
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

void Query::notify(QueryChange change, qsizetype first, qsizetype last) noexcept
{
    // An observer may remove itself (or another) while being told.
    const std::vector<QueryObserver *> observers = m_observers;
    for (QueryObserver *o : observers)
        if (std::find(m_observers.begin(), m_observers.end(), o) != m_observers.end())
            o->queryChanged(change, first, last);
}

void Query::sqlChanged() noexcept
{
    // The statement is freed when the next run finds a different text.
    close();
    m_parsed = false;
}

void Query::unprepare() noexcept
{
    close();
    m_impl->freeStatement();
}

void Query::parse()
{
    if (m_parsed)
        return;
    m_impl->parsed = parseNamedParams(m_sql.text());
    std::vector<Param> params;
    for (const QString &name : m_impl->parsed.names) {
        const bool known = std::any_of(params.begin(), params.end(), [&](const Param &p) {
            return p.m_name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!known) {
            Param p;
            p.m_name = name;
            params.push_back(p);
        }
    }
    m_params = std::move(params);
    m_parsed = true;
}

Param &Query::paramByName(const QString &name)
{
    parse();
    for (Param &p : m_params)
        if (p.m_name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    throw DbError(QStringLiteral("パラメータ '%1' が見つかりません").arg(name));
}

QStringList Query::paramNames()
{
    parse();
    QStringList names;
    for (const Param &p : m_params)
        names.append(p.m_name);
    return names;
}

void Query::prepare()
{
    parse();
    m_db.startTransaction();
    // Windows rebuild their statements line by line before every run: the same text again
    // keeps the statement the server prepared for it.
    if (m_impl->statement && m_impl->preparedText == m_impl->parsed.text)
        return;
    m_impl->freeStatement();
    QueryImpl &q = *m_impl;
    ITransaction *tra = m_db.impl().transaction.get();
    IAttachment *att = m_db.impl().attachment.get();
    const QByteArray text = q.parsed.text.toUtf8();
    // A statement is kept only when it is complete and its parameters are the ones parsed:
    // every later bind relies on that.
    struct FreeUnlessKept
    {
        QueryImpl &q;
        bool keep = false;
        ~FreeUnlessKept()
        {
            if (!keep)
                q.freeStatement();
        }
    } guard{q};
    fb::call([&](ThrowStatusWrapper *st) {
        q.statement.reset(att->prepare(st, tra, 0, text.constData(), SQL_DIALECT_V6,
                                       IStatement::PREPARE_PREFETCH_METADATA));
        q.statementType = q.statement->getType(st);
        q.inMeta.reset(q.statement->getInputMetadata(st));
        q.inTypes.clear();
        for (unsigned i = 0, n = q.inMeta->getCount(st); i < n; ++i)
            q.inTypes.push_back(q.inMeta->getType(st, i) & ~1u);

        fb::Ref<IMessageMetadata> out(q.statement->getOutputMetadata(st));
        const unsigned count = out->getCount(st);
        q.outTypes.clear();
        fb::Ref<IMetadataBuilder> b(out->getBuilder(st));
        m_fields.clear();
        for (unsigned i = 0; i < count; ++i) {
            const unsigned type = out->getType(st, i) & ~1u;
            q.outTypes.push_back(type);
            Field f;
            const char *alias = out->getAlias(st, i);
            f.m_name = QString::fromUtf8(alias && *alias ? alias : out->getField(st, i));
            m_fields.push_back(f);
            if (isLobType(type))
                continue;
            const unsigned len =
                isTextType(type) ? std::max(out->getLength(st, i), 1u) : kNonTextLen;
            b->setType(st, i, SQL_VARYING + 1);
            b->setSubType(st, i, 0);
            b->setScale(st, i, 0);
            b->setLength(st, i, len);
            b->setCharSet(st, i, kUtf8);
        }
        q.outMeta.reset(b->getMetadata(st));
        q.outBuf.resize(q.outMeta->getMessageLength(st));
        q.outOffsets.clear();
        q.outNullOffsets.clear();
        for (unsigned i = 0; i < count; ++i) {
            q.outOffsets.push_back(q.outMeta->getOffset(st, i));
            q.outNullOffsets.push_back(q.outMeta->getNullOffset(st, i));
        }
    });
    if (q.inTypes.size() != static_cast<size_t>(q.parsed.names.size()))
        throw DbError(QStringLiteral("パラメータの数が一致しません"));
    q.preparedText = q.parsed.text;
    guard.keep = true;
}

// Builds the input message: every value as UTF8 text. Empty text for a column that is not
// text goes as NULL, and dates are converted here from yyyy/mm/dd.
static fb::Ref<IMessageMetadata> bindParams(QueryImpl &q, const std::vector<Param> &params)
{
    if (q.inTypes.size() != static_cast<size_t>(q.parsed.names.size()))
        throw DbError(QStringLiteral("パラメータの数が一致しません"));
    std::vector<QByteArray> values;
    std::vector<bool> nulls;
    for (qsizetype i = 0; i < q.parsed.names.size(); ++i) {
        const QString &name = q.parsed.names[i];
        const auto it = std::find_if(params.begin(), params.end(), [&](const Param &p) {
            return p.name().compare(name, Qt::CaseInsensitive) == 0;
        });
        const unsigned type = q.inTypes[static_cast<size_t>(i)];
        bool null = it == params.end() || it->isNull();
        QString text = null ? QString() : it->text();
        if (!null && !isTextType(type)) {
            if (text.isEmpty())
                null = true;
            else if (type == SQL_TYPE_DATE)
                text = clientDate(text);
        }
        nulls.push_back(null);
        values.push_back(text.toUtf8());
    }
    return fb::Ref<IMessageMetadata>(fb::call([&](ThrowStatusWrapper *st) {
        const unsigned count = q.inMeta->getCount(st);
        fb::Ref<IMetadataBuilder> b(q.inMeta->getBuilder(st));
        for (unsigned i = 0; i < count; ++i) {
            b->setType(st, i, SQL_VARYING + 1);
            b->setSubType(st, i, 0);
            b->setScale(st, i, 0);
            b->setLength(st, i, std::max<unsigned>(static_cast<unsigned>(values[i].size()), 1u));
            b->setCharSet(st, i, kUtf8);
        }
        IMessageMetadata *meta = b->getMetadata(st);
        q.inBuf.resize(meta->getMessageLength(st));
        unsigned char *buf = q.inBuf.data();
        for (unsigned i = 0; i < count; ++i) {
            const ISC_SHORT nullFlag = nulls[i] ? -1 : 0;
            std::memcpy(buf + meta->getNullOffset(st, i), &nullFlag, sizeof nullFlag);
            if (!nulls[i])
                putVarchar(buf + meta->getOffset(st, i), values[i]);
        }
        return meta;
    }));
}

QString Param::name() const
{
    return m_name;
}

void Query::open()
{
    const bool hadResult = m_open || m_rowCount > 0;
    closeQuietly();
    // Observers hear of the new result once, and of the emptied one when opening fails.
    struct TellObservers
    {
        Query &q;
        bool tell;
        ~TellObservers()
        {
            if (tell)
                q.notify(QueryChange::Reset);
        }
    } tell{*this, hadResult};
    prepare();
    QueryImpl &q = *m_impl;
    fb::Ref<IMessageMetadata> in = bindParams(q, m_params);
    ITransaction *tra = m_db.impl().transaction.get();
    q.cursor.reset(fb::call([&](ThrowStatusWrapper *st) {
        return q.statement->openCursor(st, tra, in.get(), q.inBuf.data(), q.outMeta.get(), 0);
    }));
    m_open = true;
    m_allFetched = false;
    tell.tell = true;
    fetchRows(1);
    if (m_rowCount > 0) {
        m_eof = false;
        showRow(0);
    }
}

void Query::execSql()
{
    close();
    prepare();
    QueryImpl &q = *m_impl;
    fb::Ref<IMessageMetadata> in = bindParams(q, m_params);
    ITransaction *tra = m_db.impl().transaction.get();
    const bool returnsRow = !m_fields.empty();
    fb::call([&](ThrowStatusWrapper *st) {
        if (q.statementType == isc_info_sql_stmt_select) {
            // A select run for its effect: open and drop the cursor.
            fb::Ref<IResultSet> rs(
                q.statement->openCursor(st, tra, in.get(), q.inBuf.data(), q.outMeta.get(), 0));
            rs->close(st);
            rs.take();
            return;
        }
        q.statement->execute(st, tra, in.get(), q.inBuf.data(),
                             returnsRow ? q.outMeta.get() : nullptr,
                             returnsRow ? q.outBuf.data() : nullptr);
        m_rowsAffected = static_cast<qint64>(q.statement->getAffectedRecords(st));
    });
    if (returnsRow)
        fetchRow();
}

void Query::closeQuietly() noexcept
{
    m_impl->closeCursor();
    m_open = false;
    m_eof = true;
    m_allFetched = true;
    m_cells.clear();
    m_rowCount = 0;
    m_current = -1;
    for (Field &f : m_fields) {
        f.m_null = true;
        f.m_text.clear();
    }
}

void Query::close() noexcept
{
    const bool hadResult = m_open || m_rowCount > 0;
    closeQuietly();
    if (hadResult)
        notify(QueryChange::Reset);
}

qsizetype Query::fetchRows(qsizetype count)
{
    QueryImpl &q = *m_impl;
    const size_t width = m_fields.size();
    qsizetype fetched = 0;
    std::vector<Cell> row;
    while (fetched < count && m_open && !m_allFetched) {
        const int r = fb::call(
            [&](ThrowStatusWrapper *st) { return q.cursor->fetchNext(st, q.outBuf.data()); });
        if (r != IStatus::RESULT_OK) {
            // The whole result is here: the server's cursor is no longer needed.
            m_allFetched = true;
            q.closeCursor();
            break;
        }
        decodeRow(row);
        m_cells.reserve(m_cells.size() + width);
        std::move(row.begin(), row.end(), std::back_inserter(m_cells));
        ++m_rowCount;
        ++fetched;
    }
    return fetched;
}

qsizetype Query::fetchMore(qsizetype count)
{
    const qsizetype first = m_rowCount;
    const qsizetype fetched = fetchRows(count);
    if (fetched > 0)
        notify(QueryChange::RowsFetched, first, m_rowCount - 1);
    return fetched;
}

void Query::fetchAll()
{
    while (!allFetched())
        fetchMore(1024);
}

void Query::next()
{
    if (!m_open || m_eof)
        return;
    const qsizetype target = m_current + 1;
    if (target >= m_rowCount)
        fetchMore(1);
    if (target < m_rowCount) {
        showRow(target);
    } else {
        m_eof = true;
        m_current = m_rowCount;
        for (Field &f : m_fields) {
            f.m_null = true;
            f.m_text.clear();
        }
    }
    notify(QueryChange::CurrentRow, currentRow(), currentRow());
}

bool Query::setCurrentRow(qsizetype row)
{
    if (!m_open || row < 0)
        return false;
    if (row >= m_rowCount)
        fetchMore(row - m_rowCount + 1);
    if (row >= m_rowCount)
        return false;
    if (row == m_current && !m_eof)
        return true;
    m_eof = false;
    showRow(row);
    notify(QueryChange::CurrentRow, row, row);
    return true;
}

void Query::showRow(qsizetype row) noexcept
{
    m_current = row;
    const size_t width = m_fields.size();
    const size_t at = static_cast<size_t>(row) * width;
    for (size_t i = 0; i < width; ++i) {
        m_fields[i].m_text = m_cells[at + i].text;
        m_fields[i].m_null = m_cells[at + i].null;
    }
}

const QString &Query::textAt(qsizetype row, qsizetype column) const
{
    static const QString none;
    const auto width = static_cast<qsizetype>(m_fields.size());
    if (row < 0 || row >= m_rowCount || column < 0 || column >= width)
        return none;
    const Cell &c = m_cells[static_cast<size_t>(row * width + column)];
    return c.null ? none : c.text;
}

bool Query::isNullAt(qsizetype row, qsizetype column) const
{
    const auto width = static_cast<qsizetype>(m_fields.size());
    if (row < 0 || row >= m_rowCount || column < 0 || column >= width)
        return true;
    return m_cells[static_cast<size_t>(row * width + column)].null;
}

QString Query::plan()
{
    prepare();
    return fb::call([&](ThrowStatusWrapper *st) {
        const char *text = m_impl->statement->getPlan(st, false);
        return QString::fromUtf8(text ? text : "").trimmed();
    });
}

void Query::decodeRow(std::vector<Cell> &into)
{
    const QueryImpl &q = *m_impl;
    into.assign(m_fields.size(), Cell{});
    const unsigned char *buf = m_impl->outBuf.data();
    for (size_t i = 0; i < into.size(); ++i) {
        Cell &c = into[i];
        ISC_SHORT nullFlag = 0;
        std::memcpy(&nullFlag, buf + q.outNullOffsets[i], sizeof nullFlag);
        c.null = nullFlag != 0;
        if (c.null || isLobType(q.outTypes[i]))
            continue;
        const unsigned char *at = buf + q.outOffsets[i];
        ISC_USHORT len = 0;
        std::memcpy(&len, at, sizeof len);
        c.text = QString::fromUtf8(reinterpret_cast<const char *>(at + sizeof len), len);
        if (q.outTypes[i] == SQL_TYPE_DATE)
            c.text.replace(QLatin1Char('-'), QLatin1Char('/'));
    }
}

void Query::fetchRow()
{
    std::vector<Cell> row;
    decodeRow(row);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i].m_text = std::move(row[i].text);
        m_fields[i].m_null = row[i].null;
    }
}

const Field &Query::fieldByName(const QString &name) const
{
    for (const Field &f : m_fields)
        if (f.m_name.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    throw DbError(QStringLiteral("フィールド '%1' が見つかりません").arg(name));
}

void Query::declareFields(const QStringList &names)
{
    if (m_impl->statement)
        return;
    closeQuietly();
    m_fields.clear();
    for (const QString &name : names) {
        Field f;
        f.m_name = name;
        m_fields.push_back(f);
    }
}

qsizetype Query::fieldIndex(const QString &name) const
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].m_name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<qsizetype>(i);
    return -1;
}

QStringList Query::fieldNames() const
{
    QStringList names;
    for (const Field &f : m_fields)
        names.append(f.m_name);
    return names;
}

} // namespace store
