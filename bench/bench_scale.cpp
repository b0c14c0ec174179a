// The calls an operator makes all day, on a small and on a large database of the same kind
// (seeded with `init --seed scale:N`), taken in turns in one run so both see the same load:
//   - GetDelivery of one airline's month at the first branch (November 2026);
//   - GetServicoDel of one delivery of the demo;
//   - SetServicoDel changing one line's quantity of that delivery (and back, in turns);
//   - GeraNovoFatur numbering one delivery not yet numbered.
// Prints, per call, the median wall time (database included) on each and the ratio large /
// small; for GetDelivery also the rows answered (a scale load beyond 10,000 deliveries puts
// them on copied airlines, so the demo airline's month answers the same rows on both).
//
//   build/bin/bench/bench_scale --small "postgresql://...?schema=small"
//                               --large "postgresql://...?schema=large" [--rounds 40]

#include "framework/wire/value.h"
#include "server/database.h"
#include "server/methods.h"
#include "server/record_layouts.h"
#include "server/sql.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Side {
    std::unique_ptr<server::Database> db;
    qint64 deliveries = 0;
    qint64 sample = 0;  // a demo delivery of the first branch, not numbered
    QString airline;
    std::vector<qint64> toNumber;  // deliveries not numbered, in key order
    std::map<QString, std::vector<double>> ms;
    std::map<QString, qint64> rows;
};

QDateTime nov(int day) { return wire::makeDateTime(2026, 11, day); }

qint64 scalar(server::Database& db, const QString& sql)
{
    server::Sql q(db, sql);
    q.exec();
    return q.next() ? q.value(0).toLongLong() : 0;
}

void prepare(Side& s, const QString& url, const QString& name)
{
    s.db = server::Database::open(server::DatabaseUrl::parse(url), name);
    s.deliveries = scalar(*s.db, QStringLiteral("SELECT COUNT(*) FROM DELIVERY"));
    // The demo's first delivery at branch 0001 that has no number and is not closed.
    server::Sql q(*s.db,
                  QStringLiteral("SELECT NRDELIVERY, CDCIA FROM DELIVERY WHERE CDFILIAL = '0001' AND "
                                 "NRDELIVERYFA IS NULL AND IDSITDEL = '1' AND NRVOO < '70000' ORDER BY NRDELIVERY"));
    q.exec();
    if (!q.next()) throw std::runtime_error("no demo delivery to work on");
    s.sample = q.value(0).toLongLong();
    s.airline = q.value(1).toString();
    q.finish();
    server::Sql n(*s.db, QStringLiteral("SELECT NRDELIVERY FROM DELIVERY WHERE CDFILIAL = '0001' AND NRDELIVERYFA IS "
                                        "NULL AND NRDELIVERY > :K ORDER BY NRDELIVERY"));
    n.bind(QStringLiteral(":K"), s.sample);
    n.exec();
    while (n.next() && s.toNumber.size() < 500) s.toNumber.push_back(n.value(0).toLongLong());
}

double timed(const std::function<void()>& run)
{
    QElapsedTimer clock;
    clock.start();
    run();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void round(Side& s, int i)
{
    server::Methods m(*s.db);
    s.ms["GetDelivery"].push_back(timed([&] {
        wire::Array args{QStringLiteral("0001"), s.airline, nov(1), nov(30)};
        s.rows["GetDelivery"] = static_cast<qint64>(m.call(QStringLiteral("GetDelivery"), args).packet().rows.size());
    }));
    wire::DataPacket services;
    s.ms["GetServicoDel"].push_back(timed([&] {
        wire::Array args{QStringLiteral("0001"), QString::number(s.sample)};
        services = m.call(QStringLiteral("GetServicoDel"), args).packet();
    }));
    s.ms["SetServicoDel"].push_back(timed([&] {
        const wire::Row& old = services.rows.at(0);
        wire::Row posted = old;
        const auto quantity = static_cast<std::size_t>(services.fieldIndex(u"QTSERFATSP"));
        posted[quantity] = old[quantity].toDouble() + (i % 2 == 0 ? 1 : -1);
        wire::Array args{wire::ChangeSet{services.fields, {{wire::ChangeKind::Update, old, posted}}},
                         QStringLiteral("0001"),
                         s.sample,
                         QString(),
                         s.airline,
                         nov(1),
                         nov(30),
                         QString()};
        const wire::Value answer = m.call(QStringLiteral("SetServicoDel"), args);
        if (!answer.array().at(0).packet().rows.empty()) throw std::runtime_error("save refused");
    }));
    s.ms["GeraNovoFatur"].push_back(timed([&] {
        wire::DataPacket marked;
        marked.fields = server::layout::delivery();
        wire::Row row(marked.fields.size());
        row[static_cast<std::size_t>(marked.fieldIndex(u"NRDELIVERY"))] =
            static_cast<double>(s.toNumber.at(static_cast<std::size_t>(i)));
        row[static_cast<std::size_t>(marked.fieldIndex(u"IDMARCADO"))] = QStringLiteral("S");
        marked.rows.push_back(row);
        wire::Array args{marked, QStringLiteral("0001")};
        m.call(QStringLiteral("GeraNovoFatur"), args);
    }));
}

// The plans PostgreSQL chooses on the large database for the reads those calls make (the
// server's statements with the sample's values written in).
void explain(Side& s)
{
    const QString n = QString::number(s.sample);
    const QStringList reads = {
        QStringLiteral(
            "SELECT D.NRDELIVERY FROM DELIVERY D JOIN COMPANHIA C ON C.CDCIA = D.CDCIA WHERE D.CDFILIAL = '0001' "
            "AND D.DTHRPLAVOOPV >= '2026-11-01 00:00:00.000' AND D.CDCIA IN (SELECT CAST('%1' AS VARCHAR) UNION "
            "ALL SELECT P.CDCIAPARC FROM CIAPARCEIRA P WHERE P.CDFILIAL = '0001' AND P.CDCIA = '%1') AND "
            "D.DTHRPLAVOOPV < '2026-12-01 00:00:00.000' ORDER BY D.NRDELIVERY")
            .arg(s.airline),
        QStringLiteral(
            "SELECT SD.NRITEMPLANSP FROM SERVDEL SD JOIN DELIVERY D ON D.NRDELIVERY = SD.NRDELIVERY JOIN SERVICO S "
            "ON S.CDSERVICO = SD.CDSERVICO LEFT JOIN CLASSE CL ON CL.CDCLASSE = S.CDCLASSE WHERE SD.NRDELIVERY = "
            "%1 AND D.CDFILIAL = '0001' ORDER BY SD.NRITEMPLANSP")
            .arg(n),
        QStringLiteral("SELECT CDFILIAL, NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = %1 FOR UPDATE").arg(n),
        QStringLiteral("SELECT COALESCE(MAX(NRITEMPLANSP), 0) + 1 FROM SERVDEL WHERE NRDELIVERY = %1").arg(n),
        QStringLiteral(
            "SELECT COUNT(*) FROM REGNUMFAT WHERE CDFILIAL = '0001' AND NRDELIVERYFA = '1500' AND IDOPERACAO = 'E'"),
    };
    for (const QString& read : reads) {
        std::printf("\n%s\n", read.toUtf8().constData());
        server::Sql q(*s.db, QStringLiteral("EXPLAIN (COSTS OFF) ") + read);
        q.exec();
        while (q.next()) std::printf("    %s\n", q.value(0).toString().toUtf8().constData());
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString smallUrl, largeUrl;
    int rounds = 40;
    bool plans = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--explain")) plans = true;
        if (i + 1 >= args.size()) break;
        if (args[i] == QLatin1String("--small"))
            smallUrl = args[++i];
        else if (args[i] == QLatin1String("--large"))
            largeUrl = args[++i];
        else if (args[i] == QLatin1String("--rounds"))
            rounds = args[++i].toInt();
    }
    if (smallUrl.isEmpty() || largeUrl.isEmpty() || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_scale --small URL --large URL [--rounds N] [--explain]\n");
        return 2;
    }
    try {
        Side small, large;
        prepare(small, smallUrl, QStringLiteral("bench-small"));
        prepare(large, largeUrl, QStringLiteral("bench-large"));
        rounds = std::min<int>(rounds, static_cast<int>(std::min(small.toNumber.size(), large.toNumber.size())));
        round(small, 0);  // statements prepared, caches warm
        round(large, 0);
        for (auto* s : {&small, &large}) s->ms.clear();
        for (int i = 1; i <= rounds; ++i) {
            // Alternate which goes first, so neither always finds the other's work in the caches.
            if (i % 2 == 0) {
                round(small, i);
                round(large, i);
            } else {
                round(large, i);
                round(small, i);
            }
        }
        if (plans) {
            const QString size = QStringLiteral(
                "SELECT SUM(pg_total_relation_size(c.oid)) FROM pg_class c JOIN pg_namespace n ON n.oid = "
                "c.relnamespace "
                "WHERE n.nspname = current_schema() AND c.relkind = 'r'");
            std::printf("disk (tables, indexes, TOAST): small %.1f MB, large %.1f MB\n",
                        static_cast<double>(scalar(*small.db, size)) / 1048576.0,
                        static_cast<double>(scalar(*large.db, size)) / 1048576.0);
        }
        std::printf("deliveries: small %lld, large %lld; %d rounds each\n", static_cast<long long>(small.deliveries),
                    static_cast<long long>(large.deliveries), rounds);
        std::printf("%-15s %12s %12s %8s\n", "call", "small ms", "large ms", "ratio");
        for (const char* call : {"GetDelivery", "GetServicoDel", "SetServicoDel", "GeraNovoFatur"}) {
            const double a = median(small.ms[call]);
            const double b = median(large.ms[call]);
            std::printf("%-15s %12.3f %12.3f %8.2f\n", call, a, b, a > 0 ? b / a : 0.0);
        }
        const double perRowSmall = median(small.ms["GetDelivery"]) / std::max<qint64>(1, small.rows["GetDelivery"]);
        const double perRowLarge = median(large.ms["GetDelivery"]) / std::max<qint64>(1, large.rows["GetDelivery"]);
        std::printf("GetDelivery rows: small %lld, large %lld; per row %.4f / %.4f ms, ratio %.2f\n",
                    static_cast<long long>(small.rows["GetDelivery"]),
                    static_cast<long long>(large.rows["GetDelivery"]), perRowSmall, perRowLarge,
                    perRowSmall > 0 ? perRowLarge / perRowSmall : 0.0);
        if (plans && large.db->engine() == server::DatabaseUrl::Engine::PostgreSQL) explain(large);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_scale: %s\n", e.what());
        return 1;
    }
    return 0;
}
