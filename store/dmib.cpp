#include "dmib.h"

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
    return QDir(data).filePath(QStringLiteral("ZORIKA"));
}

TDMIB::TDMIB(const SettingsStore &settings, const ConnectionParams &params)
    : QTokui(IBDatabase1)
    , m_settings(settings)
{
    QTokui.sql().add(QStringLiteral("select * from TOKUI"));
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
