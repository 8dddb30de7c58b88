#include <store/dberror.h>
#include <store/settingsstore.h>
#include <testsupport/tempdir.h>

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

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

} // namespace
