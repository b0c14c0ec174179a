#pragma once
// The service suites: the real main form over a real application server and database (SQLite
// always, PostgreSQL when ATE_TEST_PG_URL is set), driven as an operator does.
//
// Each engine gets one seeded demo database and server for the whole run; tests that change
// rows behind the server's back put them back with a RowsRestore.

#include "tests/ate02700/module_test_env.h"
#include "tests/ate02700_model/qstring_printer.h"
#include "tests/support/server_fixture.h"

#include <QDate>
#include <QImage>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

class TDBGrid;
class TfrmManuDelValor;

namespace servicestest {

using Engine = testsupport::TestDatabase::Engine;

// Runs the statements at the end of its scope (to put back rows a test changed).
class RowsRestore {
public:
    explicit RowsRestore(std::function<void()> restore) : restore_(std::move(restore)) {}
    ~RowsRestore() { restore_(); }
    RowsRestore(const RowsRestore&) = delete;
    RowsRestore& operator=(const RowsRestore&) = delete;

private:
    std::function<void()> restore_;
};

class ServicesTest : public ::testing::TestWithParam<Engine> {
public:
    static void TearDownTestSuite();

protected:
    void SetUp() override;
    void TearDown() override;

    testsupport::ServerProcess& Server() const;
    testsupport::DirectConnection& Db() const { return *direct_; }

    // Opens the screen as the host does and waits for its first activation.
    TfrmManuDelValor& OpenScreen();
    // Types the airline's short code and the dates into the filter panel and leaves it for
    // the delivery grid, which loads the deliveries; waits until they are there.
    void LoadDeliveries(const QString& airline, const QDate& from, const QDate& to);
    // Delivery numbers (NRDELIVERY) of branch 0001 and the airline code in NRDELIVERY order.
    std::vector<qint64> DeliveriesOf(const QString& cdCia, const QDate& from, const QDate& to) const;

    // Calls of a method the server has logged since the test began.
    int Calls(const QString& method) const;
    // Waits until the server has logged `expected` calls of the method since the test began,
    // then a little longer to see that no further call comes; the count at the end.
    int SettledCalls(const QString& method, int expected) const;

    // ---- the operator's hands
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Type(const QString& text);
    void ClickTab(int index);
    void ClickCell(TDBGrid& grid, int row, int column);
    // Moves the service grid's cursor to the column that shows the field, with arrow keys.
    void GoToColumn(const QString& fieldName);
    QImage Shot(TDBGrid& grid) const;

    TfrmManuDelValor* form_ = nullptr;
    ScopedDialogs dialogs_;

private:
    ate02700test::HostWindow host_;
    std::unique_ptr<testsupport::DirectConnection> direct_;
    QString logAtStart_;
};

// Instantiates a suite for SQLite and PostgreSQL.
#define SERVICES_ENGINES(Suite)                                                                                    \
    INSTANTIATE_TEST_SUITE_P(                                                                                      \
        Engines, Suite, ::testing::Values(servicestest::Engine::SQLite, servicestest::Engine::PostgreSQL),         \
        [](const auto& info) {                                                                                     \
            return info.param == servicestest::Engine::SQLite ? std::string("SQLite") : std::string("PostgreSQL"); \
        })

}  // namespace servicestest
