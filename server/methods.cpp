#include "server/methods.h"

#include "framework/wire/codec.h"
#include "server/code_fit.h"
#include "server/method_impl.h"

#include <utility>

namespace server {

namespace {

using Handler = wire::Value (*)(Database&, wire::Array&);

const std::pair<QString, Handler>* findMethod(const QString& name)
{
    static const std::pair<QString, Handler> table[] = {
        {QStringLiteral("GetParamComis"), &method::getParamComis},
        {QStringLiteral("GetDelivery"), &method::getDelivery},
        {QStringLiteral("GetServicoDel"), &method::getServicoDel},
        {QStringLiteral("SetServicoDel"), &method::setServicoDel},
        {QStringLiteral("CalculaPreco"), &method::calculaPreco},
        {QStringLiteral("GetPesqServico"), &method::getPesqServico},
        {QStringLiteral("SetCancelDel"), &method::setCancelDel},
        {QStringLiteral("GetLocalEmissDel"), &method::getLocalEmissDel},
        {QStringLiteral("GeraNovoFatur"), &method::geraNovoFatur},
    };
    for (const auto& entry : table)
        if (entry.first == name) return &entry;
    return nullptr;
}

}  // namespace

QString method::branchCode(const QString& typed) { return fitCode(typed.trimmed(), 4); }

Methods::Methods(Database& db) : db_(db) {}

const QStringList& Methods::names()
{
    static const QStringList list = {
        QStringLiteral("GetParamComis"),  QStringLiteral("GetDelivery"),    QStringLiteral("GetServicoDel"),
        QStringLiteral("SetServicoDel"),  QStringLiteral("CalculaPreco"),   QStringLiteral("GetPesqServico"),
        QStringLiteral("SetCancelDel"),   QStringLiteral("GetLocalEmissDel"), QStringLiteral("GeraNovoFatur"),
    };
    return list;
}

wire::Value Methods::call(const QString& name, wire::Array& args)
{
    const auto* entry = findMethod(name);
    if (entry == nullptr) throw ArgumentError(QStringLiteral("Método desconhecido: %1.").arg(name));
    try {
        return entry->second(db_, args);
    } catch (const wire::WireError& e) {
        // A value of the wrong kind inside a packet or change set.
        throw ArgumentError(QStringLiteral("%1: %2").arg(name, e.Message()));
    }
}

}  // namespace server
