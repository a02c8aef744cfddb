#pragma once

// The test server (FROSTEL_TEST_PG, a throwaway cluster that ctest starts): a connection to
// it, and a fixture that gives each test a database of its own at the current schema.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "archive/pg_address.h"
#include "archive/pg_connection.h"
#include "archive/pg_schema.h"

namespace frostel::test {

// One connection of its own, removed with it.
class Connection {
  public:
    Connection(const archive::PgAddress& address, const QString& name) : name_(name) {
        QString error;
        db_ = archive::connect_pg(address, name, error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    ~Connection() {
        db_->close();
        db_.reset();
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QSqlDatabase& db() { return *db_; }

    // The first column's text, or "!" and the SQLSTATE when the statement fails.
    std::string answer(const QString& statement, const QVariantList& values = {}) {
        QSqlQuery query(*db_);
        // Qt prepares with SQL's PREPARE, which takes no statement but a query or a change.
        bool ran = false;
        if (values.isEmpty()) {
            ran = query.exec(statement);
        } else {
            query.prepare(statement);
            for (const QVariant& value : values) {
                query.addBindValue(value);
            }
            ran = query.exec();
        }
        if (!ran) {
            return "!" + query.lastError().nativeErrorCode().toStdString();
        }
        return query.next() ? query.value(0).toString().toStdString() : std::string();
    }

    // The statement's SQLSTATE, or "" when it ran.
    std::string state_of(const QString& statement, const QVariantList& values = {}) {
        const std::string said = answer(statement, values);
        return said.starts_with('!') ? said.substr(1) : std::string();
    }

  private:
    QString name_;
    std::optional<QSqlDatabase> db_;
};

// Each test on a database of its own, migrated by the cluster's superuser.
class PgServer : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* url = std::getenv("FROSTEL_TEST_PG");
        if (url == nullptr) {
            GTEST_SKIP() << "FROSTEL_TEST_PG names no test server";
        }
        std::string why;
        const auto server = archive::parse_pg_uri(url, why);
        ASSERT_TRUE(server) << why;
        superuser_ = *server;
        // Named by the suite too, as two test programs may share the server.
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        database_ =
            QStringLiteral("frostel_%1_%2")
                .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()))
                .toLower();
        {
            Connection maintenance(superuser_, QStringLiteral("maintenance"));
            ASSERT_EQ(maintenance.state_of(
                          QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database_)),
                      "");
            ASSERT_EQ(maintenance.state_of(QStringLiteral("CREATE DATABASE %1").arg(database_)),
                      "");
        }
        superuser_.database = database_.toStdString();
        owner_ = std::make_unique<Connection>(superuser_, QStringLiteral("owner"));
        const archive::PgMigration migration =
            archive::migrate_pg_schema(owner_->db(), schema_at_start());
        ASSERT_TRUE(migration.error.isEmpty()) << migration.error.toStdString();
        EXPECT_EQ(std::tuple(migration.from, migration.to), std::tuple(0, schema_at_start()));
    }

    void TearDown() override { owner_.reset(); }

    [[nodiscard]] virtual int schema_at_start() const { return archive::pg_schema_version(); }

    // A site's client login, made as a site's administrator would.
    archive::PgAddress client_login(const char* name) {
        const QString role = QString::fromLatin1(name);
        EXPECT_EQ(owner_->state_of(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role)), "");
        EXPECT_EQ(owner_->state_of(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'not-used-here'"
                                                  " IN ROLE frostel_client")
                                       .arg(role)),
                  "");
        archive::PgAddress login = superuser_;
        login.user = name;
        return login;
    }

    archive::PgAddress superuser_;
    QString database_;
    std::unique_ptr<Connection> owner_;
};

}  // namespace frostel::test
