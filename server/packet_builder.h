#pragma once
// Turns the rows of a query into a data packet: column i of the query fills field i of the
// layout, converted to the field's type (numbers of any SQL type to float, ISO text or
// timestamps to date-time, NULL to null).

#include "framework/wire/value.h"
#include "server/sql.h"

#include <vector>

namespace server {

wire::DataPacket packetFromQuery(const std::vector<wire::FieldDef>& fields, Sql& query);

// One column value converted to the type of a field.
wire::Value valueFromSql(const wire::FieldDef& field, const QVariant& value);

}  // namespace server
