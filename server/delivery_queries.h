#pragma once
// The two lists every delivery screen reloads: the deliveries of a branch and airline in a
// range of flight-plan dates, and the service lines of one delivery.

#include "framework/wire/value.h"
#include "server/database.h"

#include <QDateTime>

namespace server {

// Deliveries of the airline, and of the partner airlines it invoices for at the branch
// (CIAPARCEIRA), whose flight-plan date falls on a day from `from` to `to`, both days whole
// (times of day are ignored), in NRDELIVERY order; IDMARCADO is "N".
wire::DataPacket deliveriesPacket(Database& db, const QString& branch, const QString& airline, const QDateTime& from,
                                  const QDateTime& to);

// The services of one delivery of the branch, in item order.
wire::DataPacket servicesPacket(Database& db, const QString& branch, qint64 delivery);

}  // namespace server
