#include <store/dmib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace store {

TDMIB *DMIB = nullptr;

QString programFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return QDir::toNativeSeparators(dir);
}

QString defaultDatabasePath()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("ZORIKA");
    const QFileInfo dir(QCoreApplication::applicationDirPath());
    if (QFileInfo::exists(beside) || dir.isWritable())
        return beside;
    // An installed program's folder is not the user's to write: keep the data with the user.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return QDir(data).filePath(QStringLiteral("ZORIKA"));
}

const QList<FieldDef> &QTokuiFields()
{
    static const QList<FieldDef> fields = {
        {QStringLiteral("QTokuiANO"), QStringLiteral("ANO"), QStringLiteral("ANO"), 0},
        {QStringLiteral("QTokuiTKCODE"), QStringLiteral("TKCODE"), QStringLiteral("得意先コード"),
         20},
        {QStringLiteral("QTokuiTKNAME"), QStringLiteral("TKNAME"), QStringLiteral("得意先名"), 50},
        {QStringLiteral("QTokuiTKNAMEK"), QStringLiteral("TKNAMEK"), QStringLiteral("フリガナ"),
         50},
        {QStringLiteral("QTokuiTKZIP"), QStringLiteral("TKZIP"), QStringLiteral("郵便番号"), 10},
        {QStringLiteral("QTokuiTKADDR1"), QStringLiteral("TKADDR1"), QStringLiteral("住所01"), 50},
        {QStringLiteral("QTokuiTKADDR2"), QStringLiteral("TKADDR2"), QStringLiteral("住所02"), 50},
        {QStringLiteral("QTokuiTKTEL"), QStringLiteral("TKTEL"), QStringLiteral("電話番号"), 12},
        {QStringLiteral("QTokuiTKFAX"), QStringLiteral("TKFAX"), QStringLiteral("FAX"), 12},
        {QStringLiteral("QTokuiKEITAI"), QStringLiteral("KEITAI"), QStringLiteral("携帯"), 12},
        {QStringLiteral("QTokuiTKBIKO"), QStringLiteral("TKBIKO"), QStringLiteral("備考"), 30},
        {QStringLiteral("QTokuiSYSDAY"), QStringLiteral("SYSDAY"), QStringLiteral("編集日"), 0},
        {QStringLiteral("QTokuiKUBUN1"), QStringLiteral("KUBUN1"), QStringLiteral("区分"), 0},
    };
    return fields;
}

TDMIB::TDMIB(const SettingsStore &settings, const ConnectionParams &params)
    : QTokui(IBDatabase1)
    , m_settings(settings)
{
    QTokui.sql().add(QStringLiteral("select * from TOKUI"));
    // Its field definitions: a caller may read it before it was ever opened.
    QStringList columns;
    for (const FieldDef &f : QTokuiFields())
        columns << f.column;
    QTokui.declareFields(columns);
    DataModuleCreate();
    IBDatabase1.setParams(params);
}

TDMIB::~TDMIB() = default;

void TDMIB::DataModuleCreate()
{
    mSYANAME = ReReg(QStringLiteral("SYANAME"));
    mZIP = ReReg(QStringLiteral("ZIP"));
    mADDR = ReReg(QStringLiteral("ADDR"));
    mTEL = ReReg(QStringLiteral("TEL"));
    mFAX = ReReg(QStringLiteral("FAX"));
    mTAX = ReReg(QStringLiteral("TAX"));
    mZipFileName = ReReg(QStringLiteral("ZipFileName"));
}

} // namespace store
