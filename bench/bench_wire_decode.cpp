// Decoding a large delivery packet: the wire decoder (straight into a DataPacket) against Qt's
// generic QCborValue::fromCbor on the same bytes, which only builds a tree. Encoding is
// measured the same way against QCborValue::toCbor. Ratios are printed at the end.

#include "framework/wire/codec.h"

#include <QCborValue>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

using wire::FieldType;

constexpr int kRows = 100'000;

wire::DataPacket deliveries(int rows)
{
    wire::DataPacket p;
    p.fields = {{QStringLiteral("CDFILIAL"), FieldType::String, 4},
                {QStringLiteral("NRDELIVERY"), FieldType::Integer, 0},
                {QStringLiteral("SGCIA"), FieldType::String, 5},
                {QStringLiteral("NRVOO"), FieldType::String, 6},
                {QStringLiteral("NRTRECHO"), FieldType::String, 2},
                {QStringLiteral("DTHRPLANVOO"), FieldType::DateTime, 0},
                {QStringLiteral("DTHRSAIDA"), FieldType::DateTime, 0},
                {QStringLiteral("DTHRCHEGADA"), FieldType::DateTime, 0},
                {QStringLiteral("NMCIA"), FieldType::String, 40},
                {QStringLiteral("IDMARCADO"), FieldType::String, 1},
                {QStringLiteral("NRFATURA"), FieldType::String, 10},
                {QStringLiteral("VRTOTSERVR"), FieldType::Float, 0},
                {QStringLiteral("VRTOTSERVD"), FieldType::Float, 0},
                {QStringLiteral("VRTOTDEL"), FieldType::Float, 0},
                {QStringLiteral("VRCOTACAO"), FieldType::Float, 0},
                {QStringLiteral("QTPAX"), FieldType::Integer, 0},
                {QStringLiteral("CDAGRDECO"), FieldType::String, 3},
                {QStringLiteral("IDSITDEL"), FieldType::String, 1},
                {QStringLiteral("DSOBSERV"), FieldType::String, 60},
                {QStringLiteral("DTHRFATUR"), FieldType::DateTime, 0}};
    p.rows.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        const QDateTime plan = wire::makeDateTime(2024, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0, 0);
        wire::Row r;
        r.reserve(p.fields.size());
        r.emplace_back(QStringLiteral("0001"));
        r.emplace_back(qint64{1'000'000} + i);
        r.emplace_back(QStringLiteral("TAM"));
        r.emplace_back(QString::number(3000 + i % 900));
        r.emplace_back(QString::number(1 + i % 3));
        r.emplace_back(plan);
        r.emplace_back(plan.addSecs(3600));
        r.emplace_back(plan.addSecs(3 * 3600 + 17));
        r.emplace_back(QStringLiteral("TAM Linhas Aéreas S.A."));
        r.emplace_back(i % 3 ? QStringLiteral("N") : QStringLiteral("S"));
        if (i % 4)
            r.emplace_back(QString::number(5'000'000 + i));
        else
            r.emplace_back();
        r.emplace_back(1234.56 + i * 0.01);
        r.emplace_back(246.91 + i * 0.002);
        r.emplace_back(98765.43 - i * 0.5);
        r.emplace_back(5.1234);
        r.emplace_back(qint64{100 + i % 250});
        r.emplace_back(QStringLiteral("ECO"));
        r.emplace_back(QStringLiteral("1"));
        r.emplace_back(i % 10 ? QString() : QStringLiteral("Serviço extra solicitado pela tripulação"));
        if (i % 4)
            r.emplace_back(plan.addDays(2));
        else
            r.emplace_back();
        p.rows.push_back(std::move(r));
    }
    return p;
}

// 100,000 such rows take about 20 MB, over the default frame limit.
wire::Limits benchLimits()
{
    wire::Limits limits;
    limits.maxFrameBytes = 64 * 1024 * 1024;
    return limits;
}

const QByteArray& packetBytes()
{
    static const QByteArray bytes = wire::encodeValue(wire::Value(deliveries(kRows)));
    return bytes;
}

void BM_QtCborFromCbor(benchmark::State& state)
{
    const QByteArray& bytes = packetBytes();
    for (auto _ : state) {
        QCborValue v = QCborValue::fromCbor(bytes);
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_WireDecodePacket(benchmark::State& state)
{
    const QByteArray& bytes = packetBytes();
    for (auto _ : state) {
        wire::DataPacket p = wire::decodeValue(bytes, benchLimits()).takePacket();
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_QtCborToCbor(benchmark::State& state)
{
    const QCborValue tree = QCborValue::fromCbor(packetBytes());
    for (auto _ : state) {
        QByteArray out = tree.toCbor();
        benchmark::DoNotOptimize(out);
    }
}

void BM_WireEncodePacket(benchmark::State& state)
{
    const wire::Value packet(deliveries(kRows));
    for (auto _ : state) {
        QByteArray out = wire::encodeValue(packet);
        benchmark::DoNotOptimize(out);
    }
}

BENCHMARK(BM_QtCborFromCbor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WireDecodePacket)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtCborToCbor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WireEncodePacket)->Unit(benchmark::kMillisecond);

// Shows every run as usual and keeps the time per iteration of each for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }

    void printRatio(const char* label, const std::string& ours, const std::string& baseline) const
    {
        const auto a = times_.find(ours);
        const auto b = times_.find(baseline);
        if (a == times_.end() || b == times_.end() || b->second.first <= 0 || b->second.second <= 0) return;
        std::printf("%s: %.2fx the wall time, %.2fx the CPU time of %s\n", label,
                    a->second.first / b->second.first, a->second.second / b->second.second, baseline.c_str());
    }

private:
    std::map<std::string, std::pair<double, double>> times_;  // wall, CPU
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("packet: %d rows x 20 columns, %lld bytes\n", kRows, static_cast<long long>(packetBytes().size()));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("decode into a DataPacket", "BM_WireDecodePacket", "BM_QtCborFromCbor");
    reporter.printRatio("encode from a DataPacket", "BM_WireEncodePacket", "BM_QtCborToCbor");
    benchmark::Shutdown();
    return 0;
}
