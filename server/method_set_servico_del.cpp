#include "server/delivery_queries.h"
#include "server/delivery_totals.h"
#include "server/line_totals.h"
#include "server/method_args.h"
#include "server/method_impl.h"
#include "server/pricing.h"
#include "server/record_layouts.h"
#include "server/rounding.h"
#include "server/service_line.h"
#include "server/sql.h"
#include "server/transaction.h"
#include "server/value_limits.h"

#include <optional>

namespace server::method {

namespace {

// A change the server will not apply: the whole change set is rolled back and the text
// goes to the operator in the error packet (CDERRO "ERRO_ATU").
struct Refusal {
    QString text;
};

// Columns of a posted row the client may set. Prices, totals, the stand-by total and the
// catalogue copies are the server's.
const char* const kTextColumns[] = {"CDAGRDECO",   "CDAGRDEDE",  "CDCLASSE",  "CDCICLO",    "IDSITSERSP",
                                    "IDTIPSCBOSP", "IDSEREXTSP", "IDSTKDTSP", "CDUSRRESPSP"};
const char* const kNumberColumns[] = {"VRALTXPORT",   "QTSESOLICSP",  "QTSERVFIXSP",    "QTATUAPRODSP",
                                      "QTANTAPRODSP", "QTCORTSERVSP", "QTREALPROD",     "QTSERFATSP",
                                      "QTSESBYUTSP",  "QTSESBYNUTSP", "VRPRECMANUTSESP"};
const char* const kQuantityColumns[] = {"QTSESOLICSP", "QTSERVFIXSP", "QTATUAPRODSP", "QTANTAPRODSP", "QTCORTSERVSP",
                                        "QTREALPROD",  "QTSERFATSP",  "QTSESBYUTSP",  "QTSESBYNUTSP"};

struct Delivery {
    qint64 key = 0;
    QString branch, airline, flight, leg, kind;
    QDateTime flightDate;
    bool invoiced = false;
    int maxServices = 0;
    double airportTaxPercent = 0;
};

// One row of the change set, read by column name.
class PostedRow {
public:
    PostedRow(const wire::ChangeSet& set, const wire::Row& row) : set_(set), row_(row) {}

    bool has(const char* column) const { return set_.fieldIndex(QString::fromLatin1(column)) >= 0; }
    const wire::Value& get(const char* column) const
    {
        static const wire::Value null;
        const int i = set_.fieldIndex(QString::fromLatin1(column));
        return i < 0 ? null : row_[static_cast<std::size_t>(i)];
    }

private:
    const wire::ChangeSet& set_;
    const wire::Row& row_;
};

QString fieldLabel(const char* column) { return QString::fromLatin1(column); }

std::optional<qint64> keyOf(const wire::Value& v)
{
    if (!v.isNumber()) return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d)) return std::nullopt;
    return static_cast<qint64>(d);
}

// A posted number that the column cannot hold, named for the operator.
void requireFits(const QString& field, const limits::Numeric& column, double rounded, double posted)
{
    if (!column.fits(rounded)) throw Refusal{limits::outOfRangeText(field, column, posted)};
}

class ServiceSave {
public:
    ServiceSave(Database& db, const wire::ChangeSet& changes, const QString& branch, qint64 delivery)
        : db_(db), changes_(changes), branch_(branch), deliveryKey_(delivery)
    {}

    // Applies the change set inside `tx`; Refusal or PricingError leave it to be rolled back.
    void apply(WriteTransaction& tx)
    {
        lockDelivery(tx);
        if (changes_.changes.empty()) return;
        if (delivery_.invoiced)
            throw Refusal{QStringLiteral("Delivery já faturada: seus serviços não podem ser alterados.")};
        checkRowsBelongHere();

        const int before = lineCount();
        bool inserting = false;
        // Deletes first, so that a service removed and added again in one set does not
        // collide with itself; then updates, then inserts.
        for (const wire::Change& c : changes_.changes)
            if (c.kind == wire::ChangeKind::Delete) applyDelete(c);
        for (const wire::Change& c : changes_.changes)
            if (c.kind == wire::ChangeKind::Update) applyUpdate(c);
        for (const wire::Change& c : changes_.changes)
            if (c.kind == wire::ChangeKind::Insert) {
                if (!inserting) checkInsertAllowed();
                inserting = true;
                applyInsert(c);
            }

        const int after = lineCount();
        if (after == 0)
            throw Refusal{QStringLiteral("Exclusão não permitida! A delivery deve possuir no mínimo um serviço.")};
        if (after > before && after > delivery_.maxServices)
            throw Refusal{
                QStringLiteral("Operação bloqueada ! A quantidade de serviços da delivery não pode "
                               "exceder o número parametrizado.")};
        updateDeliveryTotals();
    }

private:
    void lockDelivery(WriteTransaction& tx)
    {
        Sql q(db_, QStringLiteral("SELECT CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDTIPNACDEL, NRDELIVERYFA, "
                                  "NRMAXSERVDEL, VRPETXAERO FROM DELIVERY WHERE NRDELIVERY = :N")
                       + QLatin1String(tx.forUpdate()));
        q.bind(QStringLiteral(":N"), deliveryKey_);
        q.exec();
        if (!q.next() || q.value(0).toString() != branch_)
            throw Refusal{QStringLiteral("Delivery %1 não cadastrada nesta filial.").arg(deliveryKey_)};
        delivery_.key = deliveryKey_;
        delivery_.branch = q.value(0).toString();
        delivery_.airline = q.value(1).toString();
        delivery_.flight = q.value(2).toString();
        delivery_.leg = q.value(3).toString();
        delivery_.flightDate = readTimestamp(q.value(4));
        delivery_.kind = q.value(5).toString();
        delivery_.invoiced = !q.isNull(6);
        delivery_.maxServices = q.value(7).toInt();
        delivery_.airportTaxPercent = q.value(8).toDouble();
    }

    void checkRowsBelongHere() const
    {
        if (changes_.fieldIndex(u"NRDELIVERY") < 0)
            throw Refusal{QStringLiteral("As alterações não identificam a delivery dos serviços (NRDELIVERY).")};
        for (const wire::Change& c : changes_.changes) {
            const wire::Row* rows[] = {c.kind == wire::ChangeKind::Insert ? nullptr : &c.oldRow,
                                       c.kind == wire::ChangeKind::Delete ? nullptr : &c.newRow};
            for (const wire::Row* row : rows) {
                if (row == nullptr) continue;
                if (row->size() != changes_.fields.size())
                    throw Refusal{QStringLiteral("Linha alterada com %1 valores para %2 colunas.")
                                      .arg(row->size())
                                      .arg(changes_.fields.size())};
                const auto key = keyOf(PostedRow(changes_, *row).get("NRDELIVERY"));
                if (!key || *key != deliveryKey_)
                    throw Refusal{QStringLiteral("Há serviços de outra delivery nas alterações da delivery %1.")
                                      .arg(deliveryKey_)};
            }
        }
    }

    void checkInsertAllowed()
    {
        Sql q(db_, QStringLiteral("SELECT COALESCE(P.IDALTERDELIV, G.IDALTERDELIV) FROM PARAMGERAL G "
                                  "LEFT JOIN PARAMCOMIS P ON P.CDFILIAL = :F WHERE G.CDPARAMGERAL = 1"));
        q.bind(QStringLiteral(":F"), branch_);
        q.exec();
        if (q.next() && q.value(0).toString() == QLatin1String("N"))
            throw Refusal{QStringLiteral("Inclusão de serviços não permitida pelos parâmetros gerais.")};
    }

    int lineCount()
    {
        Sql q(db_, QStringLiteral("SELECT COUNT(*) FROM SERVDEL WHERE NRDELIVERY = :N"));
        q.bind(QStringLiteral(":N"), deliveryKey_);
        q.exec();
        return q.next() ? q.value(0).toInt() : 0;
    }

    // The stored line the client last loaded, refused when it is gone or has changed since.
    ServiceLine storedLine(const wire::Row& old)
    {
        const PostedRow row(changes_, old);
        const auto item = keyOf(row.get("NRITEMPLANSP"));
        const QString code =
            row.get("CDARVSERV").kind() == wire::Value::Kind::Text ? row.get("CDARVSERV").text() : QString();
        const Refusal stale{QStringLiteral("O serviço %1 foi alterado ou excluído por outro usuário. "
                                           "Os dados foram atualizados; refaça a operação.")
                                .arg(code.trimmed())};
        if (!item || !limits::fitsInteger(*item)) throw stale;
        std::optional<ServiceLine> stored = loadServiceLine(db_, deliveryKey_, *item);
        if (!stored) throw stale;
        for (const wire::FieldDef& column : serviceLineColumns()) {
            const int i = changes_.fieldIndex(column.name);
            if (i < 0) continue;
            if (!sameStoredValue(column.type, stored->get(column.name), old[static_cast<std::size_t>(i)])) throw stale;
        }
        return *stored;
    }

    void applyDelete(const wire::Change& c)
    {
        const ServiceLine stored = storedLine(c.oldRow);
        deleteServiceLine(db_, deliveryKey_, stored.item());
    }

    void applyUpdate(const wire::Change& c)
    {
        const ServiceLine stored = storedLine(c.oldRow);
        ServiceLine line = stored;
        const PostedRow row(changes_, c.newRow);
        takePostedValues(row, line);
        const bool serviceChanged = line.text(QStringLiteral("CDSERVICO")) != stored.text(QStringLiteral("CDSERVICO"));
        if (serviceChanged) takeCatalogue(line);
        if (line.text(QStringLiteral("CDAGRDEDE")) != stored.text(QStringLiteral("CDAGRDEDE"))) checkClassGroup(line);
        if (serviceChanged) checkNotDuplicate(line, stored.item());
        priceLine(line);
        updateServiceLine(db_, deliveryKey_, line);
    }

    void applyInsert(const wire::Change& c)
    {
        ServiceLine line;
        const PostedRow row(changes_, c.newRow);
        takePostedValues(row, line);
        takeCatalogue(line);
        checkClassGroup(line);
        checkNotDuplicate(line, 0);
        line.set(QStringLiteral("NRITEMPLANSP"), wire::Value(static_cast<double>(nextItem())));
        priceLine(line);
        insertServiceLine(db_, deliveryKey_, line);
    }

    void takePostedValues(const PostedRow& row, ServiceLine& line) const
    {
        if (row.has("CDSERVICO")) {
            const wire::Value& v = row.get("CDSERVICO");
            if (v.kind() != wire::Value::Kind::Text || v.text().trimmed().isEmpty())
                throw Refusal{QStringLiteral("Serviço deve ser informado.")};
            if (limits::hasNul(v.text())) throw Refusal{limits::nulText(QStringLiteral("CDSERVICO"))};
            line.set(QStringLiteral("CDSERVICO"), wire::Value(v.text().trimmed()));
        }
        if (line.text(QStringLiteral("CDSERVICO")).isEmpty())
            throw Refusal{QStringLiteral("Serviço deve ser informado.")};

        const auto& layout = serviceLineColumns();
        auto sizeOf = [&](const QString& name) {
            for (const wire::FieldDef& f : layout)
                if (f.name == name) return f.size;
            return 0;
        };
        for (const char* column : kTextColumns) {
            if (!row.has(column)) continue;
            const wire::Value& v = row.get(column);
            if (v.isNull()) {
                line.set(QLatin1String(column), {});
                continue;
            }
            if (v.kind() != wire::Value::Kind::Text)
                throw Refusal{QStringLiteral("Valor inválido para %1.").arg(fieldLabel(column))};
            if (limits::hasNul(v.text())) throw Refusal{limits::nulText(fieldLabel(column))};
            if (v.text().size() > sizeOf(QLatin1String(column)))
                throw Refusal{QStringLiteral("O valor de %1 excede %2 caracteres.")
                                  .arg(fieldLabel(column))
                                  .arg(sizeOf(QLatin1String(column)))};
            line.set(QLatin1String(column), v.text().isEmpty() ? wire::Value() : v);
        }
        for (const char* column : kNumberColumns) {
            if (!row.has(column)) continue;
            const wire::Value& v = row.get(column);
            if (!v.isNull() && !v.isNumber())
                throw Refusal{QStringLiteral("Valor inválido para %1.").arg(fieldLabel(column))};
            if (!v.isNull() && !std::isfinite(v.toDouble()))
                throw Refusal{limits::nonFiniteText(fieldLabel(column), v.toDouble())};
            line.set(QLatin1String(column), v.isNull() ? wire::Value() : wire::Value(v.toDouble()));
        }
        if (row.has("DTHRINCSESP")) {
            const wire::Value& v = row.get("DTHRINCSESP");
            if (!v.isNull() && v.kind() != wire::Value::Kind::DateTime)
                throw Refusal{QStringLiteral("Valor inválido para DTHRINCSESP.")};
            line.set(QStringLiteral("DTHRINCSESP"), v);
        }

        for (const char* column : kQuantityColumns) {
            const auto q = line.number(QLatin1String(column));
            if (!q) continue;
            requireFits(fieldLabel(column), limits::kQuantity, roundQuantity(*q), *q);
            line.set(QLatin1String(column), wire::Value(roundQuantity(*q)));
        }
        if (const auto v = line.number(QStringLiteral("VRALTXPORT")))
            requireFits(QStringLiteral("VRALTXPORT"), limits::kMoney, roundMoney(*v), *v);
        // The quantities that are charged must be given and cannot be negative.
        const std::pair<const char*, QString> charged[] = {
            {"QTSERFATSP", QStringLiteral("Quantidade deve ser informada.")},
            {"QTSESBYUTSP", QStringLiteral("Stand-by utilizado deve ser informado.")},
            {"QTSESBYNUTSP", QStringLiteral("Stand-by não utilizado deve ser informado.")},
        };
        for (const auto& [column, missing] : charged) {
            const auto q = line.number(QLatin1String(column));
            if (!q) throw Refusal{missing};
            if (*q < 0) throw Refusal{QStringLiteral("Quantidade negativa em %1.").arg(fieldLabel(column))};
        }
        const auto maintained = line.number(QStringLiteral("VRPRECMANUTSESP"));
        if (maintained) {
            requireFits(QStringLiteral("VRPRECMANUTSESP"), limits::kMoney, roundMoney(*maintained), *maintained);
            if (roundMoney(*maintained) == 0)
                throw Refusal{QStringLiteral("Manutenção de preço deve ser diferente de zero.")};
            line.set(QStringLiteral("VRPRECMANUTSESP"), wire::Value(roundMoney(*maintained)));
        }
    }

    // A new service of the line: it must be offered to the airline at the branch, for the
    // delivery's kind; its nationality, weight and price kind are the catalogue's.
    void takeCatalogue(ServiceLine& line)
    {
        const QString service = line.text(QStringLiteral("CDSERVICO"));
        Sql q(db_, QStringLiteral("SELECT S.IDTIPMANUAL, S.VRPESOSE, S.IDTPPRECO, S.CDARVSERV, SC.IDATIVO "
                                  "FROM SERVICO S LEFT JOIN SERVCIA SC ON SC.CDSERVICO = S.CDSERVICO "
                                  "AND SC.CDFILIAL = :F AND SC.CDCIA = :C WHERE S.CDSERVICO = :S"));
        q.bind(QStringLiteral(":F"), delivery_.branch).bind(QStringLiteral(":C"), delivery_.airline);
        q.bind(QStringLiteral(":S"), service);
        q.exec();
        if (!q.next() || q.value(4).toString() != QLatin1String("S"))
            throw Refusal{QStringLiteral("Serviço %1 não é oferecido à companhia nesta filial.").arg(service)};
        if (q.value(0).toString() != delivery_.kind)
            throw Refusal{QStringLiteral("O serviço %1 não é do tipo desta delivery.").arg(q.value(3).toString())};
        line.set(QStringLiteral("IDTIPMANUALSP"), wire::Value(q.value(0).toString()));
        line.set(QStringLiteral("VRPESOSESP"), q.isNull(1) ? wire::Value() : wire::Value(q.value(1).toDouble()));
        line.set(QStringLiteral("IDTPPRECO"), q.isNull(2) ? wire::Value() : wire::Value(q.value(2).toString()));
    }

    void checkClassGroup(const ServiceLine& line)
    {
        const QString group = line.text(QStringLiteral("CDAGRDEDE"));
        if (group.isEmpty()) return;
        Sql q(db_,
              QStringLiteral("SELECT COUNT(*) FROM CLASSECIA WHERE CDFILIAL = :F AND CDCIA = :C AND CDCLASSE = :K"));
        q.bind(QStringLiteral(":F"), delivery_.branch).bind(QStringLiteral(":C"), delivery_.airline);
        q.bind(QStringLiteral(":K"), group);
        q.exec();
        if (!q.next() || q.value(0).toInt() == 0)
            throw Refusal{QStringLiteral("Operação bloqueada ! Classe do serviço não relacionada a companhia.")};
    }

    void checkNotDuplicate(const ServiceLine& line, qint64 ownItem)
    {
        Sql q(db_, QStringLiteral("SELECT S.CDARVSERV FROM SERVDEL SD JOIN SERVICO S ON S.CDSERVICO = SD.CDSERVICO "
                                  "WHERE SD.NRDELIVERY = :N AND SD.CDSERVICO = :S AND SD.NRITEMPLANSP <> :I"));
        q.bind(QStringLiteral(":N"), deliveryKey_).bind(QStringLiteral(":S"), line.text(QStringLiteral("CDSERVICO")));
        q.bind(QStringLiteral(":I"), ownItem);
        q.exec();
        if (q.next())
            throw Refusal{
                QStringLiteral("O serviço %1 já existe nesta delivery.").arg(q.value(0).toString().trimmed())};
    }

    qint64 nextItem()
    {
        Sql q(db_, QStringLiteral("SELECT COALESCE(MAX(NRITEMPLANSP), 0) + 1 FROM SERVDEL WHERE NRDELIVERY = :N"));
        q.bind(QStringLiteral(":N"), deliveryKey_);
        q.exec();
        return q.next() ? q.value(0).toLongLong() : 1;
    }

    void priceLine(ServiceLine& line)
    {
        PriceRequest r;
        r.branch = delivery_.branch;
        r.airline = delivery_.airline;
        r.flight = delivery_.flight;
        r.leg = delivery_.leg;
        r.flightDate = delivery_.flightDate;
        r.classCode = line.text(QStringLiteral("CDCLASSE"));
        r.priceDate = delivery_.flightDate;
        r.service = line.text(QStringLiteral("CDSERVICO"));
        r.nationality = line.text(QStringLiteral("IDTIPMANUALSP"));
        const Prices prices = pricing_.price(r);

        LineQuantities q;
        q.invoice = line.number(QStringLiteral("QTSERFATSP")).value_or(0);
        q.standbyUsed = line.number(QStringLiteral("QTSESBYUTSP")).value_or(0);
        q.standbyUnused = line.number(QStringLiteral("QTSESBYNUTSP")).value_or(0);
        const LineValues v = calculateLine(q, prices, line.number(QStringLiteral("VRPRECMANUTSESP")));
        line.set(QStringLiteral("QTSESBYPRSP"), wire::Value(v.standbyTotal));
        line.set(QStringLiteral("VRPRURESESP"), wire::Value(v.unitLocal));
        line.set(QStringLiteral("VRPRUDOLSESP"), wire::Value(v.unitDollar));
        line.set(QStringLiteral("VRPRUSBYSP"), wire::Value(v.standbyUnit));
        line.set(QStringLiteral("PRECOSBYUT"), wire::Value(v.standbyUsedPrice));
        line.set(QStringLiteral("PRECOSBYNUT"), wire::Value(v.standbyUnusedPrice));
        line.set(QStringLiteral("VRTOTSERVR"), wire::Value(v.totalLocal));
        line.set(QStringLiteral("VRTOTSERVD"), wire::Value(v.totalDollar));
        requireComputedFits(line);
    }

    // The values the server works out from what was posted must fit their columns too: a
    // large quantity times a price can exceed what a line total holds.
    static void requireComputedFits(const ServiceLine& line)
    {
        const std::pair<const char*, const limits::Numeric*> computed[] = {
            {"QTSESBYPRSP", &limits::kQuantity}, {"PRECOSBYUT", &limits::kMoney}, {"PRECOSBYNUT", &limits::kMoney},
            {"VRTOTSERVR", &limits::kMoney},     {"VRTOTSERVD", &limits::kMoney},
        };
        for (const auto& [column, kind] : computed) {
            const double value = line.number(QLatin1String(column)).value_or(0);
            if (!kind->fits(value))
                throw Refusal{QStringLiteral("O valor calculado de %1 do serviço %2 excede o limite aceito (%3).")
                                  .arg(fieldLabel(column), line.text(QStringLiteral("CDSERVICO")), kind->largest())};
        }
    }

    // The delivery's totals always from all of its lines as stored now.
    void updateDeliveryTotals()
    {
        const bool dollars = delivery_.kind == QLatin1String("2");
        std::vector<double> lines;
        {
            Sql q(db_, QStringLiteral("SELECT VRTOTSERVR, VRTOTSERVD FROM SERVDEL WHERE NRDELIVERY = :N"));
            q.bind(QStringLiteral(":N"), deliveryKey_);
            q.exec();
            while (q.next()) lines.push_back(q.value(dollars ? 1 : 0).toDouble());
        }
        double discountPercent = 0;
        {
            Sql q(db_, QStringLiteral("SELECT VRPEDESCCIA FROM CIAFILI WHERE CDFILIAL = :F AND CDCIA = :C"));
            q.bind(QStringLiteral(":F"), delivery_.branch).bind(QStringLiteral(":C"), delivery_.airline);
            q.exec();
            if (q.next()) discountPercent = q.value(0).toDouble();
        }
        const DeliveryTotals t = calculateDelivery(lines, delivery_.airportTaxPercent, discountPercent);
        const std::pair<const char*, double> totals[] = {
            {"VRBACATX", t.base}, {"VRTXAERO", t.airportTax}, {"VRTOTDESC", t.discount}, {"VRTOTDELIV", t.total}};
        for (const auto& [column, value] : totals)
            if (!limits::kMoney.fits(value))
                throw Refusal{QStringLiteral("O valor calculado de %1 da delivery %2 excede o limite aceito (%3).")
                                  .arg(fieldLabel(column))
                                  .arg(deliveryKey_)
                                  .arg(limits::kMoney.largest())};
        Sql q(db_, QStringLiteral("UPDATE DELIVERY SET VRBACATX = :B, VRTXAERO = :T, VRTOTDESC = :D, VRTOTDELIV = :V "
                                  "WHERE NRDELIVERY = :N"));
        q.bind(QStringLiteral(":B"), t.base).bind(QStringLiteral(":T"), t.airportTax);
        q.bind(QStringLiteral(":D"), t.discount).bind(QStringLiteral(":V"), t.total);
        q.bind(QStringLiteral(":N"), deliveryKey_);
        q.exec();
    }

    Database& db_;
    const wire::ChangeSet& changes_;
    QString branch_;
    qint64 deliveryKey_;
    Delivery delivery_;
    Pricing pricing_{db_};
};

wire::DataPacket errorPacket(const QString& kind, const QString& text)
{
    wire::DataPacket packet;
    packet.fields = layout::error();
    if (!kind.isEmpty()) packet.rows.push_back({wire::Value(kind), wire::Value(text)});
    return packet;
}

}  // namespace

// Applies the change set of a delivery's services in one transaction and answers
// [errors, deliveries of branch/airline/dates, services of the delivery]. A refused or
// unpriceable change set leaves the database as it was and is reported in the errors.
wire::Value setServicoDel(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("SetServicoDel"), args, 8);
    const wire::ChangeSet& changes = a.changeSet(0, "alterações");
    const QString branch = branchCode(a.text(1, "filial"));
    const qint64 delivery = a.key(2, "delivery", false);
    a.text(3, "local de faturamento da companhia");  // the delivery's own, as stored, is what counts
    const QString airline = a.text(4, "companhia");
    const QDateTime from = a.dateTime(5, "data inicial");
    const QDateTime to = a.dateTime(6, "data final");
    a.text(7, "lista de campos nulos");  // the change set carries the nulls themselves

    QString errorKind;
    QString errorText;
    std::optional<wire::Array> saved;
    {
        WriteTransaction tx(db);
        try {
            ServiceSave(db, changes, branch, delivery).apply(tx);
            // The lists before the commit: one too large to answer refuses the save too,
            // rather than reporting a failure for a save already made.
            saved = wire::Array{errorPacket(errorKind, errorText), deliveriesPacket(db, branch, airline, from, to),
                                servicesPacket(db, branch, delivery)};
            tx.commit();
        } catch (const Refusal& r) {
            tx.rollback();
            errorKind = QStringLiteral("ERRO_ATU");
            errorText = r.text;
        } catch (const PricingError& e) {
            tx.rollback();
            errorKind = QStringLiteral("Erro_Mens");
            errorText = e.Message();
        }
    }
    if (saved) return std::move(*saved);
    return wire::Array{errorPacket(errorKind, errorText), deliveriesPacket(db, branch, airline, from, to),
                       servicesPacket(db, branch, delivery)};
}

}  // namespace server::method
