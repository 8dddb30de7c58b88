#include <store/database.h>

#include <store/databaseimpl.h>
#include <store/query.h>

#include <ibase.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace store {

using namespace Firebird;

ConnectionParams ConnectionParams::withEnvironment(const QString &databaseName)
{
    ConnectionParams p;
    p.databaseName = databaseName;
    const QByteArray user = qgetenv("ISC_USER");
    const QByteArray password = qgetenv("ISC_PASSWORD");
    if (!user.isEmpty())
        p.userName = QString::fromLocal8Bit(user);
    if (!password.isEmpty())
        p.password = QString::fromLocal8Bit(password);
    return p;
}

bool ConnectionParams::isRemote() const
{
    // "host:path"; a single letter before the colon is a Windows drive, not a host.
    const qsizetype colon = databaseName.indexOf(QLatin1Char(':'));
    return colon > 1;
}

QString embeddedLockFolder(const QString &base)
{
    const QString dir = base + QStringLiteral("/zorikadesk-firebird-%1").arg(::getuid());
    const QByteArray path = QFile::encodeName(dir);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        throw DbError(QStringLiteral("データベースのロック用フォルダー %1 を作れません").arg(dir));
    // The folder may have been there before us: made by another user to own or redirect the
    // engine's lock files. Only a real folder of ours that nobody else may enter will do.
    struct stat st = {};
    const bool ours = ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
                      st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
    if (!ours)
        throw DbError(QStringLiteral("データベースのロック用フォルダー %1 は安全に使えません"
                                     "（他のユーザーのものか、他のユーザーも使えます）。"
                                     "このフォルダーを削除してから起動し直してください")
                          .arg(dir));
    return dir;
}

void prepareEmbeddedEngine()
{
    static bool done = false;
    if (done)
        return;
    if (!qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) {
        done = true;
        return;
    }
    // The packaged lock folder belongs to the firebird user; the embedded engine of a normal
    // user needs one of its own. Every process of the user must find the same one, whatever
    // its environment says (TMPDIR, XDG_RUNTIME_DIR), so that two copies of the program see
    // each other's locks: the folder is always in /tmp.
    const QString dir = embeddedLockFolder(QStringLiteral("/tmp"));
    qputenv("FIREBIRD_LOCK", QFile::encodeName(dir));
    done = true;
}

namespace {

QByteArray dpbFor(const ConnectionParams &params, bool create)
{
    return fb::call([&](ThrowStatusWrapper *st) {
        fb::Ref<IXpbBuilder> dpb(fb::util()->getXpbBuilder(st, IXpbBuilder::DPB, nullptr, 0));
        dpb->insertString(st, isc_dpb_user_name, params.userName.toUtf8().constData());
        dpb->insertString(st, isc_dpb_password, params.password.toUtf8().constData());
        dpb->insertString(st, isc_dpb_lc_ctype, "UTF8");
        dpb->insertTag(st, isc_dpb_utf8_filename);
        if (create) {
            dpb->insertInt(st, isc_dpb_page_size, 8192);
            dpb->insertString(st, isc_dpb_set_db_charset, "UTF8");
            dpb->insertInt(st, isc_dpb_sql_dialect, 3);
            dpb->insertInt(st, isc_dpb_force_write, 1);
        }
        return QByteArray(reinterpret_cast<const char *>(dpb->getBuffer(st)),
                          static_cast<int>(dpb->getBufferLength(st)));
    });
}

} // namespace

Database::Database()
    : m_impl(std::make_unique<DatabaseImpl>())
{}

Database::~Database()
{
    disconnect();
}

void Database::setParams(const ConnectionParams &params)
{
    disconnect();
    m_params = params;
}

DatabaseImpl &Database::impl()
{
    return *m_impl;
}

bool Database::connected() const
{
    return static_cast<bool>(m_impl->attachment);
}

void Database::setConnected(bool on)
{
    if (on)
        connect();
    else
        disconnect();
}

void Database::connect()
{
    if (connected())
        return;
    if (m_params.databaseName.isEmpty())
        throw DbError(QStringLiteral("データベースの場所が指定されていません"));
    if (!m_params.isRemote())
        prepareEmbeddedEngine();
    const QByteArray dpb = dpbFor(m_params, false);
    const QByteArray name = m_params.databaseName.toUtf8();
    m_impl->attachment.reset(fb::call([&](ThrowStatusWrapper *st) {
        fb::Ref<IProvider> prov(fb::master()->getDispatcher());
        return prov->attachDatabase(st, name.constData(), static_cast<unsigned>(dpb.size()),
                                    reinterpret_cast<const unsigned char *>(dpb.constData()));
    }));
}

bool Database::createIfMissing()
{
    if (connected())
        return false;
    if (m_params.isRemote()) {
        // A server checks the file itself: try to attach, create when it is not there.
        try {
            connect();
            return false;
        } catch (const DbError &e) {
            if (e.code() != isc_io_error)
                throw;
        }
    } else {
        prepareEmbeddedEngine();
        if (QFileInfo::exists(m_params.databaseName)) {
            connect();
            return false;
        }
        // A folder that is not there is most likely a mistyped name: creating it would hand
        // the user an empty database in place of theirs.
        const QString dir = QFileInfo(m_params.databaseName).absolutePath();
        if (!QFileInfo(dir).isDir())
            throw DbError(QStringLiteral("データベースのフォルダーがありません\n%1")
                              .arg(QDir::toNativeSeparators(dir)));
    }
    const QByteArray dpb = dpbFor(m_params, true);
    const QByteArray name = m_params.databaseName.toUtf8();
    // The file holds customers' names and addresses: readable by its owner only.
    const mode_t oldMask = ::umask(077);
    try {
        m_impl->attachment.reset(fb::call([&](ThrowStatusWrapper *st) {
            fb::Ref<IProvider> prov(fb::master()->getDispatcher());
            return prov->createDatabase(st, name.constData(), static_cast<unsigned>(dpb.size()),
                                        reinterpret_cast<const unsigned char *>(dpb.constData()));
        }));
    } catch (...) {
        ::umask(oldMask);
        throw;
    }
    ::umask(oldMask);
    if (!m_params.isRemote())
        QFile::setPermissions(m_params.databaseName, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

void Database::disconnect() noexcept
{
    for (Query *q : std::set<Query *>(m_queries))
        q->unprepare();
    if (m_impl->transaction) {
        fb::quietly([&](ThrowStatusWrapper *st) {
            m_impl->transaction->rollback(st);
            m_impl->transaction.take();
        });
        m_impl->transaction.reset();
    }
    if (m_impl->attachment) {
        fb::quietly([&](ThrowStatusWrapper *st) {
            m_impl->attachment->detach(st);
            m_impl->attachment.take();
        });
        m_impl->attachment.reset();
    }
}

void Database::drop()
{
    connect();
    for (Query *q : std::set<Query *>(m_queries))
        q->unprepare();
    if (m_impl->transaction)
        fb::quietly([&](ThrowStatusWrapper *st) {
            m_impl->transaction->rollback(st);
            m_impl->transaction.take();
        });
    m_impl->transaction.reset();
    fb::call([&](ThrowStatusWrapper *st) {
        m_impl->attachment->dropDatabase(st);
        m_impl->attachment.take();
    });
    m_impl->attachment.reset();
}

void Database::startTransaction()
{
    connect();
    if (m_impl->transaction)
        return;
    m_impl->transaction.reset(fb::call([&](ThrowStatusWrapper *st) {
        // read committed: a long-lived shared transaction still sees what others commit.
        fb::Ref<IXpbBuilder> tpb(fb::util()->getXpbBuilder(st, IXpbBuilder::TPB, nullptr, 0));
        tpb->insertTag(st, isc_tpb_write);
        tpb->insertTag(st, isc_tpb_read_committed);
        tpb->insertTag(st, isc_tpb_rec_version);
        tpb->insertTag(st, isc_tpb_nowait);
        return m_impl->attachment->startTransaction(st, tpb->getBufferLength(st),
                                                    tpb->getBuffer(st));
    }));
}

bool Database::inTransaction() const
{
    return static_cast<bool>(m_impl->transaction);
}

void Database::commitRetaining()
{
    if (!inTransaction())
        return;
    fb::call([&](ThrowStatusWrapper *st) { m_impl->transaction->commitRetaining(st); });
}

void Database::rollbackRetaining()
{
    if (!inTransaction())
        return;
    fb::call([&](ThrowStatusWrapper *st) { m_impl->transaction->rollbackRetaining(st); });
}

void Database::commit()
{
    if (!inTransaction())
        return;
    for (Query *q : m_queries)
        q->close();
    fb::call([&](ThrowStatusWrapper *st) { m_impl->transaction->commit(st); });
    m_impl->transaction.take();
}

void Database::rollback()
{
    if (!inTransaction())
        return;
    for (Query *q : m_queries)
        q->close();
    fb::call([&](ThrowStatusWrapper *st) { m_impl->transaction->rollback(st); });
    m_impl->transaction.take();
}

} // namespace store
