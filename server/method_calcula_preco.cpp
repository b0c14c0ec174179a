#include "server/method_args.h"
#include "server/method_impl.h"
#include "server/pricing.h"
#include "server/record_layouts.h"
#include "server/rounding.h"
#include "server/value_limits.h"

namespace server::method {

// Prices one service row. Arguments: branch, airline, flight, leg (the last three by
// reference, given back unchanged), flight date, class, price date, service, quantity to
// invoice, nationality, stand-by total.
wire::Value calculaPreco(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("CalculaPreco"), args, 11);
    PriceRequest r;
    r.branch = branchCode(a.text(0, "filial"));
    r.airline = a.text(1, "companhia");
    r.flight = a.text(2, "voo");
    r.leg = a.text(3, "trecho");
    r.flightDate = a.dateTime(4, "data do voo");
    r.classCode = a.text(5, "classe");
    r.priceDate = a.dateTime(6, "data do preço");
    r.service = a.text(7, "serviço");
    const double quantity = a.number(8, "quantidade a faturar");
    r.nationality = a.text(9, "nacionalidade");
    const double standby = a.number(10, "quantidade de stand-by");
    if (quantity < 0 || standby < 0)
        throw ArgumentError(QStringLiteral("CalculaPreco: as quantidades não podem ser negativas."));
    // The same bound a saved line has.
    if (!limits::kQuantity.fits(roundQuantity(quantity)))
        throw ArgumentError(QStringLiteral("CalculaPreco: ")
                            + limits::outOfRangeText(QStringLiteral("QTSERFATSP"), limits::kQuantity, quantity));
    if (!limits::kQuantity.fits(roundQuantity(standby)))
        throw ArgumentError(QStringLiteral("CalculaPreco: ")
                            + limits::outOfRangeText(QStringLiteral("QTSESBYPRSP"), limits::kQuantity, standby));

    const Prices p = Pricing(db).price(r);
    wire::DataPacket packet;
    packet.fields = layout::prices();
    packet.rows.push_back({wire::Value(p.unitLocal), wire::Value(p.unitDollar), wire::Value(p.standbyUnit())});
    return packet;
}

}  // namespace server::method
