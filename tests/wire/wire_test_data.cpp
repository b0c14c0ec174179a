#include "wire_test_data.h"

namespace wiretest {

QByteArray hex(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

wire::DataPacket deliveryPacket(int rows)
{
    using wire::FieldType;
    wire::DataPacket p;
    p.fields = {
        {QStringLiteral("CDFILIAL"), FieldType::String, 4},  {QStringLiteral("NRDELIVERY"), FieldType::Integer, 0},
        {QStringLiteral("SGCIA"), FieldType::String, 5},     {QStringLiteral("DTHRPLANVOO"), FieldType::DateTime, 0},
        {QStringLiteral("VRTOTSERVR"), FieldType::Float, 0}, {QStringLiteral("NMCIA"), FieldType::String, 40},
        {QStringLiteral("IDMARCADO"), FieldType::String, 1}};
    for (int i = 0; i < rows; ++i) {
        wire::Row row;
        row.emplace_back(QStringLiteral("0001"));
        row.emplace_back(qint64{100000} + i);
        row.emplace_back(QStringLiteral("TAM"));
        row.emplace_back(wire::makeDateTime(2024, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i % 60, i % 1000));
        if (i % 7 == 0)
            row.emplace_back();
        else
            row.emplace_back(1234.5 + i * 0.01);
        row.emplace_back(QStringLiteral("Companhia Aérea Nº %1").arg(i));
        row.emplace_back(i % 2 ? QStringLiteral("S") : QStringLiteral("N"));
        p.rows.push_back(std::move(row));
    }
    return p;
}

}  // namespace wiretest
