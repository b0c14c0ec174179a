// Many clients at once through the real server: invoice numbers handed out under contention
// are never repeated and leave no gap, a refusal gives nothing, and two saves of one delivery
// cannot both win. On SQLite and (when configured) PostgreSQL.

#include "framework/net/netconnection.h"
#include "framework/units/core/check_result.h"
#include "modules/ate02700/contracts/rdm_manu_del_valor.h"
#include "tests/contracts/packet_access.h"
#include "tests/support/server_fixture.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

using namespace contracts_test;
using testsupport::DirectConnection;
using testsupport::TestDatabase;

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kPlace = QStringLiteral("0009");
constexpr qint64 kFirstNumber = 700000;

class ConcurrencyTest : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::create(GetParam());
        if (!db_) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    }
    void startServer() { server_ = std::make_unique<testsupport::ServerProcess>(db_->url()); }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<testsupport::ServerProcess> server_;
};

struct Batch {
    std::vector<qint64> deliveries;
    bool given = false;
};

TEST_P(ConcurrencyTest, SixteenClientsAskingForNumbersGetEachNumberOnceWithoutGaps)
{
    testsupport::initDatabase(db_->url(), QStringLiteral("demo"));
    testsupport::initDatabase(db_->url(), QStringLiteral("scale:2500"));
    std::vector<qint64> free;
    qint64 rangeSize = 0;
    {
        DirectConnection direct(*db_);
        for (const QVariant& v : direct.column(QStringLiteral("SELECT NRDELIVERY FROM DELIVERY WHERE CDFILIAL = '0001' "
                                                              "AND NRDELIVERYFA IS NULL ORDER BY NRDELIVERY")))
            free.push_back(v.toLongLong());
        ASSERT_GE(free.size(), 500u);
        // Fewer numbers than the clients will ask for, so the range runs out under contention.
        rangeSize = std::min<qint64>(800, static_cast<qint64>(free.size()) - 200);
        direct.exec(
            QStringLiteral("INSERT INTO LOCALEMISS (CDFILIAL, CDLOCALDELIV, NMLOCALDELIV) VALUES ('0001', '0009', "
                           "'Teste concorrência')"));
        direct.exec(QStringLiteral("INSERT INTO FAIXANUMFAT (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA, NRINICIAL, NRFINAL, "
                                   "NRPROXIMO) VALUES ('0001', '0009', 1, %1, %2, %1)")
                        .arg(kFirstNumber)
                        .arg(kFirstNumber + rangeSize - 1));
    }
    startServer();

    constexpr int kClients = 16;
    constexpr int kAsks = 50;
    std::vector<std::vector<Batch>> batches(kClients);
    std::vector<QString> problems(kClients);
    std::latch start(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            // Each client numbers deliveries of its own (every 16th), so what a refusal left
            // unnumbered can be checked without anyone else touching it.
            std::vector<qint64> mine;
            for (std::size_t i = static_cast<std::size_t>(c); i < free.size(); i += kClients) mine.push_back(free[i]);
            std::mt19937 rng(static_cast<unsigned>(c + 1));
            TNetConnection net;
            server_->configure(net);
            TRdmManuDelValor rdm(net);
            DirectConnection direct(*db_);
            std::size_t next = 0;
            start.arrive_and_wait();
            for (int ask = 0; ask < kAsks && problems[c].isEmpty(); ++ask) {
                const std::size_t size = std::min<std::size_t>(1 + rng() % 10, mine.size() - next);
                Batch batch{{mine.begin() + static_cast<std::ptrdiff_t>(next),
                             mine.begin() + static_cast<std::ptrdiff_t>(next + size)}};
                try {
                    Consiste::CheckResultServ(rdm.GeraNovoFatur(markedDeliveries(batch.deliveries), kPlace), true, 0);
                    batch.given = true;
                    next += size;  // a refused batch is asked for again, in whole or in part
                } catch (const EServerError& e) {
                    if (e.Message() != QLatin1String("Numeracao")) {
                        problems[c] = QStringLiteral("refusal text: ") + e.Message();
                        break;
                    }
                    QStringList keys;
                    for (const qint64 k : batch.deliveries) keys << QString::number(k);
                    const QVariant given =
                        direct.scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE NRDELIVERY IN "
                                                     "(%1) AND NRDELIVERYFA IS NOT NULL")
                                          .arg(keys.join(QLatin1Char(','))));
                    if (given.toLongLong() != 0) problems[c] = QStringLiteral("a refused batch got numbers");
                } catch (const std::exception& e) {
                    problems[c] = QString::fromUtf8(e.what());
                }
                batches[c].push_back(std::move(batch));
            }
        });
    }
    for (auto& t : clients) t.join();
    for (int c = 0; c < kClients; ++c)
        EXPECT_TRUE(problems[c].isEmpty()) << "client " << c << ": " << problems[c].toStdString();

    // Every number of the place, in the order it was given.
    DirectConnection direct(*db_);
    std::map<qint64, qint64> numberOf;  // delivery -> number
    QSqlQuery q(direct.db());
    ASSERT_TRUE(
        q.exec(QStringLiteral("SELECT NRDELIVERY, NRDELIVERYFA FROM DELIVERY WHERE CDFILIAL = '0001' AND "
                              "CDLOCALDELIV = '0009'")));
    std::vector<qint64> numbers;
    while (q.next()) {
        numberOf[q.value(0).toLongLong()] = q.value(1).toString().toLongLong();
        numbers.push_back(q.value(1).toString().toLongLong());
    }
    std::sort(numbers.begin(), numbers.end());
    ASSERT_FALSE(numbers.empty());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        ASSERT_EQ(numbers[i], kFirstNumber + static_cast<qint64>(i)) << "gap or repeat";
    const qint64 next = direct
                            .scalar(QStringLiteral(
                                "SELECT NRPROXIMO FROM FAIXANUMFAT WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0009'"))
                            .toLongLong();
    EXPECT_EQ(next, kFirstNumber + static_cast<qint64>(numbers.size()));
    EXPECT_EQ(
        direct.scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE CDLOCALDELIV = '0009' AND IDOPERACAO = 'E'"))
            .toLongLong(),
        static_cast<qint64>(numbers.size()));

    int refused = 0;
    std::size_t given = 0;
    for (const auto& list : batches) {
        for (const Batch& b : list) {
            if (!b.given) {
                ++refused;
                continue;
            }
            // A batch is numbered as one, in delivery order.
            given += b.deliveries.size();
            for (std::size_t i = 0; i < b.deliveries.size(); ++i) {
                ASSERT_TRUE(numberOf.count(b.deliveries[i])) << b.deliveries[i];
                if (i > 0) {
                    EXPECT_EQ(numberOf[b.deliveries[i]], numberOf[b.deliveries[i - 1]] + 1);
                }
            }
        }
    }
    EXPECT_EQ(given, numbers.size());
    EXPECT_GT(refused, 0);  // the range did run out while clients were asking
}

TEST_P(ConcurrencyTest, TwoSavesOfOneDeliveryCannotBothWinAndTotalsStayTheSumOfLines)
{
    testsupport::initDatabase(db_->url(), QStringLiteral("demo"));
    startServer();
    const QDateTime from = wire::makeDateTime(2026, 11, 1), to = wire::makeDateTime(2026, 11, 30);
    TNetConnection probeNet;
    server_->configure(probeNet);
    TRdmManuDelValor probe(probeNet);
    const wire::DataPacket list =
        Consiste::CheckResultServ(probe.GetDelivery(kBranch, QStringLiteral("0001"), from, to), true, 0);
    std::optional<std::size_t> row;
    for (std::size_t r = 0; r < list.rows.size() && !row; ++r)
        if (text(list, r, u"NRDELIVERYFA").isEmpty()) row = r;
    ASSERT_TRUE(row.has_value());
    const qint64 key = static_cast<qint64>(number(list, *row, u"NRDELIVERY"));

    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const wire::DataPacket loaded =
            Consiste::CheckResultServ(probe.GetServicoDel(kBranch, QString::number(key)), true, 0);
        ASSERT_FALSE(loaded.rows.empty());
        const double base = number(loaded, 0, u"QTSERFATSP");
        std::latch start(2);
        std::vector<std::vector<wire::DataPacket>> answers(2);
        std::vector<QString> failures(2);
        std::vector<std::thread> clients;
        for (int c = 0; c < 2; ++c) {
            clients.emplace_back([&, c] {
                try {
                    TNetConnection net;
                    server_->configure(net);
                    net.Open();
                    TRdmManuDelValor rdm(net);
                    const wire::ChangeSet mine = updateOf(loaded, 0, [&](const wire::ChangeSet& set, wire::Row& r) {
                        setField(set, r, u"QTSERFATSP", base + 1 + c);
                    });
                    start.arrive_and_wait();
                    answers[c] = Consiste::CheckResultServPackets(
                        rdm.SetServicoDel(mine, kBranch, key, QString(), QStringLiteral("0001"), from, to, QString()),
                        3, true, 0);
                } catch (const std::exception& e) {
                    failures[c] = QString::fromUtf8(e.what());
                }
            });
        }
        for (auto& t : clients) t.join();
        ASSERT_TRUE(failures[0].isEmpty() && failures[1].isEmpty())
            << failures[0].toStdString() << failures[1].toStdString();

        const auto refused = [&](int c) {
            return !answers[c][0].rows.empty() && text(answers[c][0], 0, u"CDERRO") == QLatin1String("ERRO_ATU");
        };
        ASSERT_NE(refused(0), refused(1)) << "exactly one save wins";
        const int winner = refused(0) ? 1 : 0;
        EXPECT_FALSE(text(answers[1 - winner][0], 0, u"CDOBJETO").isEmpty());

        const wire::DataPacket after =
            Consiste::CheckResultServ(probe.GetServicoDel(kBranch, QString::number(key)), true, 0);
        EXPECT_EQ(number(after, 0, u"QTSERFATSP"), base + 1 + winner);
        expectTotalsAddUp(
            Consiste::CheckResultServ(probe.GetDelivery(kBranch, QStringLiteral("0001"), from, to), true, 0), after,
            key);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ConcurrencyTest,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

}  // namespace
