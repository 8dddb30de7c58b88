#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

/// A fresh folder for one test, removed with the object.
class TempDir
{
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace testsupport
