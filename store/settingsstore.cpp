#include <store/settingsstore.h>

#include <store/dberror.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace store {

namespace {

QString noKey()
{
    return QStringLiteral("No Key");
}

} // namespace

QString SettingsStore::defaultLocation()
{
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER\\Velmora\\ZORIKADESK");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Velmora/ZORIKADESK.ini");
#endif
}

SettingsStore::SettingsStore()
    : m_file(defaultLocation())
{}

SettingsStore::SettingsStore(const QString &iniFile)
    : m_file(iniFile)
{}

// Opens the key, creating it when it is missing, as the registry does: the folder and an
// empty file are made at the first call.
bool SettingsStore::openKey(bool forWrite) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(forWrite);
    return true;
#else
    const QFileInfo info(m_file);
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath()))
            return false;
        QFile f(m_file);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return true;
    }
    if (info.isDir() || !info.isReadable())
        return false;
    return !forWrite || info.isWritable();
#endif
}

static QSettings::Format formatFor()
{
#ifdef Q_OS_WIN
    return QSettings::NativeFormat;
#else
    return QSettings::IniFormat;
#endif
}

bool SettingsStore::WrRed(const QString &mKey, const QString &Val) const
{
    if (!openKey(true))
        return false;
    QSettings s(m_file, formatFor());
    s.setValue(mKey, Val);
    s.sync();
    if (s.status() != QSettings::NoError)
        throw DbError(QStringLiteral("設定値 '%1' を書き込めません").arg(mKey));
    return true;
}

QString SettingsStore::ReReg(const QString &mKey) const
{
    if (!openKey(false))
        return noKey();
    QSettings s(m_file, formatFor());
    if (s.status() != QSettings::NoError)
        return noKey();
    const QVariant v = s.value(mKey);
    if (!v.isValid())
        return {};
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QStringList:
        // An unquoted text with commas in a hand-edited file.
        return v.toStringList().join(QStringLiteral(", "));
    default:
        throw DbError(QStringLiteral("設定値 '%1' のデータ型が無効です").arg(mKey));
    }
}

bool SettingsStore::contains(const QString &mKey) const
{
    if (!openKey(false))
        return false;
    QSettings s(m_file, formatFor());
    return s.status() == QSettings::NoError && s.contains(mKey);
}

} // namespace store
