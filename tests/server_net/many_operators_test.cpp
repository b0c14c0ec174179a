// Many operators on one PostgreSQL database through two server processes: sixteen clients
// number, cancel and save services of the same deliveries at once. Every call is answered
// (done, or refused with a clear text), no invoice number is given twice or skipped, every
// save counts, and every delivery's totals are the sum of its lines.

#include "server/record_layouts.h"
#include "tests/server_net/raw_client.h"
#include "tests/support/server_fixture.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>

using testsupport::DirectConnection;
using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

constexpr int kClients = 16;
constexpr int kRounds = 30;
const QString kBusy = QStringLiteral("O banco de dados está ocupado. Tente novamente em instantes.");

struct PoolDelivery {
    qint64 key = 0;
    QString airline, billingPlace;
};

// What the clients did, gathered from every thread.
struct Tally {
    std::mutex mutex;
    std::map<std::pair<qint64, qint64>, int> savedBumps;  // (delivery, item) -> saves that went through
    QStringList unexpected;
    int numbered = 0, cancelled = 0, saved = 0, refused = 0;

    void add(int& counter)
    {
        const std::lock_guard lock(mutex);
        ++counter;
    }
    void wrong(const QString& what)
    {
        const std::lock_guard lock(mutex);
        unexpected << what;
    }
};

QDateTime nov(int day) { return wire::makeDateTime(2026, 11, day); }

wire::DataPacket markedPacket(const std::vector<qint64>& keys)
{
    wire::DataPacket p;
    p.fields = server::layout::delivery();
    for (const qint64 key : keys) {
        wire::Row row(p.fields.size());
        row[static_cast<std::size_t>(p.fieldIndex(u"NRDELIVERY"))] = static_cast<double>(key);
        row[static_cast<std::size_t>(p.fieldIndex(u"IDMARCADO"))] = QStringLiteral("S");
        row[static_cast<std::size_t>(p.fieldIndex(u"CDFILIAL"))] = QStringLiteral("0001");
        p.rows.push_back(std::move(row));
    }
    return p;
}

class Operator {
public:
    Operator(quint16 port, int seed, const std::vector<PoolDelivery>& pool, Tally& tally)
        : client_(port), random_(static_cast<unsigned>(seed)), pool_(pool), tally_(tally)
    {
        if (!client_.open()) throw std::runtime_error("opening refused");
    }

    void run(int round)
    {
        switch (round % 3) {
        case 0: number(); break;
        case 1: cancel(); break;
        default: saveQuantity(); break;
        }
    }

private:
    std::vector<qint64> someDeliveries()
    {
        std::vector<qint64> keys;
        const int count = 1 + static_cast<int>(random_() % 3);
        for (int i = 0; i < count; ++i) keys.push_back(pool_[random_() % pool_.size()].key);
        return keys;
    }

    // The answer of a call, or the refusal text; anything but a known refusal is wrong.
    std::optional<wire::CallReply> call(const QString& method, wire::Array args, const QStringList& refusals)
    {
        const wire::Message answer = client_.call(++id_, method, std::move(args));
        if (const auto* reply = std::get_if<wire::CallReply>(&answer)) return *reply;
        const auto* error = std::get_if<wire::ErrorReply>(&answer);
        const QString text = error ? error->message : QStringLiteral("<not an answer>");
        if (refusals.contains(text))
            tally_.add(tally_.refused);
        else
            tally_.wrong(method + QStringLiteral(": ") + text);
        return std::nullopt;
    }

    void number()
    {
        if (call(QStringLiteral("GeraNovoFatur"), {markedPacket(someDeliveries()), QStringLiteral("0001")},
                 {QStringLiteral("Numeracao"), kBusy}))
            tally_.add(tally_.numbered);
    }

    void cancel()
    {
        if (call(QStringLiteral("SetCancelDel"),
                 {markedPacket(someDeliveries()), QStringLiteral("0001"), pool_.front().airline, nov(1), nov(30)},
                 {kBusy}))
            tally_.add(tally_.cancelled);
    }

    // As the client saves: the services as loaded, the first line's invoiced quantity plus one.
    void saveQuantity()
    {
        const PoolDelivery& d = pool_[random_() % pool_.size()];
        const auto loaded = call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QString::number(d.key)}, {});
        if (!loaded || loaded->result.packet().rows.empty()) return;
        const wire::DataPacket& services = loaded->result.packet();
        const wire::Row& old = services.rows.front();
        wire::Row posted = old;
        const auto quantity = static_cast<std::size_t>(services.fieldIndex(u"QTSERFATSP"));
        posted[quantity] = old[quantity].toDouble() + 1;
        const wire::ChangeSet changes{services.fields, {{wire::ChangeKind::Update, old, posted}}};
        const auto saved = call(
            QStringLiteral("SetServicoDel"),
            {changes, QStringLiteral("0001"), d.key, d.billingPlace, d.airline, nov(1), nov(30), QString()}, {kBusy});
        if (!saved) return;
        const wire::DataPacket& errors = saved->result.array().at(0).packet();
        if (errors.rows.empty()) {
            const auto item =
                static_cast<qint64>(old[static_cast<std::size_t>(services.fieldIndex(u"NRITEMPLANSP"))].toDouble());
            const std::lock_guard lock(tally_.mutex);
            ++tally_.savedBumps[{d.key, item}];
            ++tally_.saved;
            return;
        }
        // Numbered by someone else in between, or the line saved by someone else since loaded.
        const QString text = errors.rows.front().at(1).text();
        if (text.startsWith(QStringLiteral("Delivery já faturada"))
            || text.contains(QStringLiteral("por outro usuário")))
            tally_.add(tally_.refused);
        else
            tally_.wrong(QStringLiteral("SetServicoDel: ") + text);
    }

    RawClient client_;
    std::mt19937 random_;
    const std::vector<PoolDelivery>& pool_;
    Tally& tally_;
    qint64 id_ = 0;
};

std::vector<PoolDelivery> poolOf(DirectConnection& db)
{
    QSqlQuery q(db.db());
    q.exec(
        QStringLiteral("SELECT NRDELIVERY, CDCIA, CDLOCAFATCIA FROM DELIVERY WHERE CDFILIAL = '0001' AND "
                       "NRDELIVERYFA IS NULL AND IDSITDEL = '1' ORDER BY NRDELIVERY LIMIT 24"));
    std::vector<PoolDelivery> pool;
    while (q.next()) pool.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()});
    return pool;
}

// (delivery, item) -> QTSERFATSP of the pool's first lines.
std::map<std::pair<qint64, qint64>, double> quantities(DirectConnection& db, const std::vector<PoolDelivery>& pool)
{
    std::map<std::pair<qint64, qint64>, double> result;
    for (const PoolDelivery& d : pool) {
        QSqlQuery q(db.db());
        q.exec(QStringLiteral("SELECT NRITEMPLANSP, QTSERFATSP FROM SERVDEL WHERE NRDELIVERY = %1").arg(d.key));
        while (q.next()) result[{d.key, q.value(0).toLongLong()}] = q.value(1).toDouble();
    }
    return result;
}

TEST(ManyOperators, TwoServersSixteenClientsNumberCancelAndSaveWithoutLossOrGap)
{
    const auto db = TestDatabase::postgresql();
    if (!db) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    testsupport::initDatabase(db->url(), QStringLiteral("demo"));
    DirectConnection direct(*db);
    const std::vector<PoolDelivery> pool = poolOf(direct);
    ASSERT_EQ(pool.size(), 24u);
    const qint64 firstNumber =
        direct
            .scalar(
                QStringLiteral("SELECT NRPROXIMO FROM FAIXANUMFAT WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0001'"))
            .toLongLong();
    const auto quantitiesBefore = quantities(direct, pool);

    ServerProcess first(db->url(), {QStringLiteral("--threads"), QStringLiteral("4")});
    ServerProcess second(db->url(), {QStringLiteral("--threads"), QStringLiteral("4")});
    Tally tally;
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i)
        clients.emplace_back([&, i] {
            try {
                Operator op(i % 2 == 0 ? first.port() : second.port(), 1000 + i, pool, tally);
                for (int round = 0; round < kRounds; ++round) op.run(round + i);
            } catch (const std::exception& e) {
                tally.wrong(QStringLiteral("client %1: %2").arg(i).arg(QString::fromStdString(e.what())));
            }
        });
    for (auto& c : clients) c.join();

    EXPECT_TRUE(tally.unexpected.isEmpty()) << tally.unexpected.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(tally.numbered, 0);
    EXPECT_GT(tally.cancelled, 0);
    EXPECT_GT(tally.saved, 0);
    std::printf("numbered %d, cancelled %d, saved %d, refused %d\n", tally.numbered, tally.cancelled, tally.saved,
                tally.refused);

    // Numbers of the place: every one from the first free to the range's next, each once.
    const qint64 next = direct
                            .scalar(QStringLiteral(
                                "SELECT NRPROXIMO FROM FAIXANUMFAT WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '0001'"))
                            .toLongLong();
    std::vector<qint64> given;
    for (const QVariant& v :
         direct.column(QStringLiteral("SELECT NRDELIVERYFA FROM REGNUMFAT WHERE CDFILIAL = '0001' AND "
                                      "CDLOCALDELIV = '0001' AND IDOPERACAO = 'E'")))
        if (v.toLongLong() >= firstNumber) given.push_back(v.toLongLong());
    std::sort(given.begin(), given.end());
    std::vector<qint64> expected;
    for (qint64 n = firstNumber; n < next; ++n) expected.push_back(n);
    EXPECT_EQ(given, expected);
    EXPECT_GT(next, firstNumber);

    for (const PoolDelivery& d : pool) {
        // A delivery holds a number exactly when one was given and not taken back since.
        const int gave = direct
                             .scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE NRDELIVERY = %1 AND "
                                                    "IDOPERACAO = 'E'")
                                         .arg(d.key))
                             .toInt();
        const int took = direct
                             .scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE NRDELIVERY = %1 AND "
                                                    "IDOPERACAO = 'C'")
                                         .arg(d.key))
                             .toInt();
        const bool holds =
            !direct.scalar(QStringLiteral("SELECT NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = %1").arg(d.key))
                 .isNull();
        EXPECT_EQ(gave - took, holds ? 1 : 0) << d.key;

        // Totals are the sum of the lines as stored now, in the delivery's currency.
        QSqlQuery t(direct.db());
        t.exec(QStringLiteral("SELECT D.VRBACATX, D.VRTXAERO, D.VRTOTDESC, D.VRTOTDELIV, "
                              "SUM(CASE WHEN D.IDTIPNACDEL = '2' THEN S.VRTOTSERVD ELSE S.VRTOTSERVR END) "
                              "FROM DELIVERY D JOIN SERVDEL S ON S.NRDELIVERY = D.NRDELIVERY WHERE D.NRDELIVERY = %1 "
                              "GROUP BY D.VRBACATX, D.VRTXAERO, D.VRTOTDESC, D.VRTOTDELIV")
                   .arg(d.key));
        ASSERT_TRUE(t.next()) << d.key;
        EXPECT_NEAR(t.value(0).toDouble(), t.value(4).toDouble(), 0.005) << d.key;
        EXPECT_NEAR(t.value(3).toDouble(), t.value(0).toDouble() + t.value(1).toDouble() - t.value(2).toDouble(), 0.005)
            << d.key;
    }

    // Every save that was answered as done counts once: none lost, none applied twice.
    const auto quantitiesAfter = quantities(direct, pool);
    for (const auto& [line, before] : quantitiesBefore) {
        const auto bumps = tally.savedBumps.find(line);
        EXPECT_DOUBLE_EQ(quantitiesAfter.at(line), before + (bumps == tally.savedBumps.end() ? 0 : bumps->second))
            << line.first << "/" << line.second;
    }
    EXPECT_EQ(first.stop(), 0);
    EXPECT_EQ(second.stop(), 0);
}

}  // namespace
