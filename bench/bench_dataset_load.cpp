// Loading the delivery list: decode the server's bytes, load them into a dataset with the
// delivery fields and the index on NRDELIVERY, and walk every row reading three fields.
// Baseline, measured in the same run on the same bytes: Qt's generic QCborValue::fromCbor and
// a walk turning every cell into a QVariant. The ratio per size is printed at the end.

#include "framework/data/clientdataset.h"
#include "framework/wire/codec.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QCoreApplication>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

using wire::FieldType;

struct Column {
    const char* name;
    FieldType type;
    int size;
};

// The delivery record, in field order.
constexpr Column kDelivery[] = {
    {"IDMARCADO", FieldType::String, 1},      {"CDFILIAL", FieldType::String, 4},
    {"CDCIA", FieldType::String, 4},          {"NMCIA", FieldType::String, 50},
    {"NRDELIVERY", FieldType::Float, 0},      {"NRVOO", FieldType::String, 5},
    {"CDTRECHO", FieldType::String, 4},       {"NRDELIVERYFA", FieldType::String, 40},
    {"DTHRPLAVOOPV", FieldType::DateTime, 0}, {"VRTOTDESC", FieldType::Float, 0},
    {"VRTXAERO", FieldType::Float, 0},        {"IDSITDEL", FieldType::String, 1},
    {"NUMERO", FieldType::String, 40},        {"VRPETXAERO", FieldType::Float, 0},
    {"IDTIPNACDEL", FieldType::String, 1},    {"VRTOTDELIV", FieldType::Float, 0},
    {"CDLOCAFATCIA", FieldType::String, 20},  {"CDLOCALDELIV", FieldType::String, 20},
    {"VRBACATX", FieldType::Float, 0},        {"NRMAXSERVDEL", FieldType::Float, 0},
};

void declareDelivery(TClientDataSet& ds)
{
    for (const Column& c : kDelivery) {
        TFieldDef def;
        def.Name = QString::fromLatin1(c.name);
        def.DataType = c.type;
        def.Size = c.size;
        ds.AddField(std::move(def));
    }
    ds.FieldByName("NRDELIVERY").SetDisplayFormat(QStringLiteral("0"));
    ds.AddIndex(QStringLiteral("cdsDeliveryIndex1"), QStringLiteral("NRDELIVERY"));
    ds.SetIndexName(QStringLiteral("cdsDeliveryIndex1"));
    ds.SetFilter(QStringLiteral("IDMARCADO = 'S'"));
}

// Deliveries of a few airlines over a year, arriving in no particular order.
wire::DataPacket deliveries(int rows)
{
    static const char* const airlines[][2] = {{"0003", "TAM LINHAS AEREAS S/A"},
                                              {"0010", "GOL LINHAS AEREAS INTELIGENTES"},
                                              {"0021", "AZUL LINHAS AEREAS BRASILEIRAS"},
                                              {"0105", "AMERICAN AIRLINES INC"},
                                              {"0220", "LUFTHANSA"}};
    wire::DataPacket p;
    for (const Column& c : kDelivery) p.fields.push_back({QString::fromLatin1(c.name), c.type, c.size});
    std::vector<int> numbers(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) numbers[static_cast<size_t>(i)] = 100000 + i;
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(20240501));
    p.rows.reserve(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        const int nr = numbers[static_cast<size_t>(i)];
        const auto& cia = airlines[nr % 5];
        const bool dollars = nr % 5 >= 3;
        const bool invoiced = nr % 4 == 0;
        const double services = 1500.0 + (nr % 977) * 13.37;
        const double tax = services * 0.125;
        wire::Row r;
        r.reserve(std::size(kDelivery));
        r.emplace_back(nr % 7 == 0 ? QStringLiteral("S") : QStringLiteral("N"));
        r.emplace_back(QStringLiteral("0001"));
        r.emplace_back(QString::fromLatin1(cia[0]));
        r.emplace_back(QString::fromLatin1(cia[1]));
        r.emplace_back(static_cast<double>(nr));
        r.emplace_back(QString::number(3000 + nr % 900));
        r.emplace_back(QString::number(1 + nr % 4).rightJustified(4, QLatin1Char('0')));
        r.emplace_back(invoiced ? wire::Value(QString::number(nr / 4).rightJustified(7, QLatin1Char('0')))
                                : wire::Value());
        r.emplace_back(wire::makeDateTime(2024, 1 + nr % 12, 1 + nr % 28, nr % 24, (nr * 7) % 60));
        r.emplace_back(services * 0.05);
        r.emplace_back(tax);
        r.emplace_back(invoiced ? QStringLiteral("1") : QStringLiteral("0"));
        r.emplace_back(QStringLiteral("GRU-%1").arg(nr));
        r.emplace_back(12.5);
        r.emplace_back(dollars ? QStringLiteral("2") : QStringLiteral("1"));
        r.emplace_back(services + tax - services * 0.05);
        r.emplace_back(QStringLiteral("GRU"));
        r.emplace_back(QStringLiteral("0001"));
        r.emplace_back(services);
        r.emplace_back(30.0);
        p.rows.push_back(std::move(r));
    }
    return p;
}

wire::Limits bigLimits()
{
    wire::Limits l;
    l.maxFrameBytes = 512 * 1024 * 1024;
    return l;
}

void loadIntoDataset(benchmark::State& state, const QByteArray& bytes)
{
    TClientDataSet ds;
    declareDelivery(ds);
    const wire::Limits limits = bigLimits();
    for (auto _ : state) {
        wire::Value v = wire::decodeValue(bytes, limits);
        ds.SetData(v.takePacket());
        TField& nr = ds.FieldByName("NRDELIVERY");
        TField& cia = ds.FieldByName("NMCIA");
        TField& when = ds.FieldByName("DTHRPLAVOOPV");
        double sum = 0;
        qsizetype chars = 0;
        qint64 days = 0;
        for (ds.First(); !ds.Eof(); ds.Next()) {
            sum += nr.AsFloat();
            chars += cia.AsString().size();
            days += when.AsDateTime().date().toJulianDay();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
        benchmark::DoNotOptimize(days);
    }
}

void qtGeneric(benchmark::State& state, const QByteArray& bytes)
{
    for (auto _ : state) {
        const QCborValue tree = QCborValue::fromCbor(bytes);
        const QCborArray rows = tree.toMap().value(QLatin1String("rows")).toArray();
        qsizetype cells = 0;
        for (const QCborValue& row : rows) {
            const QCborArray values = row.toArray();
            for (const QCborValue& cell : values) {
                const QVariant v = cell.toVariant();
                cells += v.isValid() ? 1 : 0;
            }
        }
        benchmark::DoNotOptimize(cells);
    }
}

// Keeps the CPU time per iteration of every run for the ratios (the build machine is shared:
// wall time would count other processes).
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
    const int sizes[] = {1'000, 10'000, 100'000};
    std::map<int, QByteArray> encoded;
    for (int n : sizes) encoded[n] = wire::encodeValue(wire::Value(deliveries(n)));

    for (int n : sizes) {
        const QByteArray& bytes = encoded[n];
        const std::string suffix = "/" + std::to_string(n);
        benchmark::RegisterBenchmark(("baseline_qcbor_walk" + suffix).c_str(), qtGeneric, bytes)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode_load_walk" + suffix).c_str(), loadIntoDataset, bytes)
            ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nDataset load (decode + SetData + walk) against QCborValue::fromCbor + QVariant walk:\n");
    for (int n : sizes) {
        const std::string suffix = "/" + std::to_string(n);
        const auto base = reporter.times.find("baseline_qcbor_walk" + suffix);
        const auto ours = reporter.times.find("decode_load_walk" + suffix);
        if (base == reporter.times.end() || ours == reporter.times.end()) continue;
        std::printf("  %7d rows (%6.1f MB): %.2fx the baseline (target under 4x)\n", n,
                    static_cast<double>(encoded[n].size()) / (1024.0 * 1024.0), ours->second / base->second);
    }
    return 0;
}
