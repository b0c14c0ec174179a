// A deadlock PostgreSQL breaks by rolling the server's transaction back: the server runs the
// write again and the operator sees the work done, not a failure.

#include "server/record_layouts.h"
#include "tests/server_core/server_core_fixture.h"

#include <QElapsedTimer>
#include <QThread>
#include <QUrl>

#include <thread>

namespace servercore_test {
namespace {

class DeadlockRetry : public ServerCoreTest {};

TEST_P(DeadlockRetry, NumberingRolledBackByTheDatabaseIsRunAgain)
{
    testsupport::DirectConnection other(testDatabase());
    // A deadlock is broken by the first of its sessions to look for one, and each looks once,
    // deadlock_timeout after it starts waiting. The server's sessions look after 2 s, this one
    // never within the test: the server's transaction is the one rolled back however the
    // machine happens to schedule the two processes.
    other.exec(
        QStringLiteral("ALTER DATABASE %1 SET deadlock_timeout = '2s'").arg(QUrl(testDatabase().url()).path().mid(1)));
    other.exec(QStringLiteral("SET deadlock_timeout = '60s'"));
    // The other session takes delivery 100 first.
    other.exec(QStringLiteral("BEGIN"));
    other.exec(QStringLiteral("SELECT NRDELIVERY FROM DELIVERY WHERE NRDELIVERY = 100 FOR UPDATE"));

    wire::DataPacket marked;
    marked.fields = server::layout::delivery();
    wire::Row row(marked.fields.size());
    row[static_cast<std::size_t>(marked.fieldIndex(u"NRDELIVERY"))] = 100.0;
    row[static_cast<std::size_t>(marked.fieldIndex(u"IDMARCADO"))] = QStringLiteral("S");
    marked.rows.push_back(row);

    QString outcome;
    std::thread operatorCall([&] {
        auto connection = openConnection(QStringLiteral("deadlock-operator"));
        wire::Array args{marked, QStringLiteral("0001")};
        try {
            outcome = server::Methods(*connection).call(QStringLiteral("GeraNovoFatur"), args) == wire::Value(true)
                          ? QStringLiteral("numbered")
                          : QStringLiteral("answered something else");
        } catch (const server::ServerFailure& e) {
            outcome = e.Message();
        }
    });

    // The server holds the place's ranges and waits for delivery 100 ... (seen from a session
    // of its own: the activity view is a snapshot per transaction)
    testsupport::DirectConnection watcher(testDatabase());
    QElapsedTimer clock;
    clock.start();
    bool waiting = false;
    while (!waiting && clock.elapsed() < 10'000) {
        waiting = watcher
                      .scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
                                             "AND wait_event_type = 'Lock'"))
                      .toInt()
                  > 0;
        if (!waiting) QThread::msleep(10);
    }
    if (!waiting) {
        other.exec(QStringLiteral("ROLLBACK"));
        operatorCall.join();
        FAIL() << "the server's numbering never waited for the delivery: " << outcome.toStdString();
    }
    // ... and the other session now wants those ranges: a cycle, which the database breaks by
    // failing the server's transaction.
    try {
        other.exec(
            QStringLiteral("SELECT NRPROXIMO FROM FAIXANUMFAT WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0001' "
                           "FOR UPDATE"));
        other.exec(QStringLiteral("COMMIT"));
    } catch (const std::exception& e) {
        operatorCall.join();
        FAIL() << "the test's own session was chosen: " << e.what();
    }
    operatorCall.join();

    EXPECT_EQ(outcome, QStringLiteral("numbered"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = 100")).toString(),
              QStringLiteral("78"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE NRDELIVERY = 100")).toInt(), 1);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT NRPROXIMO FROM FAIXANUMFAT WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0001'"))
            .toInt(),
        79);
}

// SQLite takes one writer at a time (BEGIN IMMEDIATE): its writers cannot deadlock.
INSTANTIATE_TEST_SUITE_P(Engines, DeadlockRetry, ::testing::Values(TestDatabase::Engine::PostgreSQL), engineParamName);

}  // namespace
}  // namespace servercore_test
