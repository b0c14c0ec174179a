#pragma once
// TRdmManuDelValor: the module's typed view of the remote object ATE02700.rdmManuDelValor.
// Each method sends its arguments in the server's order over the form's TNetConnection and
// returns the raw result, which the caller passes through Consiste::CheckResultServ before
// loading it. By-reference texts are written back from the server's answer.
//
//   TRdmManuDelValor rdm(netManuDelValor);
//   cdsParamComis.SetData(Consiste::CheckResultServ(rdm.GetParamComis(medCdFilial.Text()), true, 0));
//
// Failures come from TNetConnection::Call: EServerError with the server's text, or
// EConnectionError.

#include "framework/wire/value.h"

#include <QDateTime>
#include <QString>

class TNetConnection;

class TRdmManuDelValor {
public:
    explicit TRdmManuDelValor(TNetConnection& connection) : connection_(connection) {}

    TNetConnection& Connection() const { return connection_; }

    // The branch parameters (IDUTDELVALO, IDALTERDELIV, IDINTATEPCP).
    wire::Value GetParamComis(const QString& cdFilial);

    // The deliveries of a branch and airline whose flight-plan date is within the dates.
    wire::Value GetDelivery(const QString& cdFilial, const QString& cdCia, const QDateTime& dtIni,
                            const QDateTime& dtFim);

    // The services of one delivery; the delivery number travels as text.
    wire::Value GetServicoDel(const QString& cdFilial, const QString& nrDelivery);

    // Saves the change log of the services of one delivery. Answers three packets: errors,
    // the deliveries of branch, airline and dates, and the services of the delivery.
    wire::Value SetServicoDel(const wire::ChangeSet& delta, const QString& cdFilial, qint64 nrDelivery,
                              const QString& cdLocaFatCia, const QString& cdCia, const QDateTime& dtIni,
                              const QDateTime& dtFim, const QString& nullFields);

    // The unit prices of one service row. CDCIA, NRVOO and CDTRECHO go by reference.
    wire::Value CalculaPreco(const QString& cdFilial, QString& cdCia, QString& nrVoo, QString& cdTrecho,
                             const QDateTime& dthrPlaVoo, const QString& cdClasse, const QDateTime& dthrPlaVooAgain,
                             const QString& cdServico, double qtSerFat, const QString& idTipManual, double qtSesByPr);

    // The services that may be added to a delivery (all, or the one whose code is given).
    // CDCIA goes by reference.
    wire::Value GetPesqServico(const QString& cdFilial, const QString& nrDelivery, QString& cdCia,
                               const QString& cdArvServ, const QString& idTipNacDel);

    // Cancels the invoice numbers of the marked deliveries of the packet; answers the
    // deliveries of branch, airline and dates.
    wire::Value SetCancelDel(wire::DataPacket deliveries, const QString& cdFilial, const QString& cdCia,
                             const QDateTime& dtIni, const QDateTime& dtFim);

    // The emission places of a branch: the one whose code is given, or all with `all` "T".
    wire::Value GetLocalEmissDel(const QString& cdFilial, const QString& cdLocal, const QString& all);

    // Gives invoice numbers to the deliveries of the packet for an emission place.
    wire::Value GeraNovoFatur(wire::DataPacket markedDeliveries, const QString& cdLocal);

private:
    wire::Value call(const char* method, wire::Array& args);

    TNetConnection& connection_;
};
