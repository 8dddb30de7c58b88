#include <store/dberror.h>
#include <store/dmib.h>
#include <store/settingsstore.h>
#include <testsupport/tempdir.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>
#include <unistd.h>

using store::SettingsStore;
using testsupport::TempDir;

namespace {

const char *const kNames[] = {"SYANAME", "ZIP", "ADDR", "TEL", "FAX", "TAX", "ZipFileName"};

TEST(SettingsStore, FirstStartCreatesTheKeyWithEveryValueEmpty)
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("Velmora/ZORIKADESK.ini"));
    SettingsStore s(file);
    for (const char *name : kNames)
        EXPECT_EQ(s.ReReg(QLatin1String(name)), QString()) << name;
    EXPECT_TRUE(QFile::exists(file));
}

TEST(SettingsStore, WrittenValuesReadBackExactly)
{
    TempDir dir;
    SettingsStore s(dir.file(QStringLiteral("k.ini")));
    const QString values[] = {
        QStringLiteral("㈱髙﨑商店"),         QString(),
        QStringLiteral("東京都, 港区"),       QStringLiteral("8%"),
        QStringLiteral(" a=b;[x] \\ \"q\" "), QStringLiteral("/path/KEN_ALL.CSV")};
    for (const QString &v : values) {
        ASSERT_TRUE(s.WrRed(QStringLiteral("ADDR"), v));
        EXPECT_EQ(SettingsStore(s.location()).ReReg(QStringLiteral("ADDR")), v);
    }
}

TEST(SettingsStore, ADeletedValueReadsEmptyNotNoKey)
{
    TempDir dir;
    SettingsStore s(dir.file(QStringLiteral("k.ini")));
    ASSERT_TRUE(s.WrRed(QStringLiteral("TAX"), QStringLiteral("10")));
    {
        QSettings raw(s.location(), QSettings::IniFormat);
        raw.remove(QStringLiteral("TAX"));
    }
    EXPECT_EQ(s.ReReg(QStringLiteral("TAX")), QString());
}

TEST(SettingsStore, AKeyThatCannotBeCreatedReadsNoKeyAndRefusesWrites)
{
    // A path below a plain file can be created by nobody, not even root.
    TempDir dir;
    QFile blocker(dir.file(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore s(dir.file(QStringLiteral("blocker/Velmora/ZORIKADESK.ini")));
    EXPECT_EQ(s.ReReg(QStringLiteral("TAX")), QStringLiteral("No Key"));
    EXPECT_FALSE(s.WrRed(QStringLiteral("TAX"), QStringLiteral("8")));
}

TEST(SettingsStore, AValueOfAnotherTypeRaisesAReadError)
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("k.ini"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[General]\nZIP=@ByteArray(100)\nTAX=@Rect(1 2 3 4)\nTEL=8\n");
    }
    SettingsStore s(file);
    EXPECT_THROW(s.ReReg(QStringLiteral("ZIP")), store::DbError);
    EXPECT_THROW(s.ReReg(QStringLiteral("TAX")), store::DbError);
    EXPECT_EQ(s.ReReg(QStringLiteral("TEL")), QStringLiteral("8"));
}

// The data module at start: the tax rate a fresh installation gets, and values it cannot
// read, by what the settings file holds before.
TEST(DataModule, ReadsItsSettingsAtCreation)
{
    const struct
    {
        const char *file; // contents of the INI file before the start; nullptr: no file
        const char *tax;  // mTAX after creation
        const char *stored;
        bool problem;
    } cases[] = {
        {nullptr, "10", "10", false},
        {"[General]\nSYANAME=a\n", "10", "10", false},
        {"[General]\nTAX=\n", "", "", false},
        {"[General]\nTAX=8\n", "8", "8", false},
        {"[General]\nTAX=@Rect(0 0 1 1)\nSYANAME=a\n", "", nullptr, true},
    };
    for (const auto &c : cases) {
        TempDir dir;
        const QString file = dir.file(QStringLiteral("Velmora/ZORIKADESK.ini"));
        if (c.file) {
            QDir().mkpath(QFileInfo(file).path());
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.file);
        }
        store::TDMIB dm(SettingsStore(file), store::ConnectionParams{});
        const std::string what = c.file ? c.file : "(no file)";
        EXPECT_EQ(dm.mTAX, QLatin1String(c.tax)) << what;
        if (c.stored) {
            EXPECT_EQ(SettingsStore(file).ReReg(QStringLiteral("TAX")), QLatin1String(c.stored))
                << what;
        }
        ASSERT_EQ(dm.startupProblems().size(), c.problem ? 1 : 0) << what;
        if (c.problem) {
            EXPECT_TRUE(dm.startupProblems().front().contains(QLatin1String("TAX")));
            EXPECT_EQ(dm.mSYANAME, QStringLiteral("a")); // the other values are read
        }
    }
}

// Without --database: a build or a copy keeps ZORIKA beside the program; an installed program
// keeps it in the user's data folder, also when root, who may write /usr/bin, starts it.
TEST(DataModule, DefaultDatabaseLiesBesideAProgramOfItsOwnFolderOnly)
{
    TempDir dir;
    const QString data = dir.file(QStringLiteral("home/.local/share/Velmora/ZorikaDesk"));
    const QString own = dir.file(QStringLiteral("build/app"));
    const QString withFile = dir.file(QStringLiteral("stick"));
    const QString readOnly = dir.file(QStringLiteral("readonly"));
    const QString toUsrBin = dir.file(QStringLiteral("link-to-usr-bin"));
    for (const QString &d : {own, withFile, readOnly})
        ASSERT_TRUE(QDir().mkpath(d));
    QFile(withFile + QStringLiteral("/ZORIKA")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::setPermissions(withFile, QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin"), toUsrBin));
    const bool root = ::geteuid() == 0; // root writes a read-only folder all the same

    const struct
    {
        QString programDir;
        bool beside;
    } cases[] = {
        {own, true},
        {withFile, true}, // a database already there is used, writable folder or not
        {readOnly, root},
        {QStringLiteral("/usr/bin"), false},
        {QStringLiteral("/usr/local/bin"), false},
        {QStringLiteral("/usr/bin/"), false},
        {QStringLiteral("/opt/zorikadesk/bin"), false},
        {QStringLiteral("/bin"), false},
        {toUsrBin, false},
    };
    for (const auto &c : cases) {
        const QString expected = QDir(c.beside ? c.programDir : data).filePath("ZORIKA");
        EXPECT_EQ(store::defaultDatabasePath(c.programDir, data), expected)
            << c.programDir.toStdString();
    }
    EXPECT_FALSE(store::isSystemProgramFolder(QStringLiteral("/usrlocal/bin")));
    EXPECT_FALSE(store::isSystemProgramFolder(own));
    QFile::setPermissions(withFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
