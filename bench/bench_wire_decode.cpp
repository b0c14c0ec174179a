// Decoding a large delivery packet: the wire decoder (straight into a DataPacket) against Qt's
// generic QCborValue::fromCbor on the same bytes, which only builds a tree, and against a
// decoder of the same packet written on Qt's streaming reader, QCborStreamReader, which builds
// the same DataPacket with the same per-cell type checks (the one the wire decoder would be
// if it were made of Qt's reader). Encoding is measured the same way against
// QCborValue::toCbor. Ratios are printed at the end.

#include "framework/wire/codec.h"
#include "framework/wire/datetime_text.h"

#include <QCborStreamReader>
#include <QCborValue>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace {

using wire::FieldType;

constexpr int kRows = 100'000;

wire::DataPacket deliveries(int rows)
{
    wire::DataPacket p;
    p.fields = {
        {QStringLiteral("CDFILIAL"), FieldType::String, 4},    {QStringLiteral("NRDELIVERY"), FieldType::Integer, 0},
        {QStringLiteral("SGCIA"), FieldType::String, 5},       {QStringLiteral("NRVOO"), FieldType::String, 6},
        {QStringLiteral("NRTRECHO"), FieldType::String, 2},    {QStringLiteral("DTHRPLANVOO"), FieldType::DateTime, 0},
        {QStringLiteral("DTHRSAIDA"), FieldType::DateTime, 0}, {QStringLiteral("DTHRCHEGADA"), FieldType::DateTime, 0},
        {QStringLiteral("NMCIA"), FieldType::String, 40},      {QStringLiteral("IDMARCADO"), FieldType::String, 1},
        {QStringLiteral("NRFATURA"), FieldType::String, 10},   {QStringLiteral("VRTOTSERVR"), FieldType::Float, 0},
        {QStringLiteral("VRTOTSERVD"), FieldType::Float, 0},   {QStringLiteral("VRTOTDEL"), FieldType::Float, 0},
        {QStringLiteral("VRCOTACAO"), FieldType::Float, 0},    {QStringLiteral("QTPAX"), FieldType::Integer, 0},
        {QStringLiteral("CDAGRDECO"), FieldType::String, 3},   {QStringLiteral("IDSITDEL"), FieldType::String, 1},
        {QStringLiteral("DSOBSERV"), FieldType::String, 60},   {QStringLiteral("DTHRFATUR"), FieldType::DateTime, 0}};
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

// ---- the packet read with QCborStreamReader

[[noreturn]] void refuse(const QCborStreamReader& r, const char* problem)
{
    throw wire::WireError(QStringLiteral("%1 at offset %2").arg(QLatin1String(problem)).arg(r.currentOffset()));
}

QString readText(QCborStreamReader& r)
{
    if (!r.isString()) refuse(r, "expected a text");
    QString text;
    auto chunk = r.readString();
    while (chunk.status == QCborStreamReader::Ok) {
        text += chunk.data;
        chunk = r.readString();
    }
    if (chunk.status == QCborStreamReader::Error) refuse(r, "bad text");
    return text;
}

qsizetype enterKnown(QCborStreamReader& r)
{
    if (!r.isLengthKnown()) refuse(r, "indefinite length");
    const auto n = static_cast<qsizetype>(r.length());
    r.enterContainer();
    return n;
}

QDateTime readDateTime(QCborStreamReader& r)
{
    if (!r.isTag() || r.toTag() != QCborKnownTags::DateTimeString) refuse(r, "expected a date-time");
    r.next();
    if (!r.isString() || !r.isLengthKnown() || r.length() > 64) refuse(r, "bad date-time");
    char buffer[64];
    const auto n = static_cast<qsizetype>(r.length());
    const auto chunk = r.readStringChunk(buffer, sizeof buffer);
    if (chunk.status != QCborStreamReader::Ok || chunk.data != n) refuse(r, "bad date-time");
    r.readStringChunk(buffer, 0);  // the end of the string
    auto dt = wire::detail::parseDateTimeText(reinterpret_cast<const std::uint8_t*>(buffer), n);
    if (!dt) refuse(r, "malformed date-time");
    return *dt;
}

wire::Value readCell(QCborStreamReader& r, wire::FieldType type)
{
    if (r.isNull()) {
        r.next();
        return {};
    }
    switch (type) {
    case wire::FieldType::String: return wire::Value(readText(r));
    case wire::FieldType::Integer: {
        if (!r.isInteger()) refuse(r, "expected an integer");
        const qint64 v = r.toInteger();
        r.next();
        return wire::Value(v);
    }
    case wire::FieldType::Float: {
        double d = 0;
        if (r.isInteger())
            d = static_cast<double>(r.toInteger());
        else if (r.isDouble())
            d = r.toDouble();
        else if (r.isFloat())
            d = r.toFloat();
        else if (r.isFloat16())
            d = r.toFloat16();
        else
            refuse(r, "expected a number");
        if (!std::isfinite(d)) refuse(r, "not a finite number");
        r.next();
        return wire::Value(d);
    }
    case wire::FieldType::DateTime: return wire::Value(readDateTime(r));
    }
    refuse(r, "unknown field type");
}

std::vector<wire::FieldDef> readFieldDefs(QCborStreamReader& r)
{
    if (!r.isArray()) refuse(r, "expected the fields");
    const qsizetype count = enterKnown(r);
    std::vector<wire::FieldDef> fields;
    for (qsizetype i = 0; i < count; ++i) {
        if (!r.isArray() || enterKnown(r) != 3) refuse(r, "bad field");
        wire::FieldDef f;
        f.name = readText(r);
        const auto type = wire::fieldTypeFromName(readText(r));
        if (!type || !r.isUnsignedInteger()) refuse(r, "bad field");
        f.type = *type;
        f.size = static_cast<int>(r.toUnsignedInteger());
        r.next();
        r.leaveContainer();
        fields.push_back(std::move(f));
    }
    r.leaveContainer();
    return fields;
}

wire::DataPacket qtStreamDecodePacket(const QByteArray& bytes)
{
    QCborStreamReader r(bytes);
    if (!r.isMap()) refuse(r, "expected a packet");
    const qsizetype keys = enterKnown(r);
    wire::DataPacket p;
    bool hasFields = false, hasRows = false;
    for (qsizetype k = 0; k < keys; ++k) {
        const QString key = readText(r);
        if ((key == u"fields" && hasFields) || (key == u"rows" && hasRows)) refuse(r, "duplicate key");
        if (key == u"fields") {
            hasFields = true;
            p.fields = readFieldDefs(r);
        } else if (key == u"rows") {
            hasRows = true;
            if (!hasFields || !r.isArray()) refuse(r, "expected the rows after the fields");
            const qsizetype count = enterKnown(r);
            // Each row takes at least its head and a byte per value: no declared count may
            // reserve more than the bytes left could hold.
            if (count > (bytes.size() - r.currentOffset()) / qsizetype(1 + p.fields.size())) refuse(r, "too many rows");
            p.rows.reserve(static_cast<size_t>(count));
            for (qsizetype i = 0; i < count; ++i) {
                if (!r.isArray() || enterKnown(r) != static_cast<qsizetype>(p.fields.size())) refuse(r, "bad row");
                wire::Row row;
                row.reserve(p.fields.size());
                for (const wire::FieldDef& f : p.fields) row.push_back(readCell(r, f.type));
                r.leaveContainer();
                p.rows.push_back(std::move(row));
            }
            r.leaveContainer();
        } else {
            refuse(r, "unexpected key");
        }
    }
    r.leaveContainer();
    if (r.lastError() != QCborError::NoError) refuse(r, "malformed CBOR");
    if (r.currentOffset() != bytes.size()) refuse(r, "bytes after the packet");
    return p;
}

// Bad packets both decoders must refuse. The good one is
// {"fields": [["A","string",1], ["N","integer",0]], "rows": [["x", 1]]}.
struct BadInput {
    const char* what;
    QByteArray bytes;
};

std::vector<BadInput> badInputs()
{
    const QByteArray head = QByteArray::fromHex(
        "a2666669656c6473828361416673747269"
        "6e670183614e67696e746567657200");
    const QByteArray rowsKey = QByteArray::fromHex("64726f7773");
    const QByteArray good = head + rowsKey + QByteArray::fromHex("8182617801");
    return {
        {"the good packet (must be read)", good},
        {"cut short", good.left(good.size() - 1)},
        {"bytes after the packet", good + QByteArray(1, '\0')},
        {"a row count far beyond the bytes", head + rowsKey + QByteArray::fromHex("9a000f424082617801")},
        {"an indefinite-length row list", head + rowsKey + QByteArray::fromHex("9f82617801ff")},
        {"invalid UTF-8 in a text cell", head + rowsKey + QByteArray::fromHex("818261ff01")},
        {"a float in an integer field", head + rowsKey + QByteArray::fromHex("81826178fb3ff0000000000000")},
        {"a reserved additional-information value", head + rowsKey + QByteArray::fromHex("818261781c")},
        {"a text whose length runs past the end", head + rowsKey + QByteArray::fromHex("81827a7fffffff01")},
    };
}

template <class Decode> const char* verdict(Decode decode, const QByteArray& bytes)
{
    try {
        decode(bytes);
        return "read";
    } catch (const std::exception&) {
        return "refused";
    }
}

void printRefusals()
{
    std::printf("%-42s %-10s %s\n", "input", "wire", "QCborStreamReader");
    for (const BadInput& in : badInputs()) {
        const char* ours = verdict([](const QByteArray& b) { wire::decodeValue(b).packet(); }, in.bytes);
        const char* qts = verdict([](const QByteArray& b) { qtStreamDecodePacket(b); }, in.bytes);
        std::printf("%-42s %-10s %s\n", in.what, ours, qts);
    }
}

void BM_QtStreamReaderPacket(benchmark::State& state)
{
    const QByteArray& bytes = packetBytes();
    for (auto _ : state) {
        wire::DataPacket p = qtStreamDecodePacket(bytes);
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
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
BENCHMARK(BM_QtStreamReaderPacket)->Unit(benchmark::kMillisecond);
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
        std::printf("%s: %.2fx the wall time, %.2fx the CPU time of %s\n", label, a->second.first / b->second.first,
                    a->second.second / b->second.second, baseline.c_str());
    }

private:
    std::map<std::string, std::pair<double, double>> times_;  // wall, CPU
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Both decoders must read the packet back as it was written.
    if (!(qtStreamDecodePacket(packetBytes()) == wire::decodeValue(packetBytes(), benchLimits()).packet())) {
        std::fprintf(stderr, "the two decoders disagree on the packet\n");
        return 1;
    }
    printRefusals();
    std::printf("packet: %d rows x 20 columns, %lld bytes\n", kRows, static_cast<long long>(packetBytes().size()));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("decode into a DataPacket", "BM_WireDecodePacket", "BM_QtCborFromCbor");
    reporter.printRatio("decode into a DataPacket", "BM_WireDecodePacket", "BM_QtStreamReaderPacket");
    reporter.printRatio("encode from a DataPacket", "BM_WireEncodePacket", "BM_QtCborToCbor");
    benchmark::Shutdown();
    return 0;
}
