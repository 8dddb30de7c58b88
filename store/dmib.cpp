#include <store/dmib.h>

#include <store/tables.h>

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

bool isSystemProgramFolder(const QString &dir)
{
    // Through links: /bin is /usr/bin on a merged system, and a link to /usr/bin is /usr/bin.
    QString path = QFileInfo(dir).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(dir).absolutePath());
    for (const char *top : {"/usr", "/opt", "/bin", "/sbin"}) {
        const QString t = QString::fromLatin1(top);
        if (path == t || path.startsWith(t + QLatin1Char('/')))
            return true;
    }
    return false;
}

QString defaultDatabasePath(const QString &programDir, const QString &dataDir)
{
    const QString beside = QDir(programDir).filePath(QStringLiteral("ZORIKA"));
    // A program in a folder of its own (a build, a copy on a stick) keeps its data beside it.
    // An installed one never writes into the system's folders, also not when root starts
    // it: every user gets a database of their own.
    if (!isSystemProgramFolder(programDir) &&
        (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable()))
        return beside;
    return QDir(dataDir).filePath(QStringLiteral("ZORIKA"));
}

QString defaultDatabasePath()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString path = defaultDatabasePath(programDir, data);
    // A folder that cannot be made is reported when the database is created in it.
    if (path == QDir(data).filePath(QStringLiteral("ZORIKA")))
        QDir().mkpath(data);
    return path;
}

const QList<FieldDef> &QTokuiFields()
{
    static const QList<FieldDef> fields = [] {
        const struct
        {
            const char *column;
            const char *label;
        } labels[] = {
            {"ANO", "ANO"},          {"TKCODE", "得意先コード"}, {"TKNAME", "得意先名"},
            {"TKNAMEK", "フリガナ"}, {"TKZIP", "郵便番号"},      {"TKADDR1", "住所01"},
            {"TKADDR2", "住所02"},   {"TKTEL", "電話番号"},      {"TKFAX", "FAX"},
            {"KEITAI", "携帯"},      {"TKBIKO", "備考"},         {"SYSDAY", "編集日"},
            {"KUBUN1", "区分"},
        };
        QList<FieldDef> f;
        for (const auto &l : labels) {
            const QString column = QString::fromLatin1(l.column);
            f.append({QStringLiteral("QTokui") + column, column, QString::fromUtf8(l.label),
                      columnWidth(tokuiColumns(), column)});
        }
        return f;
    }();
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

QString TDMIB::readSetting(const QString &mKey)
{
    try {
        return ReReg(mKey);
    } catch (const std::exception &e) {
        // A value of another type (a hand-edited settings file) must not stop the program:
        // the user is told which one, and it is taken as empty.
        m_startupProblems << QString::fromUtf8(e.what());
        return {};
    }
}

void TDMIB::DataModuleCreate()
{
    mSYANAME = readSetting(QStringLiteral("SYANAME"));
    mZIP = readSetting(QStringLiteral("ZIP"));
    mADDR = readSetting(QStringLiteral("ADDR"));
    mTEL = readSetting(QStringLiteral("TEL"));
    mFAX = readSetting(QStringLiteral("FAX"));
    mTAX = readSetting(QStringLiteral("TAX"));
    mZipFileName = readSetting(QStringLiteral("ZipFileName"));
    // Without a rate every move into an amount cell would fail on the empty rate box: a
    // fresh installation starts with the standard rate. A value the user stored, an empty
    // one included, stays as it is.
    try {
        if (!m_settings.contains(QStringLiteral("TAX")) &&
            WrRed(QStringLiteral("TAX"), standardTaxRate()))
            mTAX = standardTaxRate();
    } catch (const std::exception &e) {
        m_startupProblems << QString::fromUtf8(e.what());
    }
    const QStringList &issuer = issuerSettingNames();
    mADDR2 = readSetting(issuer[0]);
    mTEL2 = readSetting(issuer[1]);
    mBANK1 = readSetting(issuer[2]);
    mBANK2 = readSetting(issuer[3]);
}

const QStringList &TDMIB::issuerSettingNames()
{
    static const QStringList names = {QStringLiteral("ADDR2"), QStringLiteral("TEL2"),
                                      QStringLiteral("BANK1"), QStringLiteral("BANK2")};
    return names;
}

} // namespace store
