// What the server refuses before anything reaches the database, and the answers that must be
// the same on SQLite and PostgreSQL: values beyond their columns, NaN and infinities, the NUL
// character, keys beyond INTEGER, the last and first dates, a search without a kind, another
// branch's delivery, a branch without valued deliveries, and the database's own failures.

#include "server/record_layouts.h"
#include "tests/server_core/server_core_fixture.h"

#include <cmath>
#include <functional>
#include <limits>

namespace servercore_test {
namespace {

void setField(wire::Row& row, const char* field, wire::Value value)
{
    const int i = server::layout::indexOf(server::layout::service(), QString::fromLatin1(field));
    ASSERT_GE(i, 0) << field;
    row[static_cast<std::size_t>(i)] = std::move(value);
}

// The ArgumentError text of a call, or a failure when the call went through.
QString refusalOf(const std::function<void()>& run)
{
    try {
        run();
    } catch (const server::ArgumentError& e) {
        return e.Message();
    } catch (const server::ServerFailure& e) {
        return QStringLiteral("<not an argument error> ") + e.Message();
    }
    return QStringLiteral("<accepted>");
}

class Refusals : public ServerCoreTest {
protected:
    wire::DataPacket services(int delivery)
    {
        return call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QString::number(delivery)}).packet();
    }

    // Saves an update of the first line of delivery 100; answers the error packet.
    wire::DataPacket saveFirstLine(const std::function<void(wire::Row&)>& change)
    {
        const wire::DataPacket loaded = services(100);
        wire::Row posted = loaded.rows.at(0);
        change(posted);
        wire::ChangeSet set{loaded.fields, {{wire::ChangeKind::Update, loaded.rows.at(0), posted}}};
        wire::Array args{
            set,      QStringLiteral("0001"), 100, QStringLiteral("SAO PAULO"), QStringLiteral("0001"), at(10), at(11),
            QString()};
        return call(QStringLiteral("SetServicoDel"), args).array().at(0).packet();
    }

    // The change is refused ("ERRO_ATU") with a text holding every part, and nothing changed.
    void expectRefused(const std::function<void(wire::Row&)>& change, const QStringList& parts)
    {
        const QStringList before = snapshot();
        const wire::DataPacket errors = saveFirstLine(change);
        ASSERT_EQ(errors.rows.size(), 1u);
        EXPECT_EQ(text(errors, 0, "CDERRO"), QStringLiteral("ERRO_ATU"));
        for (const QString& part : parts)
            EXPECT_TRUE(text(errors, 0, "CDOBJETO").contains(part))
                << text(errors, 0, "CDOBJETO").toStdString() << " lacks " << part.toStdString();
        EXPECT_EQ(snapshot(), before);
    }

    QStringList searchCodes(const QString& branch, int delivery, const wire::Value& kind)
    {
        const wire::DataPacket p = call(QStringLiteral("GetPesqServico"),
                                        {branch, QString::number(delivery), QStringLiteral("0001"), QString(), kind})
                                       .packet();
        QStringList codes;
        for (std::size_t r = 0; r < p.rows.size(); ++r) codes << text(p, r, "CDSERVICO");
        return codes;
    }

    std::vector<qint64> deliveriesBetween(const QDateTime& from, const QDateTime& to)
    {
        const wire::DataPacket p =
            call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("0001"), from, to}).packet();
        std::vector<qint64> keys;
        for (std::size_t r = 0; r < p.rows.size(); ++r) keys.push_back(static_cast<qint64>(number(p, r, "NRDELIVERY")));
        return keys;
    }

    // A delivery of flight 100 at the moment given, with its flight plan.
    void addDeliveryAt(int key, const char* moment)
    {
        exec(QStringLiteral("INSERT INTO PLANOVOO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, QTPAX) VALUES "
                            "('0001', '0001', '100', '0001', '%1', 10)")
                 .arg(QLatin1String(moment)));
        exec(QStringLiteral(
                 "INSERT INTO DELIVERY (NRDELIVERY, CDFILIAL, NUMERO, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, "
                 "IDTIPNACDEL, NRMAXSERVDEL) VALUES (%1, '0001', 'E%1', '0001', '100', '0001', '%2', '1', 12)")
                 .arg(key)
                 .arg(QLatin1String(moment)));
    }
};

TEST_P(Refusals, QuantitiesAndPricesBeyondTheirColumnsAreRefusedNamingTheField)
{
    // Nothing of these reaches a column: SQLite stored 1e300 before, PostgreSQL failed.
    expectRefused([](wire::Row& r) { setField(r, "QTSERFATSP", 1e300); },
                  {QStringLiteral("QTSERFATSP"), QStringLiteral("1e+300")});
    expectRefused([](wire::Row& r) { setField(r, "QTSESBYUTSP", 1e12); },
                  {QStringLiteral("QTSESBYUTSP"), QStringLiteral("999.999.999.999,999")});
    expectRefused([](wire::Row& r) { setField(r, "QTSESOLICSP", -1e12); }, {QStringLiteral("QTSESOLICSP")});
    expectRefused([](wire::Row& r) { setField(r, "VRPRECMANUTSESP", 1e13); }, {QStringLiteral("VRPRECMANUTSESP")});
    expectRefused([](wire::Row& r) { setField(r, "VRALTXPORT", 1e14); }, {QStringLiteral("VRALTXPORT")});
    // Each quantity fits, but the line total (quantity x 10.00 + stand-by x 6.00) does not;
    // nor does the delivery's base when the line alone still fits.
    expectRefused(
        [](wire::Row& r) {
            setField(r, "QTSERFATSP", 999999999999.0);
            setField(r, "QTSESBYUTSP", 999999999999.0);
        },
        {QStringLiteral("VRTOTSERVR"), QStringLiteral("9.999.999.999.999,99")});
    expectRefused([](wire::Row& r) { setField(r, "QTSERFATSP", 999999999999.0); }, {QStringLiteral("VRBACATX")});
    // Not finite: said as such, not "a number, received a number".
    expectRefused([](wire::Row& r) { setField(r, "QTSERFATSP", std::numeric_limits<double>::quiet_NaN()); },
                  {QStringLiteral("QTSERFATSP"), QStringLiteral("número finito"), QStringLiteral("NaN")});
    expectRefused([](wire::Row& r) { setField(r, "QTSESBYNUTSP", -std::numeric_limits<double>::infinity()); },
                  {QStringLiteral("QTSESBYNUTSP"), QStringLiteral("-infinito")});
    expectRefused([](wire::Row& r) { setField(r, "CDUSRRESPSP", QStringLiteral("OPER\u0000DOR")); },
                  {QStringLiteral("CDUSRRESPSP"), QStringLiteral("caractere nulo")});
}

TEST_P(Refusals, TheLargestValuesTheColumnsHoldAreStoredExactlyOnBothEngines)
{
    const wire::DataPacket errors = saveFirstLine([](wire::Row& r) {
        setField(r, "QTSESOLICSP", 999999999999.999);
        setField(r, "QTSERFATSP", 99999999999.999);  // x 10.00 = 999,999,999,999.99
    });
    EXPECT_TRUE(errors.rows.empty()) << text(errors, 0, "CDOBJETO").toStdString();
    const wire::DataPacket stored = services(100);
    EXPECT_DOUBLE_EQ(number(stored, 0, "QTSESOLICSP"), 999999999999.999);
    EXPECT_DOUBLE_EQ(number(stored, 0, "QTSERFATSP"), 99999999999.999);
    EXPECT_DOUBLE_EQ(number(stored, 0, "VRTOTSERVR"), 999999999999.99);
}

TEST_P(Refusals, ArgumentsThatAreNotFiniteOrHoldNulOrExceedKeysAreRefusedBeforeTheDatabase)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto price = [&](double quantity) {
        return refusalOf([&] {
            call(QStringLiteral("CalculaPreco"),
                 {QStringLiteral("0001"), QStringLiteral("0001"), QStringLiteral("100"), QStringLiteral("0001"),
                  at(10, 10), QStringLiteral("0003"), at(10, 10), QStringLiteral("N1"), quantity, QStringLiteral("1"),
                  0.0});
        });
    };
    EXPECT_EQ(price(nan),
              QStringLiteral("CalculaPreco: o argumento 9 (quantidade a faturar) deve ser um número finito; "
                             "recebido NaN."));
    EXPECT_TRUE(price(std::numeric_limits<double>::infinity()).contains(QLatin1String("recebido infinito")));
    EXPECT_TRUE(price(1e15).contains(QLatin1String("fora do limite aceito")));

    const QString nul = refusalOf([&] {
        call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("00\u000001"), at(10), at(11)});
    });
    EXPECT_EQ(nul, QStringLiteral("GetDelivery: o argumento 2 (companhia) contém o caractere nulo (código 0), que não "
                                  "é aceito."));

    const QString farKey = refusalOf([&] {
        call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QStringLiteral("99999999999")});
    });
    EXPECT_EQ(farKey, QStringLiteral("GetServicoDel: o argumento 2 (delivery) deve estar entre -2147483648 e "
                                     "2147483647; recebido 99999999999."));
    EXPECT_TRUE(refusalOf([&] {
                    call(QStringLiteral("GetPesqServico"), {QStringLiteral("0001"), QStringLiteral("2147483648"),
                                                            QStringLiteral("0001"), QString(), QStringLiteral("1")});
                }).startsWith(QLatin1String("GetPesqServico: o argumento 2 (delivery) deve estar entre")));
    // The last key an INTEGER holds is merely unknown.
    EXPECT_TRUE(call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QStringLiteral("2147483647")})
                    .packet()
                    .rows.empty());

    wire::DataPacket marked;
    marked.fields = server::layout::delivery();
    wire::Row row(marked.fields.size());
    row[static_cast<std::size_t>(marked.fieldIndex(u"NRDELIVERY"))] = 3e9;
    row[static_cast<std::size_t>(marked.fieldIndex(u"IDMARCADO"))] = QStringLiteral("S");
    marked.rows.push_back(row);
    EXPECT_TRUE(refusalOf([&] {
                    call(QStringLiteral("GeraNovoFatur"), {marked, QStringLiteral("0001")});
                }).contains(QLatin1String("NRDELIVERY 3000000000")));
    EXPECT_TRUE(refusalOf([&] {
                    call(QStringLiteral("SetServicoDel"),
                         {wire::ChangeSet{server::layout::service(), {}}, QStringLiteral("0001"), 4294967296.0,
                          QStringLiteral("SAO PAULO"), QStringLiteral("0001"), at(10), at(11), QString()});
                }).startsWith(QLatin1String("SetServicoDel: o argumento 3 (delivery) deve estar entre")));
}

TEST_P(Refusals, DeliveryDatesAnswerAlikeUpToTheLastAndFromTheFirstDay)
{
    addDeliveryAt(900, "9999-12-31 23:59:59.999");
    addDeliveryAt(901, "0001-01-01 00:00:00.000");
    const QDateTime first = wire::makeDateTime(1, 1, 1);
    const QDateTime last = wire::makeDateTime(9999, 12, 31);

    EXPECT_EQ(deliveriesBetween(first, last), (std::vector<qint64>{100, 101, 102, 103, 104, 900, 901}));
    EXPECT_EQ(deliveriesBetween(last, last), (std::vector<qint64>{900}));
    EXPECT_EQ(deliveriesBetween(at(11), last), (std::vector<qint64>{101, 104, 900}));
    EXPECT_EQ(deliveriesBetween(first, first), (std::vector<qint64>{901}));
    EXPECT_EQ(deliveriesBetween(wire::makeDateTime(9999, 12, 30), wire::makeDateTime(9999, 12, 30)),
              std::vector<qint64>{});
}

TEST_P(Refusals, ServiceSearchWithoutAKindListsEveryKindOnBothEngines)
{
    // Delivery 100 holds N1 and N2; the airline is offered ten services of both kinds.
    const QStringList everyKind = {QStringLiteral("N3"), QStringLiteral("P1"), QStringLiteral("D1"),
                                   QStringLiteral("K1"), QStringLiteral("Z1"), QStringLiteral("T1"),
                                   QStringLiteral("I1"), QStringLiteral("I2")};
    QStringList expected = everyKind;
    expected.sort();
    for (const wire::Value& kind : {wire::Value(QString()), wire::Value(), wire::Value(QStringLiteral("  "))}) {
        QStringList codes = searchCodes(QStringLiteral("0001"), 100, kind);
        codes.sort();
        EXPECT_EQ(codes, expected) << kind.debugString().toStdString();
    }
    EXPECT_EQ(searchCodes(QStringLiteral("0001"), 100, QStringLiteral("2")),
              (QStringList{QStringLiteral("I1"), QStringLiteral("I2")}));
}

TEST_P(Refusals, AnotherBranchsDeliveryIsSearchedAsAnUnknownOne)
{
    // Delivery 105 (branch 0002) holds N1: branch 0001 must not learn that.
    const QStringList unknown = searchCodes(QStringLiteral("0001"), 999, QStringLiteral("1"));
    ASSERT_TRUE(unknown.contains(QStringLiteral("N1")));
    EXPECT_EQ(searchCodes(QStringLiteral("0001"), 105, QStringLiteral("1")), unknown);
    EXPECT_FALSE(searchCodes(QStringLiteral("0002"), 105, QStringLiteral("1")).contains(QStringLiteral("N1")));
}

TEST_P(Refusals, NumberingRefusesABranchWithoutValuedDeliveries)
{
    // Branch 0002 (IDUTDELVALO "N") with a range of its own, so that only the branch's
    // parameter stops it.
    exec(
        QStringLiteral("INSERT INTO FAIXANUMFAT (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA, NRINICIAL, NRFINAL, NRPROXIMO) "
                       "VALUES ('0002', '0001', 1, 10, 20, 10)"));
    wire::DataPacket marked;
    marked.fields = server::layout::delivery();
    wire::Row row(marked.fields.size());
    row[static_cast<std::size_t>(marked.fieldIndex(u"NRDELIVERY"))] = 105.0;
    row[static_cast<std::size_t>(marked.fieldIndex(u"IDMARCADO"))] = QStringLiteral("S");
    marked.rows.push_back(row);

    const QStringList before = snapshot();
    try {
        call(QStringLiteral("GeraNovoFatur"), {marked, QStringLiteral("0001")});
        FAIL() << "numbered a delivery of a branch without valued deliveries";
    } catch (const server::ServerFailure& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("A filial 0002 não utiliza delivery valorizada: suas deliveries não podem "
                                 "ser numeradas."));
    }
    EXPECT_EQ(snapshot(), before);

    exec(QStringLiteral("UPDATE PARAMCOMIS SET IDUTDELVALO = 'S' WHERE CDFILIAL = '0002'"));
    EXPECT_EQ(call(QStringLiteral("GeraNovoFatur"), {marked, QStringLiteral("0001")}), wire::Value(true));
    EXPECT_EQ(scalar(QStringLiteral("SELECT NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = 105")).toString(),
              QStringLiteral("10"));
}

TEST_P(Refusals, DatabaseFailuresReachTheCallerWithoutTheDatabasesText)
{
    // A table gone behind the server's back: both engines fail, and say the same.
    exec(QStringLiteral("ALTER TABLE PARAMCOMIS RENAME TO PARAMCOMIS_FORA"));
    QString message;
    try {
        call(QStringLiteral("GetParamComis"), {QStringLiteral("0001")});
    } catch (const server::ServerFailure& e) {
        message = e.Message();
    }
    exec(QStringLiteral("ALTER TABLE PARAMCOMIS_FORA RENAME TO PARAMCOMIS"));
    EXPECT_EQ(message, QStringLiteral("Falha no banco de dados: a operação não foi concluída. O detalhe está no "
                                      "registro do servidor."));
    for (const char* sql : {"SELECT", "PARAMCOMIS", "relation", "table"})
        EXPECT_FALSE(message.contains(QLatin1String(sql), Qt::CaseInsensitive)) << sql;
}

INSTANTIATE_TEST_SUITE_P(Engines, Refusals,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
