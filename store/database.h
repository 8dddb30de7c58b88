#pragma once

#include <store/dberror.h>

#include <QString>
#include <memory>
#include <set>

namespace store {

class Query;
struct DatabaseImpl;

/// Where and how to reach a database: a plain path opens the file in the embedded engine,
/// "host:path" reaches a Firebird server.
struct ConnectionParams
{
    QString databaseName;
    QString userName = QStringLiteral("SYSDBA");
    QString password = QStringLiteral("quietlamp");

    /// User and password from ISC_USER / ISC_PASSWORD when they are set.
    static ConnectionParams withEnvironment(const QString &databaseName);
    bool isRemote() const;
};

/// The one connection with its one shared transaction. Queries connect it on demand;
/// closing it closes every query still open on it.
class Database final
{
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    void setParams(const ConnectionParams &params);
    const ConnectionParams &params() const { return m_params; }

    /// Attaches; throws DbError.
    void connect();
    /// Closes all queries, rolls back an open transaction and detaches. Never throws.
    void disconnect() noexcept;
    bool connected() const;
    void setConnected(bool on);

    /// The shared transaction.
    void startTransaction();
    bool inTransaction() const;
    void commitRetaining();
    void rollbackRetaining();
    void commit();
    void rollback();

    /// Creates the database file (UTF8) when it does not exist, then attaches.
    /// Returns true when the file was created.
    bool createIfMissing();

    /// Removes the database it is attached to (for test databases on a server). Throws
    /// DbError.
    void drop();

    DatabaseImpl &impl();

private:
    friend class Query;
    void registerQuery(Query *q) { m_queries.insert(q); }
    void unregisterQuery(Query *q) { m_queries.erase(q); }

    ConnectionParams m_params;
    std::unique_ptr<DatabaseImpl> m_impl;
    std::set<Query *> m_queries;
};

/// Points the embedded engine's lock folder at a folder the user owns (unless FIREBIRD_LOCK
/// is set already). Must run before the first attachment in the process. Throws DbError
/// when the folder is not safely the user's.
void prepareEmbeddedEngine();

/// The user's lock folder below `base`, made with mode 0700 when missing. Throws DbError
/// unless it is a real folder (not a link) of the user's that nobody else may enter.
QString embeddedLockFolder(const QString &base);

} // namespace store
