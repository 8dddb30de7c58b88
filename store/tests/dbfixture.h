#pragma once

#include <store/database.h>
#include <testsupport/tempdir.h>

#include <gtest/gtest.h>

namespace testsupport {

/// Where a test database lives: a file for the embedded engine, or a database on the
/// Firebird server named by ZD_TEST_SERVER ("host:/folder", a folder the server may write).
enum class Backend { Embedded, Server };

std::string backendName(const ::testing::TestParamInfo<Backend> &info);

/// A fresh database with the program's schema for each test.
class DbTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// Parameters of this test's database (for a second connection).
    store::ConnectionParams params() const { return m_params; }

    TempDir m_dir;
    store::ConnectionParams m_params;
    store::Database db;
};

} // namespace testsupport
