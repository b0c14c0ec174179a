// Invoice numbering (GeraNovoFatur) and its cancellation (SetCancelDel): numbers in
// NRDELIVERY order, all or nothing, recorded, never given twice, no gaps under contention.

#include "server/record_layouts.h"
#include "tests/server_core/server_core_fixture.h"

#include <QSet>

#include <latch>
#include <thread>

namespace servercore_test {
namespace {

// A delivery packet as the client sends it: the key, the mark and what the client believes.
wire::DataPacket marked(const std::vector<std::pair<int, const char*>>& rows, const char* invoice = nullptr)
{
    wire::DataPacket p;
    p.fields = server::layout::delivery();
    for (const auto& [key, mark] : rows) {
        wire::Row row(p.fields.size());
        row[static_cast<std::size_t>(p.fieldIndex(u"NRDELIVERY"))] = static_cast<double>(key);
        row[static_cast<std::size_t>(p.fieldIndex(u"IDMARCADO"))] = QString::fromLatin1(mark);
        row[static_cast<std::size_t>(p.fieldIndex(u"CDFILIAL"))] = QStringLiteral("0001");
        if (invoice) row[static_cast<std::size_t>(p.fieldIndex(u"NRDELIVERYFA"))] = QString::fromLatin1(invoice);
        p.rows.push_back(std::move(row));
    }
    return p;
}

class Numbering : public ServerCoreTest {
protected:
    void number(const wire::DataPacket& packet, const char* place, server::Database* other = nullptr)
    {
        wire::Array args{packet, QString::fromLatin1(place)};
        const wire::Value result = other ? server::Methods(*other).call(QStringLiteral("GeraNovoFatur"), args)
                                         : call(QStringLiteral("GeraNovoFatur"), args);
        EXPECT_EQ(result, wire::Value(true));
    }

    QString invoiceOf(int delivery)
    {
        const QVariant v =
            scalar(QStringLiteral("SELECT NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = %1").arg(delivery));
        return v.isNull() ? QStringLiteral("<none>") : v.toString();
    }

    qint64 nextOf(const char* place)
    {
        return scalar(
                   QStringLiteral("SELECT NRPROXIMO FROM FAIXANUMFAT WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '%1'")
                       .arg(QLatin1String(place)))
            .toLongLong();
    }

    // Deliveries 1000.. of flight 100 on 12 Nov, one line each.
    void addDeliveries(int count)
    {
        for (int i = 0; i < count; ++i)
            exec(QStringLiteral(
                     "INSERT INTO DELIVERY (NRDELIVERY, CDFILIAL, NUMERO, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, "
                     "IDTIPNACDEL, NRMAXSERVDEL) VALUES (%1, '0001', 'N%1', '0001', '100', '0001', "
                     "'2026-11-12 10:00:00.000', '1', 12)")
                     .arg(1000 + i));
    }
};

TEST_P(Numbering, GivesTheNextNumbersInDeliveryOrderAndRecordsThem)
{
    // Marked in any order; 101 already has its number and keeps it; 102 is not marked.
    number(marked({{104, "S"}, {102, "N"}, {101, "S"}, {100, "S"}, {103, "S"}}), "1");
    EXPECT_EQ(invoiceOf(100), QStringLiteral("78"));
    EXPECT_EQ(invoiceOf(103), QStringLiteral("79"));
    EXPECT_EQ(invoiceOf(104), QStringLiteral("80"));
    EXPECT_EQ(invoiceOf(101), QStringLiteral("77"));
    EXPECT_EQ(invoiceOf(102), QStringLiteral("<none>"));
    EXPECT_EQ(nextOf("0001"), 81);
    EXPECT_EQ(scalar(QStringLiteral("SELECT CDLOCALDELIV FROM DELIVERY WHERE NRDELIVERY = 103")).toString(),
              QStringLiteral("0001"));
    EXPECT_EQ(scalar(QStringLiteral(
                         "SELECT COUNT(*) FROM REGNUMFAT WHERE IDOPERACAO = 'E' AND NRDELIVERY IN (100, 103, 104)"))
                  .toInt(),
              3);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NRDELIVERY FROM REGNUMFAT WHERE NRDELIVERYFA = '79'")).toInt(), 103);

    // Nothing marked: nothing to do, and still true.
    const QStringList before = snapshot();
    number(marked({{102, "N"}}), "0001");
    number(wire::DataPacket{}, "0001");
    EXPECT_EQ(snapshot(), before);
}

TEST_P(Numbering, ARangeThatCannotCoverThemAllGivesNothing)
{
    const QStringList before = snapshot();
    // The counter place has 5000 and 5001 left: three deliveries need one more.
    try {
        number(marked({{100, "S"}, {102, "S"}, {103, "S"}}), "0002");
        FAIL() << "numbered beyond the range";
    } catch (const server::ServerFailure& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Numeracao"));
    }
    EXPECT_EQ(snapshot(), before);

    // A second range of the place takes over where the first one ends.
    exec(
        QStringLiteral("INSERT INTO FAIXANUMFAT (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA, NRINICIAL, NRFINAL, NRPROXIMO) "
                       "VALUES ('0001', '0002', 2, 6000, 6009, 6000)"));
    number(marked({{100, "S"}, {102, "S"}, {103, "S"}}), "0002");
    EXPECT_EQ(invoiceOf(100), QStringLiteral("5000"));
    EXPECT_EQ(invoiceOf(102), QStringLiteral("5001"));
    EXPECT_EQ(invoiceOf(103), QStringLiteral("6000"));

    // A range overlapping numbers another place of the branch gave is refused, giving nothing.
    exec(
        QStringLiteral("UPDATE FAIXANUMFAT SET NRINICIAL = 75, NRFINAL = 6009, NRPROXIMO = 77 "
                       "WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0002' AND NRSEQFAIXA = 2"));
    exec(
        QStringLiteral("UPDATE FAIXANUMFAT SET NRPROXIMO = 5002 WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0002' "
                       "AND NRSEQFAIXA = 1"));
    const QStringList beforeOverlap = snapshot();
    try {
        number(marked({{104, "S"}}), "0002");
        FAIL() << "gave a number already used in the branch";
    } catch (const server::ServerFailure& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("77 do local 0002"))) << e.what();
    }
    EXPECT_EQ(snapshot(), beforeOverlap);

    // An unknown place is refused as such.
    EXPECT_THROW(number(marked({{104, "S"}}), "0007"), server::ServerFailure);
    EXPECT_EQ(invoiceOf(104), QStringLiteral("<none>"));
}

TEST_P(Numbering, CancellingTrustsTheDatabaseAndACancelledNumberIsNeverGivenAgain)
{
    auto cancel = [&](const wire::DataPacket& packet, const char* branch) {
        return call(QStringLiteral("SetCancelDel"),
                    {packet, QString::fromLatin1(branch), QStringLiteral("0001"), at(10), at(11)})
            .packet();
    };
    // Another branch cannot take back 0001's number; an unmarked row is left alone; a row that
    // claims a number the database does not have changes nothing.
    const QStringList before = snapshot();
    cancel(marked({{101, "S"}}), "0002");
    cancel(marked({{101, "N"}, {100, "S"}}, "999"), "0001");
    EXPECT_EQ(snapshot(), before);

    const wire::DataPacket list = cancel(marked({{101, "S"}}), "0001");
    EXPECT_EQ(list.fields, server::layout::delivery());
    const int row = findRow(list, "NRDELIVERY", 101);
    ASSERT_GE(row, 0);
    EXPECT_TRUE(cell(list, row, "NRDELIVERYFA").isNull());
    EXPECT_TRUE(cell(list, row, "CDLOCALDELIV").isNull());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE NRDELIVERYFA = '77' AND IDOPERACAO = 'C' "
                                    "AND NRDELIVERY = 101 AND CDLOCALDELIV = '0001'"))
                  .toInt(),
              1);

    // Numbered again: the range goes on from where it was, 77 stays used.
    number(marked({{101, "S"}}), "0001");
    EXPECT_EQ(invoiceOf(101), QStringLiteral("78"));
    // The register refuses a second emission of one number in the branch.
    EXPECT_ANY_THROW(
        exec(QStringLiteral("INSERT INTO REGNUMFAT (CDFILIAL, CDLOCALDELIV, NRDELIVERYFA, NRDELIVERY, "
                            "IDOPERACAO, DTHROPERACAO) VALUES ('0001', '0001', '77', 100, 'E', "
                            "'2026-11-20 10:00:00.000')")));
    // ... and a delivery cannot take a number another delivery of the branch holds.
    EXPECT_ANY_THROW(
        exec(QStringLiteral("UPDATE DELIVERY SET NRDELIVERYFA = '78', CDLOCALDELIV = '0001' "
                            "WHERE NRDELIVERY = 100")));
}

TEST_P(Numbering, EightConnectionsNumberingOverlappingBatchesGiveEachNumberOnceWithoutGaps)
{
    constexpr int kDeliveries = 120;
    constexpr int kThreads = 8;
    addDeliveries(kDeliveries);
    exec(
        QStringLiteral("UPDATE FAIXANUMFAT SET NRINICIAL = 10001, NRFINAL = 100000, NRPROXIMO = 10001 "
                       "WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0002'"));

    // Every thread walks all deliveries in batches of three, from its own starting point,
    // so that batches meet: a delivery numbered by one thread is kept by the others.
    std::latch start(kThreads);
    std::vector<std::string> errors(kThreads);
    auto run = [&](int t) {
        try {
            auto connection = openConnection(QStringLiteral("numbering-%1").arg(t));
            connection->setLockTimeout(30000);
            start.arrive_and_wait();
            for (int b = 0; b < kDeliveries / 3; ++b) {
                const int first = ((b + t * 5) % (kDeliveries / 3)) * 3;
                number(marked({{1000 + first + 2, "S"}, {1000 + first, "S"}, {1000 + first + 1, "S"}}), "0002",
                       connection.get());
            }
        } catch (const std::exception& e) {
            errors[static_cast<std::size_t>(t)] = e.what();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(run, t);
    for (auto& t : threads) t.join();
    for (const auto& e : errors) EXPECT_EQ(e, "");

    QSet<qint64> numbers;
    for (int i = 0; i < kDeliveries; ++i) {
        bool ok = false;
        const qint64 n = invoiceOf(1000 + i).toLongLong(&ok);
        ASSERT_TRUE(ok) << "delivery " << 1000 + i << " has no number";
        numbers.insert(n);
    }
    EXPECT_EQ(numbers.size(), kDeliveries);                                                       // none twice
    for (qint64 n = 10001; n <= 10000 + kDeliveries; ++n) EXPECT_TRUE(numbers.contains(n)) << n;  // no gap
    EXPECT_EQ(nextOf("0002"), 10001 + kDeliveries);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE CDLOCALDELIV = '0002'")).toInt(),
              kDeliveries);
}

TEST_P(Numbering, AWriteThatCannotGetTheLockInTimeIsReportedAsBusy)
{
    testsupport::WriteLock lock(testDatabase());
    db().setLockTimeout(200);
    const QStringList expected{QStringLiteral("O banco de dados está ocupado. Tente novamente em instantes.")};
    try {
        number(marked({{100, "S"}}), "0001");
        FAIL() << "numbered while another writer held the lock";
    } catch (const server::DatabaseBusy& e) {
        EXPECT_EQ(QStringList{e.Message()}, expected);
    }
    lock.release();
    number(marked({{100, "S"}}), "0001");
    EXPECT_EQ(invoiceOf(100), QStringLiteral("78"));
}

INSTANTIATE_TEST_SUITE_P(Engines, Numbering,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
