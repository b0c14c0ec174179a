#pragma once
// The deliveries an operator marked in a delivery packet sent back by the client: the
// NRDELIVERY of every row whose IDMARCADO is "S", ascending, each once. Only the keys are
// taken from the packet; everything else is read from the database.

#include "framework/wire/value.h"

#include <QString>

#include <vector>

namespace server {

std::vector<qint64> markedDeliveries(const wire::DataPacket& packet, const QString& method);

}  // namespace server
