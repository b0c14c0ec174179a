// SetServicoDel: changes of a delivery's services applied in one transaction, each changed
// line priced again by the server and the delivery's totals taken from all its lines; every
// refusal leaves the database exactly as it was and still answers the three packets.

#include "server/record_layouts.h"
#include "tests/server_core/server_core_fixture.h"

#include <functional>
#include <latch>
#include <thread>

namespace servercore_test {
namespace {

struct Answer {
    wire::DataPacket errors, deliveries, services;
};

void set(const std::vector<wire::FieldDef>& fields, wire::Row& row, const char* field, wire::Value value)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == QLatin1String(field)) {
            row[i] = std::move(value);
            return;
        }
    ADD_FAILURE() << "no field " << field;
}

class SetServicoDel : public ServerCoreTest {
protected:
    wire::DataPacket services(int delivery)
    {
        return call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QString::number(delivery)}).packet();
    }

    Answer save(const wire::ChangeSet& changes, int delivery, server::Database* other = nullptr)
    {
        wire::Array args{changes,
                         QStringLiteral("0001"),
                         delivery,
                         QStringLiteral("SAO PAULO"),
                         QStringLiteral("0001"),
                         at(10),
                         at(11),
                         QString()};
        const wire::Value result = other ? server::Methods(*other).call(QStringLiteral("SetServicoDel"), args)
                                         : call(QStringLiteral("SetServicoDel"), args);
        const wire::Array& packets = result.array();
        EXPECT_EQ(packets.size(), 3u);
        return {packets.at(0).packet(), packets.at(1).packet(), packets.at(2).packet()};
    }

    // An update of one stored line: `change` edits the posted copy.
    wire::ChangeSet update(int delivery, int row, const std::function<void(wire::Row&)>& change)
    {
        const wire::DataPacket loaded = services(delivery);
        wire::ChangeSet set{loaded.fields, {}};
        wire::Row posted = loaded.rows.at(static_cast<std::size_t>(row));
        change(posted);
        set.changes.push_back({wire::ChangeKind::Update, loaded.rows.at(static_cast<std::size_t>(row)), posted});
        return set;
    }

    // A new line as the client fills it from the service search.
    wire::Row newLine(int delivery, const char* service, const char* treeCode, double quantity)
    {
        const auto& fields = server::layout::service();
        wire::Row row(fields.size());
        set(fields, row, "NRDELIVERY", static_cast<double>(delivery));
        set(fields, row, "CDSERVICO", QString::fromLatin1(service));
        set(fields, row, "CDARVSERV", QString::fromLatin1(treeCode));
        set(fields, row, "CDAGRDECO", QStringLiteral("0003"));
        set(fields, row, "CDAGRDEDE", QStringLiteral("0003"));
        set(fields, row, "QTATUAPRODSP", quantity);
        set(fields, row, "QTSERFATSP", quantity);
        set(fields, row, "QTSESBYUTSP", 0.0);
        set(fields, row, "QTSESBYNUTSP", 0.0);
        set(fields, row, "QTSERVFIXSP", quantity);
        set(fields, row, "QTSESOLICSP", 0.0);
        set(fields, row, "IDTIPSCBOSP", QStringLiteral("5"));
        set(fields, row, "IDSITSERSP", QStringLiteral("2"));
        set(fields, row, "IDSEREXTSP", QStringLiteral("1"));
        set(fields, row, "IDSTKDTSP", QStringLiteral("1"));
        set(fields, row, "CDUSRRESPSP", QStringLiteral("OPERADOR"));
        set(fields, row, "DTHRINCSESP", at(9, 14, 30, 12, 345));
        // What the client holds of the price is never trusted.
        set(fields, row, "VRPRURESESP", 999.0);
        return row;
    }

    wire::ChangeSet inserts(std::vector<wire::Row> rows)
    {
        wire::ChangeSet set{server::layout::service(), {}};
        for (auto& row : rows) set.changes.push_back({wire::ChangeKind::Insert, {}, std::move(row)});
        return set;
    }

    void expectTotals(const Answer& a, int delivery, double base, double tax, double discount, double total)
    {
        const int row = findRow(a.deliveries, "NRDELIVERY", delivery);
        ASSERT_GE(row, 0);
        EXPECT_DOUBLE_EQ(number(a.deliveries, row, "VRBACATX"), base);
        EXPECT_DOUBLE_EQ(number(a.deliveries, row, "VRTXAERO"), tax);
        EXPECT_DOUBLE_EQ(number(a.deliveries, row, "VRTOTDESC"), discount);
        EXPECT_DOUBLE_EQ(number(a.deliveries, row, "VRTOTDELIV"), total);
    }

    // The change is refused with the text, and nothing at all was written.
    void expectRefused(const wire::ChangeSet& changes, int delivery, const QString& textPart)
    {
        const QStringList before = snapshot();
        const Answer a = save(changes, delivery);
        ASSERT_EQ(a.errors.rows.size(), 1u);
        EXPECT_EQ(text(a.errors, 0, "CDERRO"), QStringLiteral("ERRO_ATU"));
        EXPECT_TRUE(text(a.errors, 0, "CDOBJETO").contains(textPart)) << text(a.errors, 0, "CDOBJETO").toStdString();
        EXPECT_EQ(snapshot(), before);
        // The answer still carries the stored state.
        EXPECT_EQ(a.services, services(delivery));
        EXPECT_GE(findRow(a.deliveries, "NRDELIVERY", 100), 0);
    }
};

TEST_P(SetServicoDel, UpdatePricesTheLineAgainAndTotalsTheDeliveryFromAllItsLines)
{
    const auto& f = server::layout::service();
    const Answer a = save(update(100, 0,
                                 [&](wire::Row& r) {
                                     set(f, r, "QTSERFATSP", 12.0);
                                     set(f, r, "QTSESBYUTSP", 2.0);
                                     set(f, r, "QTSESBYNUTSP", 1.0004);  // kept to 3 decimals
                                     set(f, r, "VRPRURESESP", 1.0);      // the server prices
                                     set(f, r, "VRTOTSERVR", 1.0);
                                 }),
                          100);
    EXPECT_TRUE(a.errors.rows.empty());
    EXPECT_EQ(a.errors.fields, server::layout::error());
    ASSERT_EQ(a.services.rows.size(), 2u);
    // N1: 10.00 R$ / 2.00 US$, stand-by 6.00 / 1.20.
    EXPECT_DOUBLE_EQ(number(a.services, 0, "QTSESBYNUTSP"), 1.0);
    EXPECT_DOUBLE_EQ(number(a.services, 0, "QTSESBYPRSP"), 3.0);
    EXPECT_DOUBLE_EQ(number(a.services, 0, "VRPRURESESP"), 10.00);
    EXPECT_DOUBLE_EQ(number(a.services, 0, "PRECOSBYUT"), 12.00);
    EXPECT_DOUBLE_EQ(number(a.services, 0, "PRECOSBYNUT"), 6.00);
    EXPECT_DOUBLE_EQ(number(a.services, 0, "VRTOTSERVR"), 138.00);
    EXPECT_DOUBLE_EQ(number(a.services, 0, "VRTOTSERVD"), 27.60);
    // 138 + 100; airport tax 3%; airline discount 10%.
    expectTotals(a, 100, 238.00, 7.14, 23.80, 221.34);
    // The delivery list is the one of the filter (branch, airline, both days).
    EXPECT_EQ(a.deliveries.rows.size(), 5u);
}

TEST_P(SetServicoDel, InsertTakesTheNextItemAndTheCataloguesValuesAndAMaintainedPrice)
{
    wire::Row wine = newLine(100, "N3", "01.01.0003", 2);  // 4.00 US$ only: 20.00 R$ at 5.0
    const Answer a = save(inserts({wine}), 100);
    EXPECT_TRUE(a.errors.rows.empty());
    ASSERT_EQ(a.services.rows.size(), 3u);
    EXPECT_DOUBLE_EQ(number(a.services, 2, "NRITEMPLANSP"), 3);
    EXPECT_EQ(text(a.services, 2, "IDTIPMANUALSP"), QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(number(a.services, 2, "VRPESOSESP"), 1.2);
    EXPECT_EQ(text(a.services, 2, "DSSERVICO"), QStringLiteral("Vinho importado"));
    EXPECT_EQ(cell(a.services, 2, "DTHRINCSESP"), wire::Value(at(9, 14, 30, 12, 345)));
    EXPECT_DOUBLE_EQ(number(a.services, 2, "VRPRURESESP"), 20.00);
    EXPECT_DOUBLE_EQ(number(a.services, 2, "VRTOTSERVR"), 40.00);
    EXPECT_DOUBLE_EQ(number(a.services, 2, "VRTOTSERVD"), 8.00);
    expectTotals(a, 100, 240.00, 7.20, 24.00, 223.20);

    // A maintained price replaces the unit price; the dollars follow at the table's rate.
    const auto& f = server::layout::service();
    const Answer b = save(update(100, 2, [&](wire::Row& r) { set(f, r, "VRPRECMANUTSESP", 25.0); }), 100);
    EXPECT_TRUE(b.errors.rows.empty());
    EXPECT_DOUBLE_EQ(number(b.services, 2, "VRPRURESESP"), 20.00);
    EXPECT_DOUBLE_EQ(number(b.services, 2, "VRTOTSERVR"), 50.00);
    EXPECT_DOUBLE_EQ(number(b.services, 2, "VRTOTSERVD"), 10.00);
    expectTotals(b, 100, 250.00, 7.50, 25.00, 232.50);
}

TEST_P(SetServicoDel, DeleteAndDollarDeliveriesAreTotalledInTheirCurrency)
{
    const wire::DataPacket loaded = services(100);
    wire::ChangeSet removal{loaded.fields, {{wire::ChangeKind::Delete, loaded.rows.at(1), {}}}};
    const Answer a = save(removal, 100);
    EXPECT_TRUE(a.errors.rows.empty());
    ASSERT_EQ(a.services.rows.size(), 1u);
    expectTotals(a, 100, 100.00, 3.00, 10.00, 93.00);

    // International: I1 x5 plus 1 + 1 stand-by at 5.00 US$ (25.00 R$).
    const auto& f = server::layout::service();
    const Answer b = save(update(102, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", 5.0); }), 102);
    EXPECT_TRUE(b.errors.rows.empty());
    EXPECT_DOUBLE_EQ(number(b.services, 0, "VRTOTSERVD"), 50.00);
    EXPECT_DOUBLE_EQ(number(b.services, 0, "VRTOTSERVR"), 250.00);
    expectTotals(b, 102, 50.00, 2.75, 5.00, 47.75);
}

TEST_P(SetServicoDel, RefusedChangeSetsLeaveTheDatabaseExactlyAsItWas)
{
    const auto& f = server::layout::service();
    // The delivery has been invoiced.
    expectRefused(update(101, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", 2.0); }), 101, QStringLiteral("faturada"));
    // 2 lines + 2 > 3 allowed; the first insert alone would have been accepted.
    expectRefused(inserts({newLine(100, "N3", "01.01.0003", 1), newLine(100, "T1", "01.03.0001", 1)}), 100,
                  QStringLiteral("não pode exceder"));
    // The last line of a delivery.
    const wire::DataPacket only = services(103);
    expectRefused({only.fields, {{wire::ChangeKind::Delete, only.rows.at(0), {}}}}, 103,
                  QStringLiteral("no mínimo um serviço"));
    // A row of delivery 102 inside the changes of delivery 100.
    expectRefused(inserts({newLine(100, "N3", "01.01.0003", 1), newLine(102, "I2", "11.01.0002", 1)}), 100,
                  QStringLiteral("outra delivery"));
    // Already in the delivery; not offered to the airline; of the other kind.
    expectRefused(inserts({newLine(100, "N1", "01.01.0001", 1)}), 100, QStringLiteral("já existe"));
    expectRefused(inserts({newLine(100, "X1", "01.09.0001", 1)}), 100, QStringLiteral("não é oferecido"));
    expectRefused(inserts({newLine(100, "I2", "11.01.0002", 1)}), 100, QStringLiteral("tipo desta delivery"));
    // Input the client should have refused.
    expectRefused(update(100, 0, [&](wire::Row& r) { set(f, r, "VRPRECMANUTSESP", 0.0); }), 100,
                  QStringLiteral("diferente de zero"));
    expectRefused(update(100, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", -1.0); }), 100,
                  QStringLiteral("negativa"));
    expectRefused(update(100, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", wire::Value()); }), 100,
                  QStringLiteral("Quantidade deve ser informada"));
    expectRefused(update(100, 0, [&](wire::Row& r) { set(f, r, "CDAGRDEDE", QStringLiteral("0001")); }), 100,
                  QStringLiteral("Classe do serviço não relacionada"));
    // No new lines while the general parameters forbid them; a change of a line still goes.
    exec(QStringLiteral("UPDATE PARAMGERAL SET IDALTERDELIV = 'N'"));
    expectRefused(inserts({newLine(100, "N3", "01.01.0003", 1)}), 100, QStringLiteral("não permitida"));
    EXPECT_TRUE(save(update(100, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", 11.0); }), 100).errors.rows.empty());
}

TEST_P(SetServicoDel, ARowChangedOrRemovedSinceItWasLoadedIsRefused)
{
    const auto& f = server::layout::service();
    const wire::ChangeSet mine = update(100, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", 20.0); });
    // Someone else saved that line in between.
    ASSERT_TRUE(save(update(100, 0, [&](wire::Row& r) { set(f, r, "QTSESBYUTSP", 1.0); }), 100).errors.rows.empty());
    expectRefused(mine, 100, QStringLiteral("alterado ou excluído por outro usuário"));

    // ... or removed it.
    const wire::DataPacket loaded = services(100);
    exec(QStringLiteral("DELETE FROM SERVDEL WHERE NRDELIVERY = 100 AND NRITEMPLANSP = 2"));
    expectRefused({loaded.fields, {{wire::ChangeKind::Delete, loaded.rows.at(1), {}}}}, 100,
                  QStringLiteral("outro usuário"));
}

TEST_P(SetServicoDel, APricingFailureIsReportedCodedAndNothingOfTheSetIsKept)
{
    const auto& f = server::layout::service();
    wire::ChangeSet mixed = update(100, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", 11.0); });
    mixed.changes.push_back({wire::ChangeKind::Insert, {}, newLine(100, "D1", "01.01.0007", 1)});
    const QStringList before = snapshot();
    const Answer a = save(mixed, 100);
    ASSERT_EQ(a.errors.rows.size(), 1u);
    EXPECT_EQ(text(a.errors, 0, "CDERRO"), QStringLiteral("Erro_Mens"));
    EXPECT_EQ(text(a.errors, 0, "CDOBJETO"), QStringLiteral("\u00BFEser_Preco01.01.0007          *"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_DOUBLE_EQ(number(a.services, 0, "QTSERFATSP"), 10.0);
}

TEST_P(SetServicoDel, ConcurrentSavesOfOneLineOneWinsAndTotalsStayTheSumOfTheLines)
{
    const auto& f = server::layout::service();
    // Both operators loaded the same line and change it differently.
    const wire::ChangeSet first = update(100, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", 15.0); });
    const wire::ChangeSet second = update(100, 0, [&](wire::Row& r) { set(f, r, "QTSERFATSP", 30.0); });
    std::vector<Answer> answers(2);
    std::latch start(2);
    auto run = [&](int who, const wire::ChangeSet& changes) {
        auto connection = openConnection(QStringLiteral("operator-%1").arg(who));
        start.arrive_and_wait();
        answers[static_cast<std::size_t>(who)] = save(changes, 100, connection.get());
    };
    std::thread a(run, 0, std::cref(first));
    std::thread b(run, 1, std::cref(second));
    a.join();
    b.join();

    const int refused =
        static_cast<int>(!answers[0].errors.rows.empty()) + static_cast<int>(!answers[1].errors.rows.empty());
    EXPECT_EQ(refused, 1);
    const wire::DataPacket stored = services(100);
    const double quantity = number(stored, 0, "QTSERFATSP");
    EXPECT_TRUE(quantity == 15.0 || quantity == 30.0);
    EXPECT_DOUBLE_EQ(scalar(QStringLiteral("SELECT VRBACATX FROM DELIVERY WHERE NRDELIVERY = 100")).toDouble(),
                     scalar(QStringLiteral("SELECT SUM(VRTOTSERVR) FROM SERVDEL WHERE NRDELIVERY = 100")).toDouble());
    EXPECT_DOUBLE_EQ(scalar(QStringLiteral("SELECT VRBACATX FROM DELIVERY WHERE NRDELIVERY = 100")).toDouble(),
                     quantity * 10.0 + 100.0);
}

TEST_P(SetServicoDel, ConcurrentInsertsOfDifferentLinesAreBothKeptWithinTheMaximum)
{
    // Two operators add one line each to a delivery that has room for one more only.
    std::vector<Answer> answers(2);
    std::latch start(2);
    auto run = [&](int who, const char* service, const char* tree) {
        auto connection = openConnection(QStringLiteral("adder-%1").arg(who));
        const wire::ChangeSet changes = inserts({newLine(100, service, tree, 1)});
        start.arrive_and_wait();
        answers[static_cast<std::size_t>(who)] = save(changes, 100, connection.get());
    };
    std::thread a(run, 0, "N3", "01.01.0003");
    std::thread b(run, 1, "T1", "01.03.0001");
    a.join();
    b.join();
    EXPECT_EQ(static_cast<int>(answers[0].errors.rows.empty()) + static_cast<int>(answers[1].errors.rows.empty()), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM SERVDEL WHERE NRDELIVERY = 100")).toInt(), 3);
    EXPECT_DOUBLE_EQ(scalar(QStringLiteral("SELECT VRBACATX FROM DELIVERY WHERE NRDELIVERY = 100")).toDouble(),
                     scalar(QStringLiteral("SELECT SUM(VRTOTSERVR) FROM SERVDEL WHERE NRDELIVERY = 100")).toDouble());
}

INSTANTIATE_TEST_SUITE_P(Engines, SetServicoDel,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
