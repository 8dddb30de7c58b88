#include "dbfixture.h"

#include <store/schema.h>

#include <QUuid>

namespace testsupport {

std::string backendName(const ::testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::Embedded ? "Embedded" : "Server";
}

void DbTest::SetUp()
{
    if (GetParam() == Backend::Server) {
        const QString server = qEnvironmentVariable("ZD_TEST_SERVER");
        if (server.isEmpty())
            GTEST_SKIP() << "ZD_TEST_SERVER is not set: no Firebird server to test against";
        const QString name = server + QStringLiteral("/t-") +
                             QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".fdb");
        m_params = store::ConnectionParams::withEnvironment(name);
    } else {
        m_params = store::ConnectionParams::withEnvironment(m_dir.file(QStringLiteral("ZORIKA")));
    }
    db.setParams(m_params);
    store::openOrCreate(db);
}

void DbTest::TearDown()
{
    if (GetParam() == Backend::Server && !m_params.databaseName.isEmpty()) {
        // A file on the server outlives the test folder: remove it through the server.
        try {
            db.drop();
        } catch (const std::exception &e) {
            ADD_FAILURE() << "test database not removed: " << e.what();
        }
    }
    db.disconnect();
}

} // namespace testsupport
