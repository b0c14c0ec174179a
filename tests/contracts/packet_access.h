#pragma once
// Reading packets by field name in the contract tests.

#include "framework/wire/value.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <stdexcept>

namespace contracts_test {

inline const wire::Value& at(const wire::DataPacket& packet, std::size_t row, QStringView field)
{
    const int i = packet.fieldIndex(field);
    if (i < 0) throw std::runtime_error("no field " + field.toString().toStdString());
    return packet.rows.at(row).at(static_cast<std::size_t>(i));
}

inline QString text(const wire::DataPacket& p, std::size_t row, QStringView field)
{
    const wire::Value& v = at(p, row, field);
    return v.isNull() ? QString() : v.text();
}

inline double number(const wire::DataPacket& p, std::size_t row, QStringView field)
{
    const wire::Value& v = at(p, row, field);
    return v.isNull() ? 0.0 : v.toDouble();
}

// A packet of the deliveries `keys`, all marked, as the module sends them.
inline wire::DataPacket markedDeliveries(const std::vector<qint64>& keys)
{
    wire::DataPacket packet;
    packet.fields = {{QStringLiteral("IDMARCADO"), wire::FieldType::String, 1},
                     {QStringLiteral("NRDELIVERY"), wire::FieldType::Float, 0}};
    for (const qint64 key : keys) packet.rows.push_back({QString("S"), static_cast<double>(key)});
    return packet;
}

// A change set updating one loaded row of `services` with `change` applied to its copy.
template <class Change> wire::ChangeSet updateOf(const wire::DataPacket& services, std::size_t row, Change change)
{
    wire::ChangeSet set;
    set.fields = services.fields;
    wire::Change c;
    c.kind = wire::ChangeKind::Update;
    c.oldRow = services.rows.at(row);
    c.newRow = services.rows.at(row);
    change(set, c.newRow);
    set.changes.push_back(std::move(c));
    return set;
}

inline void setField(const wire::ChangeSet& set, wire::Row& row, QStringView field, wire::Value value)
{
    row.at(static_cast<std::size_t>(set.fieldIndex(field))) = std::move(value);
}

// The delivery's services total in its own currency must be the sum of its lines.
inline void expectTotalsAddUp(const wire::DataPacket& deliveries, const wire::DataPacket& services, qint64 key)
{
    std::size_t row = deliveries.rows.size();
    for (std::size_t r = 0; r < deliveries.rows.size(); ++r)
        if (static_cast<qint64>(number(deliveries, r, u"NRDELIVERY")) == key) row = r;
    ASSERT_LT(row, deliveries.rows.size()) << "delivery " << key << " not in the list";
    const bool dollars = text(deliveries, row, u"IDTIPNACDEL") == QLatin1String("2");
    double sum = 0;
    for (std::size_t s = 0; s < services.rows.size(); ++s)
        sum += number(services, s, dollars ? u"VRTOTSERVD" : u"VRTOTSERVR");
    EXPECT_NEAR(number(deliveries, row, u"VRBACATX"), sum, 0.005 + 1e-9) << "delivery " << key;
    EXPECT_NEAR(number(deliveries, row, u"VRTOTDELIV"),
                number(deliveries, row, u"VRBACATX") + number(deliveries, row, u"VRTXAERO")
                    - number(deliveries, row, u"VRTOTDESC"),
                0.011)
        << "delivery " << key;
}

}  // namespace contracts_test
