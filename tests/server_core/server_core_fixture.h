#pragma once
// A small, hand-priced world for the server's methods, on SQLite and (ATE_TEST_PG_URL)
// PostgreSQL. Each test starts from the same rows; the expected money values in the tests are
// worked out by hand from the prices below.
//
// Branch 0001 (valued deliveries), 0002 (not). Airline 0001 "ATE" (10% discount) and 0002
// "OUTRA" at 0001; airline 0001 at 0002.
// Financial index 5.0 on 10, 12 and 13 Nov 2026; none on 11 Nov.
// Price table 1 (0001/0001, all 2026):
//   N1 national   10.00 R$ / 2.00 US$, stand-by 6.00 / 1.20
//   N2 national   20.00 R$ only
//   N3 national    4.00 US$ only
//   I1 intl        8.00 US$ only, stand-by 5.00 US$
//   I2 intl       50.00 R$ only
//   P1 national   proportional: 0-100 pax 500.00 R$, 101-200 pax 800.00 R$; a third interval
//                 150-250 overlaps the second and has no price
//   Z1 national   priced 0.00
//   K1 national   no price at all
//   D1 national   two items valid on 10 Nov
// Tables 2 and 3 (0001/0002): both active on 10 Nov.
// Flight 100 leg 0001 (national): 10 Nov 10:00 80 pax, 11 Nov 10:00 80 pax, 12 Nov 10:00
//   180 pax, 13 Nov 10:00 300 pax, 10 Nov 00:00 and 11 Nov 00:00 (range edges).
// Flight 900 leg 0001 (international): 10 Nov 20:00 200 pax, 11 Nov 20:00 200 pax.
// Deliveries (branch 0001, airline 0001):
//   100 national 10 Nov 10:00, lines 1 N1 x10 and 2 N2 x5; max 3 services; tax 3%
//       base 200.00, tax 6.00, discount 20.00, total 186.00
//   101 national 11 Nov 10:00, line N1 x1, invoiced "77" by place 0001
//   102 international 10 Nov 20:00, line I1 x4 with 1 + 1 stand-by; max 5; tax 5.5%
//   103 national 10 Nov 00:00, line N1 x1;  104 national 11 Nov 00:00, line N1 x1
//   105 branch 0002, 10 Nov 10:00 (another branch's flight 100), line N1 x1
// Emission places of 0001: 0001 (range 70-80, next 78), 0002 (range 5000-5001, next 5000).

#include "framework/wire/value.h"
#include "server/database.h"
#include "server/methods.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <memory>

namespace servercore_test {

using testsupport::TestDatabase;

class ServerCoreTest : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    server::Database& db() { return *db_; }
    const TestDatabase& testDatabase() const { return *testDb_; }
    // A connection of another "operator" (for concurrency), on the calling thread.
    std::unique_ptr<server::Database> openConnection(const QString& name) const;

    wire::Value call(const QString& method, wire::Array args);
    // Runs one statement of the test's own.
    void exec(const QString& sql);
    QVariant scalar(const QString& sql);

    // Every row of every table, as sorted text: equal snapshots mean nothing changed.
    QStringList snapshot();

private:
    TestDatabase* testDb_ = nullptr;
    std::unique_ptr<server::Database> db_;
};

// Every table of the schema, children before parents.
const QStringList& allTables();

// The naive wall-clock date-time of the branch.
QDateTime at(int day, int hour = 0, int minute = 0, int second = 0, int msec = 0);  // November 2026

// Reading packets by field name.
const wire::Value& cell(const wire::DataPacket& packet, std::size_t row, const char* field);
double number(const wire::DataPacket& packet, std::size_t row, const char* field);
QString text(const wire::DataPacket& packet, std::size_t row, const char* field);
// The row whose field holds the number, or -1.
int findRow(const wire::DataPacket& packet, const char* field, double value);

// Parameter names for test output.
std::string engineParamName(const ::testing::TestParamInfo<TestDatabase::Engine>& info);

}  // namespace servercore_test
