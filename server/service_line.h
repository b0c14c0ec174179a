#pragma once
// One stored service line (a row of SERVDEL): its own columns, typed as the service record
// types them, read, compared with what a client last loaded, and written back.

#include "framework/wire/value.h"
#include "server/database.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace server {

// The columns SERVDEL stores for a line (the rest of the service record comes from the
// catalogue and the delivery). NRDELIVERY, the owner, is not among them.
const std::vector<wire::FieldDef>& serviceLineColumns();

struct ServiceLine {
    QHash<QString, wire::Value> values;

    const wire::Value& get(const QString& column) const;
    void set(const QString& column, wire::Value value) { values.insert(column, std::move(value)); }
    QString text(const QString& column) const;                  // null reads as empty
    std::optional<double> number(const QString& column) const;  // null reads as nothing
    qint64 item() const;                                        // NRITEMPLANSP
};

std::optional<ServiceLine> loadServiceLine(Database& db, qint64 delivery, qint64 item);
void insertServiceLine(Database& db, qint64 delivery, const ServiceLine& line);
void updateServiceLine(Database& db, qint64 delivery, const ServiceLine& line);
void deleteServiceLine(Database& db, qint64 delivery, qint64 item);

// Whether a value a client holds still equals the stored one: numbers to 1e-6, texts with
// null and empty alike, date-times to the millisecond.
bool sameStoredValue(wire::FieldType type, const wire::Value& stored, const wire::Value& held);

}  // namespace server
