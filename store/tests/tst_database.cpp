#include "dbfixture.h"
#include <store/query.h>
#include <store/schema.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using store::Database;
using store::DbError;
using store::Query;
using testsupport::TempDir;

namespace {

int schemaVersionOf(Database &db)
{
    Query q(db);
    q.sql().add(QStringLiteral("select max(VERSION) as V from ZD_SCHEMA"));
    q.open();
    return static_cast<int>(q.fieldByName(QStringLiteral("V")).asInteger());
}

TEST(DatabaseFile, FirstOpenCreatesTheFileWithItsSchemaForItsOwnerOnly)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("ZORIKA"));
    {
        Database db;
        db.setParams(store::ConnectionParams::withEnvironment(path));
        store::openOrCreate(db);
        EXPECT_EQ(schemaVersionOf(db), store::kSchemaVersion);
        Query q(db);
        q.sql().add(QStringLiteral("insert into DENPYO (TKNAME) values (:N)"));
        q.paramByName(QStringLiteral("N")).setAsString(QStringLiteral("残る"));
        q.execSql();
        db.commitRetaining();
    }
    const QFileInfo info(path);
    ASSERT_TRUE(info.exists());
    EXPECT_EQ(info.permissions() & 0x0077, 0) << "group or others may read the file";

    Database again; // opening an existing file keeps its data
    again.setParams(store::ConnectionParams::withEnvironment(path));
    store::openOrCreate(again);
    Query q(again);
    q.sql().add(QStringLiteral("select TKNAME from DENPYO"));
    q.open();
    EXPECT_EQ(q.fieldByName(QStringLiteral("TKNAME")).asString(), QStringLiteral("残る"));
}

int indexCount(Database &db)
{
    Query q(db);
    q.sql().add(QStringLiteral("select count(*) as N from RDB$INDICES"));
    q.sql().add(QStringLiteral("where RDB$INDEX_NAME starting with 'IX_'"));
    q.open();
    return static_cast<int>(q.fieldByName(QStringLiteral("N")).asInteger());
}

// A first start that stopped after the tables were committed (the indexes and the version
// not yet written) is completed by the next start.
TEST(DatabaseFile, HalfMadeSchemaIsCompletedByTheNextOpen)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("ZORIKA"));
    {
        Database db;
        db.setParams(store::ConnectionParams::withEnvironment(path));
        db.createIfMissing();
        db.startTransaction();
        Query q(db);
        for (const char *sql : {"create table TOKUI (ANO integer not null primary key, "
                                "TKNAME varchar(50))",
                                "create table ZD_SCHEMA (VERSION integer not null)"}) {
            q.sql().clear();
            q.sql().add(QString::fromLatin1(sql));
            q.execSql();
        }
        db.commit();
    }
    Database db;
    db.setParams(store::ConnectionParams::withEnvironment(path));
    store::openOrCreate(db);
    EXPECT_EQ(schemaVersionOf(db), store::kSchemaVersion);
    EXPECT_EQ(indexCount(db), 3);
    Query q(db);
    q.sql().add(QStringLiteral("select count(*) as N from DENPYO"));
    EXPECT_NO_THROW(q.open());

    store::openOrCreate(db); // and an ordinary later start changes nothing
    EXPECT_EQ(schemaVersionOf(db), store::kSchemaVersion);
    EXPECT_EQ(indexCount(db), 3);
}

TEST(DatabaseFile, NewerSchemaIsRefusedAndLeftAlone)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("ZORIKA"));
    {
        Database db;
        db.setParams(store::ConnectionParams::withEnvironment(path));
        store::openOrCreate(db);
        Query q(db);
        q.sql().add(QStringLiteral("insert into ZD_SCHEMA (VERSION) values (:V)"));
        q.paramByName(QStringLiteral("V")).setAsInteger(store::kSchemaVersion + 1);
        q.execSql();
        db.commit();
    }
    Database db;
    db.setParams(store::ConnectionParams::withEnvironment(path));
    try {
        store::openOrCreate(db);
        ADD_FAILURE() << "a newer database was opened";
    } catch (const DbError &e) {
        EXPECT_EQ(e.message(), store::newerSchemaMessage());
    }
    EXPECT_EQ(schemaVersionOf(db), store::kSchemaVersion + 1);
}

// Each case names a database that cannot be used and the sentence the user must see.
TEST(DatabaseFile, UnusableDatabasesGiveClearMessages)
{
    TempDir dir;
    const QString garbage = dir.file(QStringLiteral("garbage"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(64 * 1024, 'x'));
    }
    struct Case
    {
        QString name;
        QString sentence;
    } cases[] = {
        {garbage, QStringLiteral("データベースファイルが壊れているか")},
        {dir.file(QStringLiteral("missing/ZORIKA")),
         QStringLiteral("データベースファイルを開けません")},
        {QStringLiteral("127.0.0.1/1:/nowhere/ZORIKA"),
         QStringLiteral("データベースサーバーに接続できません")},
    };
    for (const Case &c : cases) {
        Database db;
        db.setParams(store::ConnectionParams::withEnvironment(c.name));
        try {
            db.connect();
            ADD_FAILURE() << "connected to " << c.name.toStdString();
        } catch (const DbError &e) {
            EXPECT_TRUE(e.message().startsWith(c.sentence)) << e.what();
        }
        EXPECT_FALSE(db.connected());
    }
}

TEST(DatabaseFile, AFolderThatIsNotThereIsNotCreated)
{
    TempDir dir;
    Database db;
    db.setParams(store::ConnectionParams::withEnvironment(dir.file(QStringLiteral("typo/ZORIKA"))));
    try {
        store::openOrCreate(db);
        ADD_FAILURE() << "created a database in a folder that was not there";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("データベースのフォルダーがありません")))
            << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("typo"))));
}

TEST(DatabaseFile, ASecondProgramOnTheSameFileIsToldSo)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("ZORIKA"));
    {
        Database db;
        db.setParams(store::ConnectionParams::withEnvironment(path));
        store::openOrCreate(db);
    }
    QProcess holder;
    holder.start(QStringLiteral(FB_HOLDER), {path});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_EQ(holder.readLine().trimmed(), QByteArray("ready"));

    Database db;
    db.setParams(store::ConnectionParams::withEnvironment(path));
    try {
        db.connect();
        ADD_FAILURE() << "two programs opened the same file";
    } catch (const DbError &e) {
        EXPECT_TRUE(
            e.message().startsWith(QStringLiteral("データベースは別の ZorikaDesk で使用中です")))
            << e.what();
    }
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(30000));
    EXPECT_NO_THROW(db.connect()); // and it works once the other copy is gone
}

TEST(DatabaseFile, AReadOnlyDatabaseRefusesWritesWithAMessageAndKeepsItsData)
{
    const QString gfix = QStandardPaths::findExecutable(QStringLiteral("gfix"));
    if (gfix.isEmpty())
        GTEST_SKIP() << "gfix is not installed";
    TempDir dir;
    const QString path = dir.file(QStringLiteral("ZORIKA"));
    {
        Database db;
        db.setParams(store::ConnectionParams::withEnvironment(path));
        store::openOrCreate(db);
    }
    store::prepareEmbeddedEngine();
    ASSERT_EQ(QProcess::execute(gfix, {QStringLiteral("-mode"), QStringLiteral("read_only"), path}),
              0);
    Database db;
    db.setParams(store::ConnectionParams::withEnvironment(path));
    Query q(db);
    q.sql().add(QStringLiteral("insert into TOKUI (TKNAME) values (:N)"));
    q.paramByName(QStringLiteral("N")).setAsString(QStringLiteral("x"));
    try {
        q.execSql();
        ADD_FAILURE() << "wrote into a read-only database";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("データベースが読み取り専用")))
            << e.what();
    }
}

// The engine's lock folder is refused when someone could have prepared it for us.
TEST(DatabaseFile, LockFolderMustBeTheUsersOwn)
{
    TempDir base;
    const QString name = QStringLiteral("/zorikadesk-firebird-%1").arg(::getuid());
    const QString dir = base.path() + name;

    EXPECT_EQ(store::embeddedLockFolder(base.path()), dir); // made when missing
    EXPECT_EQ(QFileInfo(dir).permissions() & 0x0077, 0);
    EXPECT_EQ(store::embeddedLockFolder(base.path()), dir); // and taken when it is ours

    ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0777), 0);
    EXPECT_THROW(store::embeddedLockFolder(base.path()), DbError) << "open to others";
    ASSERT_TRUE(QDir(dir).removeRecursively());

    TempDir elsewhere;
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path()).constData(),
                        QFile::encodeName(dir).constData()),
              0);
    EXPECT_THROW(store::embeddedLockFolder(base.path()), DbError) << "a link";
    ASSERT_TRUE(QFile::remove(dir));

    if (::getuid() == 0) {
        ASSERT_TRUE(QDir().mkdir(dir));
        ASSERT_EQ(::chown(QFile::encodeName(dir).constData(), 65534, 65534), 0);
        ::chmod(QFile::encodeName(dir).constData(), 0700);
        EXPECT_THROW(store::embeddedLockFolder(base.path()), DbError) << "another user's";
    }
}

} // namespace
