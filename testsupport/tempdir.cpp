#include <testsupport/tempdir.h>

#include <QDir>

namespace testsupport {

TempDir::TempDir()
    : m_dir(QDir::tempPath() + QStringLiteral("/zd-test-XXXXXX"))
{}

} // namespace testsupport
