// CalculaPreco: the price table and item of the day, currency conversion with the financial
// index, proportional prices, and the seven coded failures exactly as the client reads them.

#include "framework/units/core/server_error_text.h"
#include "server/coded_error_text.h"
#include "tests/server_core/server_core_fixture.h"

namespace servercore_test {
namespace {

class Pricing : public ServerCoreTest {
protected:
    wire::DataPacket price(const char* service, const QDateTime& when, const char* airline = "0001",
                           const char* flight = "100", const char* nationality = "")
    {
        wire::Array args{QStringLiteral("0001"),
                         QString::fromLatin1(airline),
                         QString::fromLatin1(flight),
                         QStringLiteral("0001"),
                         when,
                         QString(),
                         when,
                         QString::fromLatin1(service),
                         2.0,
                         QString::fromLatin1(nationality),
                         0.0};
        return call(QStringLiteral("CalculaPreco"), std::move(args)).packet();
    }

    // The failure text of a price that cannot be given.
    QString failure(const char* service, const QDateTime& when, const char* airline = "0001",
                    const char* flight = "100")
    {
        try {
            price(service, when, airline, flight);
        } catch (const server::ServerFailure& e) {
            return e.Message();
        }
        return QStringLiteral("<priced>");
    }
};

TEST_P(Pricing, EachFailureCarriesItsKeyAndArgumentInTheWidthTheClientReads)
{
    struct Case {
        const char* service;
        QDateTime when;
        const char* airline;
        QString expected;
    };
    const Case cases[] = {
        // Two active tables of OUTRA on 10 Nov; the short code fills the 5 characters.
        {"N1", at(10, 10), "0002", QStringLiteral("#EVoo_valtaOUTRA*")},
        // 180 passengers fall in two intervals; a 3-letter code is padded to 5.
        {"P1", at(12, 10), "0001", QStringLiteral("#Evoo_InterATE  *")},
        {"D1", at(10, 10), "0001", QStringLiteral("\u00BFEser_Preco01.01.0007          *")},
        // 220 passengers: one interval, but no proportional price in it.
        {"P1", at(14, 10), "0001", QStringLiteral("\u00BFEser_Prepr05.01.0001          *")},
        // 300 passengers: no interval at all.
        {"P1", at(13, 10), "0001", QStringLiteral("\u00BFEser_Prepr05.01.0001          *")},
        {"Z1", at(10, 10), "0001", QStringLiteral("\u00BFEser_PreDa01.01.0009          *")},
        {"K1", at(10, 10), "0001", QStringLiteral("\u00BFEser_PreDa01.01.0008          *")},
        // No table of the airline is valid in 2027 (the inactive one does not count either).
        {"N1", wire::makeDateTime(2027, 1, 5, 10), "0001", QStringLiteral("\u00BFEser_PreDa01.01.0001          *")},
        {"N3", at(11, 10), "0001", QStringLiteral("\u00BFEser_IndFi01.01.0003          *")},
        {"I2", at(11, 20), "0001", QStringLiteral("\u00BFEser_CAdRe11.01.0002          *")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.service);
        const QString text = failure(c.service, c.when, c.airline, c.service[0] == 'I' ? "900" : "100");
        EXPECT_EQ(text, c.expected);
        // The client's decoder finds the key and the argument again.
        const ServerErrorText decoded = DecodeServerErrorText(text);
        EXPECT_EQ(decoded.key.size(), 10);
        EXPECT_FALSE(decoded.argument.isEmpty());
        EXPECT_TRUE(c.expected.contains(decoded.key + decoded.argument));
    }
}

TEST_P(Pricing, GivesBothCurrenciesConvertingTheMissingOneWithTheIndexOfTheDay)
{
    struct Case {
        const char* service;
        QDateTime when;
        double local, dollar, standby;
    };
    const Case cases[] = {
        {"N1", at(10, 10), 10.00, 2.00, 6.00},  // both given: taken as they are
        {"N1", at(11, 10), 10.00, 2.00, 6.00},  // ... so no index is needed
        {"N2", at(10, 10), 20.00, 4.00, 0.00},  // local only: 20 / 5
        {"N3", at(10, 10), 20.00, 4.00, 0.00},  // dollars only: 4 * 5
        {"I1", at(10, 20), 40.00, 8.00, 5.00},  // international: stand-by in dollars
        {"N2", at(11, 10), 20.00, 0.00, 0.00},  // national, local only, no index: no dollar price
        {"I1", at(11, 20), 0.00, 8.00, 5.00},   // international, dollars only, no index
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.service) + " " + c.when.toString(Qt::ISODate).toStdString());
        const wire::DataPacket p = price(c.service, c.when, "0001", c.service[0] == 'I' ? "900" : "100");
        ASSERT_EQ(p.rows.size(), 1u);
        EXPECT_DOUBLE_EQ(number(p, 0, "VRPRURESESP"), c.local);
        EXPECT_DOUBLE_EQ(number(p, 0, "VRPRUDOLSESP"), c.dollar);
        EXPECT_DOUBLE_EQ(number(p, 0, "VRPRUSBYSP"), c.standby);
    }

    // Converted prices are rounded to cents: 20 / 3 = 6.666...
    exec(QStringLiteral("UPDATE INDICEFIN SET VRINDICE = 3 WHERE DTINDICE = '2026-11-12'"));
    EXPECT_DOUBLE_EQ(number(price("N2", at(12, 10)), 0, "VRPRUDOLSESP"), 6.67);
    EXPECT_DOUBLE_EQ(number(price("N3", at(12, 10)), 0, "VRPRURESESP"), 12.00);

    // The nationality sent by the client decides the stand-by currency.
    EXPECT_DOUBLE_EQ(number(price("N1", at(10, 10), "0001", "100", "2"), 0, "VRPRUSBYSP"), 1.20);
}

TEST_P(Pricing, ProportionalItemIsPricedByTheIntervalOfTheLegsPassengers)
{
    const wire::DataPacket p = price("P1", at(10, 10));  // 80 passengers: first interval
    EXPECT_DOUBLE_EQ(number(p, 0, "VRPRURESESP"), 500.00);
    EXPECT_DOUBLE_EQ(number(p, 0, "VRPRUDOLSESP"), 100.00);

    exec(
        QStringLiteral("UPDATE PLANOVOO SET QTPAX = 101 WHERE DTHRPLAVOOPV = '2026-11-10 10:00:00.000' "
                       "AND CDFILIAL = '0001'"));
    EXPECT_DOUBLE_EQ(number(price("P1", at(10, 10)), 0, "VRPRURESESP"), 800.00);

    // Another time of day is another flight plan, which does not exist.
    EXPECT_EQ(failure("P1", at(10, 11)), QStringLiteral("\u00BFEser_Prepr05.01.0001          *"));
}

TEST_P(Pricing, RefusesMalformedCalls)
{
    wire::Array tooFew{QStringLiteral("0001"), QStringLiteral("0001")};
    try {
        call(QStringLiteral("CalculaPreco"), tooFew);
        FAIL() << "accepted 2 arguments";
    } catch (const server::ArgumentError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("CalculaPreco"))) << e.what();
        EXPECT_TRUE(e.Message().contains(QLatin1String("11"))) << e.what();
    }
    wire::Array textDate{QStringLiteral("0001"),
                         QStringLiteral("0001"),
                         QStringLiteral("100"),
                         QStringLiteral("0001"),
                         QStringLiteral("2026-11-10"),
                         QString(),
                         at(10, 10),
                         QStringLiteral("N1"),
                         1.0,
                         QString(),
                         0.0};
    try {
        call(QStringLiteral("CalculaPreco"), textDate);
        FAIL() << "accepted a text date";
    } catch (const server::ArgumentError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("argumento 5"))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, Pricing,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
