#include "modules/ate02700/contracts/rdm_manu_del_valor.h"

#include "framework/net/netconnection.h"

namespace {

// A by-reference text as the server left it. A null comes back as an empty text; anything
// else means the answer does not belong to this call.
void writeBack(QString& target, const wire::Array& args, std::size_t index, const char* method)
{
    const wire::Value& value = args[index];
    if (value.isNull()) {
        target.clear();
    } else if (value.kind() == wire::Value::Kind::Text) {
        target = value.text();
    } else {
        throw EConnectionError(QStringLiteral("Resposta inválida do servidor de aplicação: o argumento %1 de %2 "
                                              "voltou como %3 em vez de texto.")
                                   .arg(index + 1)
                                   .arg(QLatin1String(method), value.debugString()));
    }
}

}  // namespace

wire::Value TRdmManuDelValor::call(const char* method, wire::Array& args)
{
    return connection_.Call(QLatin1String(method), args);
}

wire::Value TRdmManuDelValor::GetParamComis(const QString& cdFilial)
{
    wire::Array args{cdFilial};
    return call("GetParamComis", args);
}

wire::Value TRdmManuDelValor::GetDelivery(const QString& cdFilial, const QString& cdCia, const QDateTime& dtIni,
                                          const QDateTime& dtFim)
{
    wire::Array args{cdFilial, cdCia, dtIni, dtFim};
    return call("GetDelivery", args);
}

wire::Value TRdmManuDelValor::GetServicoDel(const QString& cdFilial, const QString& nrDelivery)
{
    wire::Array args{cdFilial, nrDelivery};
    return call("GetServicoDel", args);
}

wire::Value TRdmManuDelValor::SetServicoDel(const wire::ChangeSet& delta, const QString& cdFilial, qint64 nrDelivery,
                                            const QString& cdLocaFatCia, const QString& cdCia, const QDateTime& dtIni,
                                            const QDateTime& dtFim, const QString& nullFields)
{
    wire::Array args{delta, cdFilial, nrDelivery, cdLocaFatCia, cdCia, dtIni, dtFim, nullFields};
    return call("SetServicoDel", args);
}

wire::Value TRdmManuDelValor::CalculaPreco(const QString& cdFilial, QString& cdCia, QString& nrVoo, QString& cdTrecho,
                                           const QDateTime& dthrPlaVoo, const QString& cdClasse,
                                           const QDateTime& dthrPlaVooAgain, const QString& cdServico, double qtSerFat,
                                           const QString& idTipManual, double qtSesByPr)
{
    wire::Array args{cdFilial,        cdCia,     nrVoo,    cdTrecho,    dthrPlaVoo, cdClasse,
                     dthrPlaVooAgain, cdServico, qtSerFat, idTipManual, qtSesByPr};
    wire::Value result = call("CalculaPreco", args);
    writeBack(cdCia, args, 1, "CalculaPreco");
    writeBack(nrVoo, args, 2, "CalculaPreco");
    writeBack(cdTrecho, args, 3, "CalculaPreco");
    return result;
}

wire::Value TRdmManuDelValor::GetPesqServico(const QString& cdFilial, const QString& nrDelivery, QString& cdCia,
                                             const QString& cdArvServ, const QString& idTipNacDel)
{
    wire::Array args{cdFilial, nrDelivery, cdCia, cdArvServ, idTipNacDel};
    wire::Value result = call("GetPesqServico", args);
    writeBack(cdCia, args, 2, "GetPesqServico");
    return result;
}

wire::Value TRdmManuDelValor::SetCancelDel(wire::DataPacket deliveries, const QString& cdFilial, const QString& cdCia,
                                           const QDateTime& dtIni, const QDateTime& dtFim)
{
    wire::Array args{std::move(deliveries), cdFilial, cdCia, dtIni, dtFim};
    return call("SetCancelDel", args);
}

wire::Value TRdmManuDelValor::GetLocalEmissDel(const QString& cdFilial, const QString& cdLocal, const QString& all)
{
    wire::Array args{cdFilial, cdLocal, all};
    return call("GetLocalEmissDel", args);
}

wire::Value TRdmManuDelValor::GeraNovoFatur(wire::DataPacket markedDeliveries, const QString& cdLocal)
{
    wire::Array args{std::move(markedDeliveries), cdLocal};
    return call("GeraNovoFatur", args);
}
