// The server's storage paths against the plain way of doing the same work, in one run on one
// SQLite demo database:
//   - bulk loading service lines (the seeds): BatchInsert against a Qt prepared INSERT bound
//     and run row by row, the same rows into the same table, rolled back after each pass;
//   - saving one changed service line (SetServicoDel: lock, stale check, pricing, line and
//     delivery totals, the three answer packets) against a bare UPDATE of that line in its
//     own write transaction.
// Prints the ratios at the end (CPU time: the machine is shared).
//
//   build/bin/bench/bench_server_core

#include "framework/wire/value.h"
#include "server/batch_insert.h"
#include "server/database.h"
#include "server/methods.h"
#include "server/record_layouts.h"
#include "server/service_line.h"
#include "server/sql.h"
#include "server/transaction.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

server::Database* gDb = nullptr;

const QStringList& lineColumns()
{
    static const QStringList columns = [] {
        QStringList list{QStringLiteral("NRDELIVERY")};
        for (const wire::FieldDef& f : server::serviceLineColumns()) list << f.name;
        return list;
    }();
    return columns;
}

// Deliveries and services of the demo: row i of a pass goes to delivery i % deliveries with
// service i / deliveries, so that no delivery gets a service twice.
struct Keys {
    std::vector<qint64> deliveries;
    QStringList services;
};

const Keys& keys()
{
    static const Keys k = [] {
        Keys keys;
        server::Sql d(*gDb, QStringLiteral("SELECT NRDELIVERY FROM DELIVERY ORDER BY NRDELIVERY"));
        d.exec();
        while (d.next()) keys.deliveries.push_back(d.value(0).toLongLong());
        server::Sql s(*gDb, QStringLiteral("SELECT CDSERVICO FROM SERVICO ORDER BY CDSERVICO"));
        s.exec();
        while (s.next()) keys.services << s.value(0).toString();
        return keys;
    }();
    return k;
}

// A service line as the seeds write it.
std::vector<QVariant> lineRow(int i)
{
    const Keys& k = keys();
    const std::size_t count = k.deliveries.size();
    std::vector<QVariant> row{k.deliveries[static_cast<std::size_t>(i) % count], i + 1,
                              k.services.at(static_cast<qsizetype>(static_cast<std::size_t>(i) / count))};
    for (std::size_t c = 3; c < static_cast<std::size_t>(lineColumns().size()); ++c) {
        const wire::FieldDef& f = server::serviceLineColumns()[c - 1];
        if (f.name == QLatin1String("IDTIPMANUALSP"))
            row.emplace_back(QStringLiteral("1"));
        else if (f.name == QLatin1String("CDAGRDEDE"))
            row.emplace_back(QStringLiteral("0003"));
        else if (f.type == wire::FieldType::String)
            row.emplace_back(QStringLiteral("0"));
        else if (f.type == wire::FieldType::DateTime)
            row.emplace_back(QStringLiteral("2026-11-10 08:00:00.000"));
        else
            row.emplace_back(1.5 + i % 7);
    }
    return row;
}

// Each pass starts from an empty SERVDEL inside a transaction that is rolled back after it.
void emptyLines() { server::Sql(*gDb, QStringLiteral("DELETE FROM SERVDEL")).exec(); }

void baselineQtInsert(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    const QStringList& columns = lineColumns();
    const QString sql = QStringLiteral("INSERT INTO SERVDEL (%1) VALUES (%2)")
                            .arg(columns.join(QLatin1Char(',')),
                                 QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    for (auto _ : state) {
        state.PauseTiming();
        server::WriteTransaction tx(*gDb);
        emptyLines();
        state.ResumeTiming();
        QSqlQuery q(gDb->sql());
        if (!q.prepare(sql)) throw std::runtime_error("prepare");
        for (int i = 0; i < rows; ++i) {
            const std::vector<QVariant> row = lineRow(i);
            for (int c = 0; c < static_cast<int>(row.size()); ++c) q.bindValue(c, row[static_cast<std::size_t>(c)]);
            if (!q.exec()) throw std::runtime_error(q.lastError().text().toStdString());
        }
        state.PauseTiming();
        tx.rollback();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

void batchInsert(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        server::WriteTransaction tx(*gDb);
        emptyLines();
        state.ResumeTiming();
        server::BatchInsert insert(*gDb, QStringLiteral("SERVDEL"), lineColumns());
        for (int i = 0; i < rows; ++i) insert.add(lineRow(i));
        insert.flush();
        state.PauseTiming();
        tx.rollback();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// The first open delivery of branch 0001 and its first line.
struct Target {
    qint64 delivery = 0;
    QDateTime day;
};

Target target()
{
    server::Sql q(*gDb, QStringLiteral("SELECT NRDELIVERY, DTHRPLAVOOPV FROM DELIVERY WHERE CDFILIAL = '0001' "
                                       "AND CDCIA = '0001' AND NRDELIVERYFA IS NULL ORDER BY NRDELIVERY"));
    q.exec();
    if (!q.next()) throw std::runtime_error("no open delivery in the demo");
    return {q.value(0).toLongLong(), server::readTimestamp(q.value(1))};
}

void baselineBareUpdate(benchmark::State& state)
{
    const Target t = target();
    int flip = 0;
    for (auto _ : state) {
        server::WriteTransaction tx(*gDb);
        server::Sql q(*gDb,
                      QStringLiteral("UPDATE SERVDEL SET QTSERFATSP = :Q WHERE NRDELIVERY = :N AND NRITEMPLANSP = "
                                     "(SELECT MIN(NRITEMPLANSP) FROM SERVDEL WHERE NRDELIVERY = :N2)"));
        q.bind(QStringLiteral(":Q"), 10.0 + (flip++ % 2)).bind(QStringLiteral(":N"), t.delivery);
        q.bind(QStringLiteral(":N2"), t.delivery);
        q.exec();
        tx.commit();
    }
}

void saveOneLine(benchmark::State& state)
{
    const Target t = target();
    server::Methods methods(*gDb);
    int flip = 0;
    for (auto _ : state) {
        state.PauseTiming();
        wire::Array load{QStringLiteral("0001"), QString::number(t.delivery)};
        const wire::DataPacket loaded = methods.call(QStringLiteral("GetServicoDel"), load).packet();
        wire::Row posted = loaded.rows.at(0);
        posted[static_cast<std::size_t>(loaded.fieldIndex(u"QTSERFATSP"))] = 20.0 + (flip++ % 2);
        wire::ChangeSet changes{loaded.fields, {{wire::ChangeKind::Update, loaded.rows.at(0), posted}}};
        wire::Array args{changes,
                         QStringLiteral("0001"),
                         t.delivery,
                         QStringLiteral("SAO PAULO - SP"),
                         QStringLiteral("0001"),
                         t.day,
                         t.day,
                         QString()};
        state.ResumeTiming();
        const wire::Value answer = methods.call(QStringLiteral("SetServicoDel"), args);
        if (!answer.array().at(0).packet().rows.empty()) throw std::runtime_error("save refused");
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const server::DatabaseUrl url =
        server::DatabaseUrl::parse(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db")));
    server::initDatabase(url, server::SeedSpec::parse(QStringLiteral("demo")));
    const std::unique_ptr<server::Database> db = server::Database::open(url, QStringLiteral("bench"));
    gDb = db.get();

    benchmark::RegisterBenchmark("baseline_qt_insert", baselineQtInsert)->Arg(5000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("batch_insert", batchInsert)->Arg(5000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("baseline_bare_update", baselineBareUpdate)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("set_servico_del", saveOneLine)->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto ratio = [&](const char* ours, const char* base) {
        const auto o = reporter.times.find(ours);
        const auto b = reporter.times.find(base);
        return o == reporter.times.end() || b == reporter.times.end() ? -1.0 : o->second / b->second;
    };
    std::printf("\nBulk load of 5,000 service lines: %.2fx the Qt prepared row-by-row insert\n",
                ratio("batch_insert/5000", "baseline_qt_insert/5000"));
    std::printf("Saving one changed line with SetServicoDel: %.2fx a bare UPDATE of the line in its own transaction\n",
                ratio("set_servico_del", "baseline_bare_update"));
    gDb = nullptr;
    return 0;
}
