#pragma once

#include <QString>

namespace store {

/// The per-user settings store: string values under one key. On Linux the key is an INI
/// file in the user's configuration folder (Velmora/ZORIKADESK.ini); on Windows the
/// registry key HKEY_CURRENT_USER\Velmora\ZORIKADESK.
class SettingsStore
{
public:
    /// The store of the current user.
    SettingsStore();
    /// A store kept in the given INI file (tests, portable use).
    explicit SettingsStore(const QString &iniFile);

    /// Writes a string value. False when the key cannot be opened or created; a failed
    /// write raises DbError.
    bool WrRed(const QString &mKey, const QString &Val) const;
    /// Reads a string value: "" when missing, "No Key" when the key cannot be opened or
    /// created; a value of another type raises DbError.
    QString ReReg(const QString &mKey) const;
    /// True when a value of that name is stored (an empty one included).
    bool contains(const QString &mKey) const;

    QString location() const { return m_file; }
    static QString defaultLocation();

private:
    bool openKey(bool forWrite) const;
    QString m_file;
};

} // namespace store
