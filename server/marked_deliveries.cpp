#include "server/marked_deliveries.h"

#include "server/methods.h"
#include "server/value_limits.h"

#include <algorithm>
#include <cmath>

namespace server {

std::vector<qint64> markedDeliveries(const wire::DataPacket& packet, const QString& method)
{
    std::vector<qint64> keys;
    if (packet.rows.empty()) return keys;
    const int key = packet.fieldIndex(u"NRDELIVERY");
    const int mark = packet.fieldIndex(u"IDMARCADO");
    if (key < 0 || mark < 0)
        throw ArgumentError(
            QStringLiteral("%1: o pacote de deliveries deve ter as colunas NRDELIVERY e IDMARCADO.").arg(method));
    for (const wire::Row& row : packet.rows) {
        if (row.size() != packet.fields.size())
            throw ArgumentError(QStringLiteral("%1: linha do pacote de deliveries com %2 valores para %3 colunas.")
                                    .arg(method)
                                    .arg(row.size())
                                    .arg(packet.fields.size()));
        const wire::Value& m = row[static_cast<std::size_t>(mark)];
        if (m.kind() != wire::Value::Kind::Text || m.text() != QLatin1String("S")) continue;
        const wire::Value& k = row[static_cast<std::size_t>(key)];
        if (!k.isNumber() || !std::isfinite(k.toDouble()) || k.toDouble() != std::trunc(k.toDouble()))
            throw ArgumentError(QStringLiteral("%1: NRDELIVERY inválido no pacote de deliveries.").arg(method));
        if (k.toDouble() < static_cast<double>(limits::kIntegerMin)
            || k.toDouble() > static_cast<double>(limits::kIntegerMax))
            throw ArgumentError(
                QStringLiteral("%1: NRDELIVERY %2 do pacote de deliveries fora do intervalo de %3 a %4.")
                    .arg(method, QString::number(k.toDouble(), 'f', 0))
                    .arg(limits::kIntegerMin)
                    .arg(limits::kIntegerMax));
        keys.push_back(static_cast<qint64>(k.toDouble()));
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

}  // namespace server
