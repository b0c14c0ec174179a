// Writes the seed corpus of the wire fuzzers from real encoded messages and values:
//   fuzz_wire_seeds <message dir> <value dir>

#include "framework/wire/codec.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <limits>

using namespace wire;

namespace {

DataPacket deliveries(int rows)
{
    DataPacket p;
    p.fields = {{QStringLiteral("CDFILIAL"), FieldType::String, 4},
                {QStringLiteral("NRDELIVERY"), FieldType::Integer, 0},
                {QStringLiteral("DTHRPLANVOO"), FieldType::DateTime, 0},
                {QStringLiteral("VRTOTSERVR"), FieldType::Float, 0},
                {QStringLiteral("NMCIA"), FieldType::String, 40}};
    for (int i = 0; i < rows; ++i) {
        Row r;
        r.emplace_back(QStringLiteral("0001"));
        r.emplace_back(qint64{1000} + i);
        r.emplace_back(makeDateTime(2024, 3, 1 + i, 10, i, 0, i));
        if (i == 1)
            r.emplace_back();
        else
            r.emplace_back(12.5 * i);
        r.emplace_back(QStringLiteral("Companhia Aérea ¿%1").arg(i));
        p.rows.push_back(std::move(r));
    }
    return p;
}

ChangeSet changes()
{
    const DataPacket p = deliveries(3);
    ChangeSet c;
    c.fields = p.fields;
    c.changes.push_back({ChangeKind::Insert, {}, p.rows[0]});
    c.changes.push_back({ChangeKind::Update, p.rows[1], p.rows[2]});
    c.changes.push_back({ChangeKind::Delete, p.rows[2], {}});
    return c;
}

bool write(const QString& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir + QLatin1Char('/') + name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_wire_seeds <message dir> <value dir>\n");
        return 2;
    }
    const QString messageDir = QString::fromLocal8Bit(argv[1]);
    const QString valueDir = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(messageDir) || !QDir().mkpath(valueDir)) return 1;

    const Message messages[] = {
        OpenRequest{QStringLiteral("ATE02700.rdmManuDelValor"), 1},
        OpenAccepted{},
        CallRequest{1,
                    QStringLiteral("GetDelivery"),
                    {Value(QStringLiteral("0001")), Value(QStringLiteral("TAM")), Value(makeDateTime(2024, 3, 1)),
                     Value(makeDateTime(2024, 3, 31))}},
        CallRequest{
            2, QStringLiteral("SetServicoDel"), {Value(changes()), Value(Array{Value(QStringLiteral("QTSERFATSP"))})}},
        CallReply{1, Value(deliveries(3)), {Value(QStringLiteral("0001")), Value()}},
        CallReply{2, Value(true), {Value(-7), Value(2.5)}},
        ErrorReply{3, QStringLiteral("¿Eser_Preco     SRV0000001*")},
        ErrorReply{std::nullopt, QStringLiteral("Servidor desconhecido")},
    };
    bool ok = true;
    QByteArray stream(1, '\x07');  // first byte: the size of the pieces the stream arrives in
    int n = 0;
    for (const Message& m : messages) {
        ok &= write(messageDir, QStringLiteral("body-%1").arg(n), encodeMessage(m));
        ok &= write(messageDir, QStringLiteral("stream-%1").arg(n), QByteArray(1, char(n * 9)) + encodeFrame(m));
        stream += encodeFrame(m);
        ++n;
    }
    ok &= write(messageDir, QStringLiteral("stream-all"), stream);

    const Value values[] = {
        Value(),
        Value(true),
        Value(std::numeric_limits<qint64>::min()),
        Value(65536),
        Value(-1.5),
        Value(std::numeric_limits<double>::quiet_NaN()),
        Value(QStringLiteral("Emissão de Guia Valorizado")),
        Value(makeDateTime(2024, 2, 29, 23, 59, 59, 999)),
        Value(Array{Value(Array{}), Value(Array{Value(1), Value(QStringLiteral("x"))})}),
        Value(deliveries(4)),
        Value(changes()),
    };
    n = 0;
    for (const Value& v : values) ok &= write(valueDir, QStringLiteral("value-%1").arg(n++), encodeValue(v));
    return ok ? 0 : 1;
}
