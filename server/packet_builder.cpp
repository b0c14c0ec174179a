#include "server/packet_builder.h"

namespace server {

wire::Value valueFromSql(const wire::FieldDef& field, const QVariant& value)
{
    if (value.isNull()) return {};
    switch (field.type) {
    case wire::FieldType::String: return wire::Value(value.toString());
    case wire::FieldType::Float: return wire::Value(value.toDouble());
    case wire::FieldType::Integer: return wire::Value(value.toLongLong());
    case wire::FieldType::DateTime: {
        const QDateTime dt = readTimestamp(value);
        return dt.isValid() ? wire::Value(dt) : wire::Value();
    }
    }
    return {};
}

wire::DataPacket packetFromQuery(const std::vector<wire::FieldDef>& fields, Sql& query)
{
    wire::DataPacket packet;
    packet.fields = fields;
    const int n = static_cast<int>(fields.size());
    while (query.next()) {
        wire::Row row;
        row.reserve(fields.size());
        for (int i = 0; i < n; ++i) row.push_back(valueFromSql(fields[static_cast<std::size_t>(i)], query.value(i)));
        packet.rows.push_back(std::move(row));
    }
    return packet;
}

}  // namespace server
