#include "framework/units/core/check_result.h"

namespace Consiste {

namespace {

QString describe(wire::Value::Kind kind)
{
    switch (kind) {
    case wire::Value::Kind::Null: return QStringLiteral("nenhum valor");
    case wire::Value::Kind::Bool: return QStringLiteral("um valor lógico falso");
    case wire::Value::Kind::Integer:
    case wire::Value::Kind::Double: return QStringLiteral("um número");
    case wire::Value::Kind::Text: return QStringLiteral("um texto");
    case wire::Value::Kind::DateTime: return QStringLiteral("uma data");
    case wire::Value::Kind::Array: return QStringLiteral("uma lista de valores");
    case wire::Value::Kind::Packet: return QStringLiteral("um pacote de dados");
    case wire::Value::Kind::ChangeSet: return QStringLiteral("um conjunto de alterações");
    }
    return {};
}

[[noreturn]] void unexpected(const wire::Value& result, const QString& expected)
{
    throw EServerError(QStringLiteral("O servidor de aplicação retornou %1 quando se esperava %2.")
                           .arg(describe(result.kind()), expected));
}

void requireKnownKind(int kind)
{
    if (kind != kResultDataPacket)
        throw Exception(QStringLiteral("CheckResultServ: tipo de resultado %1 desconhecido.").arg(kind));
}

// Throws when `result` is not a usable packet result; true when it holds a packet.
bool checkPacketResult(const wire::Value& result)
{
    switch (result.kind()) {
    case wire::Value::Kind::Packet: return true;
    case wire::Value::Kind::Bool:
        if (result.toBool()) return false;
        break;
    case wire::Value::Kind::Text: throw EServerError(result.text());
    default: break;
    }
    unexpected(result, QStringLiteral("um pacote de dados"));
}

}  // namespace

wire::DataPacket CheckResultServ(const wire::Value& result, bool raise, int kind)
{
    requireKnownKind(kind);
    try {
        return checkPacketResult(result) ? result.packet() : wire::DataPacket{};
    } catch (const EServerError&) {
        if (raise) throw;
        return {};
    }
}

wire::DataPacket CheckResultServ(wire::Value&& result, bool raise, int kind)
{
    requireKnownKind(kind);
    try {
        return checkPacketResult(result) ? result.takePacket() : wire::DataPacket{};
    } catch (const EServerError&) {
        if (raise) throw;
        return {};
    }
}

std::vector<wire::DataPacket> CheckResultServPackets(const wire::Value& result, std::size_t count, bool raise, int kind)
{
    requireKnownKind(kind);
    try {
        if (result.kind() == wire::Value::Kind::Text) throw EServerError(result.text());
        const QString expected = QStringLiteral("uma lista de %1 pacotes de dados").arg(count);
        if (result.kind() != wire::Value::Kind::Array) unexpected(result, expected);
        const wire::Array& items = result.array();
        if (items.size() != count)
            throw EServerError(QStringLiteral("O servidor de aplicação retornou %1 valores quando se esperava %2.")
                                   .arg(items.size())
                                   .arg(expected));
        std::vector<wire::DataPacket> packets;
        packets.reserve(count);
        for (const wire::Value& item : items) {
            if (item.kind() != wire::Value::Kind::Packet) unexpected(item, QStringLiteral("um pacote de dados"));
            packets.push_back(item.packet());
        }
        return packets;
    } catch (const EServerError&) {
        if (raise) throw;
        return std::vector<wire::DataPacket>(count);
    }
}

}  // namespace Consiste
