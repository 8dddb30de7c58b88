#pragma once

#include <store/database.h>
#include <store/query.h>
#include <store/settingsstore.h>

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace store {

/// A column of the shared customer query as the windows show it.
struct FieldDef
{
    QString fieldName;    // QTokuiANO, QTokuiTKCODE, ...
    QString column;       // ANO, TKCODE, ...
    QString displayLabel; // the heading of a grid bound to the query
    int size;             // characters of a text column, 0 for others
};

/// The field definitions of QTokui, in column order.
const QList<FieldDef> &QTokuiFields();

/// The shared data module: the connection and its one transaction, the shared customer
/// query and the shop settings as read at startup.
class TDMIB final
{
public:
    /// Reads the settings and sets the database name; does not connect.
    TDMIB(const SettingsStore &settings, const ConnectionParams &params);
    ~TDMIB();

    bool WrRed(const QString &mKey, const QString &Val) const
    {
        return m_settings.WrRed(mKey, Val);
    }
    QString ReReg(const QString &mKey) const { return m_settings.ReReg(mKey); }
    const SettingsStore &settings() const { return m_settings; }

    Database IBDatabase1;
    Query QTokui;

    QString mSYANAME, mZIP, mADDR, mTEL, mFAX, mTAX, mZipFileName;
    /// The issuer lines of the preprinted slip that the shop's details above do not hold:
    /// a second address and telephone, two bank-account lines.
    QString mADDR2, mTEL2, mBANK1, mBANK2;

    /// Names of the settings values behind mADDR2 ... mBANK2, in that order.
    static const QStringList &issuerSettingNames();

    /// The tax rate stored at the first start, when no TAX value exists yet.
    static QString standardTaxRate() { return QStringLiteral("10"); }

    /// Settings values that could not be read at creation (each is then empty), as messages
    /// for the user; empty when all went well.
    const QStringList &startupProblems() const { return m_startupProblems; }

private:
    void DataModuleCreate();
    /// ReReg for the creation handler: a value that cannot be read is noted and reads empty.
    QString readSetting(const QString &mKey);
    SettingsStore m_settings;
    QStringList m_startupProblems;
};

/// The one data module of the process (set by the application at startup).
extern TDMIB *DMIB;

/// Where the database lives when no --database is given: ZORIKA beside the program file,
/// or in the user's data folder (made when missing) when the program is installed in a
/// folder of the system or its folder is not writable.
QString defaultDatabasePath();

/// The rule of defaultDatabasePath for a given program folder and user data folder; makes
/// nothing.
QString defaultDatabasePath(const QString &programDir, const QString &dataDir);

/// A folder where the system's packages put programs (/usr/..., /opt/..., /bin, /sbin):
/// not the user's to keep data in, even when the user (root) may write there.
bool isSystemProgramFolder(const QString &dir);

/// The program folder with its trailing separator.
QString programFolder();

} // namespace store
