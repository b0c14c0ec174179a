// An airline's delivery list holds the deliveries of the partner airlines it invoices for at
// the branch, and only those: not the other way round, not at another branch.

#include "tests/server_core/server_core_fixture.h"

namespace servercore_test {
namespace {

using PartnerDeliveries = ServerCoreTest;

std::vector<double> deliveryKeys(const wire::DataPacket& p)
{
    std::vector<double> list;
    for (std::size_t r = 0; r < p.rows.size(); ++r) list.push_back(number(p, r, "NRDELIVERY"));
    return list;
}

class PartnerWorld : public PartnerDeliveries {
protected:
    void SetUp() override
    {
        PartnerDeliveries::SetUp();
        if (IsSkipped()) return;
        // "OUTRA" (0002) flies one flight at branch 0001 on 10 Nov: delivery 98.
        exec(QStringLiteral(
            "INSERT INTO VOO (CDFILIAL, CDCIA, NRVOO, IDTIPNACVOO) VALUES ('0001', '0002', '200', '1')"));
        exec(
            QStringLiteral("INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, SGAEROORI, SGAERODES) VALUES "
                           "('0001', '0002', '200', '0001', 'GRU', 'SJP')"));
        exec(
            QStringLiteral("INSERT INTO PLANOVOO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, QTPAX) VALUES "
                           "('0001', '0002', '200', '0001', '2026-11-10 08:00:00.000', 40)"));
        exec(
            QStringLiteral("INSERT INTO DELIVERY (NRDELIVERY, CDFILIAL, NUMERO, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, "
                           "IDTIPNACDEL, NRMAXSERVDEL) VALUES (98, '0001', '000098/2026', '0002', '200', '0001', "
                           "'2026-11-10 08:00:00.000', '1', 12)"));
    }
    std::vector<double> list(const char* branch, const char* airline)
    {
        return deliveryKeys(call(QStringLiteral("GetDelivery"),
                                 {QString::fromLatin1(branch), QString::fromLatin1(airline), at(10), at(10)})
                                .packet());
    }
};

TEST_P(PartnerWorld, TheContractorListsItsPartnersDeliveriesInKeyOrder)
{
    EXPECT_EQ(list("0001", "0001"), (std::vector<double>{100, 102, 103})) << "no partnership yet";
    exec(QStringLiteral("INSERT INTO CIAPARCEIRA (CDFILIAL, CDCIA, CDCIAPARC) VALUES ('0001', '0001', '0002')"));
    const wire::DataPacket both =
        call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("0001"), at(10), at(10)}).packet();
    EXPECT_EQ(deliveryKeys(both), (std::vector<double>{98, 100, 102, 103}));
    EXPECT_EQ(text(both, 0, "CDCIA"), QStringLiteral("0002"));
    EXPECT_EQ(text(both, 1, "CDCIA"), QStringLiteral("0001"));
    // The partner's own list is its own only; another branch knows no partnership.
    EXPECT_EQ(list("0001", "0002"), (std::vector<double>{98}));
    EXPECT_EQ(list("0002", "0001"), (std::vector<double>{105}));
}

TEST_P(PartnerWorld, APartnershipNeedsTwoAirlinesServedByTheBranch)
{
    EXPECT_ANY_THROW(
        exec(QStringLiteral("INSERT INTO CIAPARCEIRA (CDFILIAL, CDCIA, CDCIAPARC) VALUES "
                            "('0001', '0001', '0001')")));
    EXPECT_ANY_THROW(
        exec(QStringLiteral("INSERT INTO CIAPARCEIRA (CDFILIAL, CDCIA, CDCIAPARC) VALUES "
                            "('0002', '0001', '0002')")))
        << "0002 is not served at branch 0002";
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CIAPARCEIRA")).toInt(), 0);
}

TEST_P(PartnerWorld, CancellingAnswersTheSameListAsReading)
{
    exec(QStringLiteral("INSERT INTO CIAPARCEIRA (CDFILIAL, CDCIA, CDCIAPARC) VALUES ('0001', '0001', '0002')"));
    wire::DataPacket listed =
        call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("0001"), at(10), at(10)}).packet();
    const wire::DataPacket answer =
        call(QStringLiteral("SetCancelDel"),
             {wire::Value(std::move(listed)), QStringLiteral("0001"), QStringLiteral("0001"), at(10), at(10)})
            .packet();
    EXPECT_EQ(deliveryKeys(answer), (std::vector<double>{98, 100, 102, 103}));
}

INSTANTIATE_TEST_SUITE_P(Engines, PartnerWorld,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
