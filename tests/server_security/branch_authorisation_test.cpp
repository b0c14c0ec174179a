// Branch authorisation against the real server: a workstation of branch 0001 calling each of
// the nine methods for branch 0002 (by argument, by the rows of a packet or change set, or by
// the stored deliveries a packet marks) is refused and the database is left as it was; a
// workstation of every branch doing the same changes it.

#include "tests/server_security/security_support.h"

#include <gtest/gtest.h>

#include <memory>

using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

const QString kOther = QStringLiteral("0002");
constexpr int kOtherDelivery = 1007;  // a delivery of branch 0002 in the demo data
const QDateTime kFrom = wire::makeDateTime(2026, 11, 1);
const QDateTime kTo = wire::makeDateTime(2026, 11, 30);

void setField(const std::vector<wire::FieldDef>& fields, wire::Row& row, const char* name, wire::Value value)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == QLatin1String(name)) row[i] = std::move(value);
}

class BranchAuthorisation : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::create(GetParam());
        if (!db_) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        testsupport::initDatabase(db_->url());
        ownKey_ = securitytest::addWorkstation(db_->url(), QStringLiteral("FILIAL1"), QStringLiteral("0001"));
        allKey_ = securitytest::addWorkstation(db_->url(), QStringLiteral("MATRIZ"), QStringLiteral("*"));
        server_ = std::make_unique<ServerProcess>(db_->url());
        securitytest::configure(own_, *server_, QStringLiteral("FILIAL1"), ownKey_);
        securitytest::configure(all_, *server_, QStringLiteral("MATRIZ"), allKey_);
    }

    // What the writes of the methods touch.
    QVariantList snapshot()
    {
        testsupport::DirectConnection direct(*db_);
        QVariantList rows;
        rows += direct.column(
            QStringLiteral("SELECT CAST(NRDELIVERY AS VARCHAR(20)) || '|' || COALESCE(NRDELIVERYFA, '-') || '|' || "
                           "CAST(VRTOTDELIV AS VARCHAR(30)) FROM DELIVERY ORDER BY NRDELIVERY"));
        rows += direct.column(QStringLiteral(
            "SELECT CAST(NRDELIVERY AS VARCHAR(20)) || '|' || CDSERVICO || '|' || CAST(QTSERFATSP AS VARCHAR(30)) "
            "FROM SERVDEL ORDER BY NRDELIVERY, CDSERVICO"));
        rows += direct.column(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT"));
        return rows;
    }

    wire::Value call(TNetConnection& net, const QString& method, wire::Array args) { return net.Call(method, args); }

    // The branch's deliveries with `delivery` marked, as the client sends them back.
    wire::DataPacket markedDeliveries(const QString& branch, int delivery)
    {
        wire::DataPacket packet =
            call(all_, QStringLiteral("GetDelivery"), {branch, QStringLiteral("0001"), kFrom, kTo}).packet();
        const int key = packet.fieldIndex(u"NRDELIVERY");
        for (wire::Row& row : packet.rows)
            if (row[static_cast<std::size_t>(key)].toDouble() == delivery)
                setField(packet.fields, row, "IDMARCADO", QString("S"));
        return packet;
    }

    wire::ChangeSet serviceChange(int delivery, const QString& branch)
    {
        const wire::DataPacket loaded =
            call(all_, QStringLiteral("GetServicoDel"), {branch, QString::number(delivery)}).packet();
        wire::ChangeSet set{loaded.fields, {}};
        wire::Row posted = loaded.rows.at(0);
        setField(loaded.fields, posted, "QTSERFATSP", 7.0);
        set.changes.push_back({wire::ChangeKind::Update, loaded.rows.at(0), posted});
        return set;
    }

    struct Call {
        QString method;
        wire::Array args;
    };

    // Each of the nine methods naming branch 0002 somewhere.
    std::vector<Call> callsForTheOtherBranch()
    {
        const wire::DataPacket marked = markedDeliveries(kOther, kOtherDelivery);
        // The same marks under rows that claim branch 0001: the stored delivery decides.
        wire::DataPacket disguised = marked;
        for (wire::Row& row : disguised.rows) setField(disguised.fields, row, "CDFILIAL", QString("0001"));
        const QString d = QString::number(kOtherDelivery);
        return {
            {QStringLiteral("GetParamComis"), {kOther}},
            {QStringLiteral("GetDelivery"), {QString("2"), QStringLiteral("0001"), kFrom, kTo}},
            {QStringLiteral("GetServicoDel"), {kOther, d}},
            {QStringLiteral("SetServicoDel"),
             {serviceChange(kOtherDelivery, kOther), kOther, kOtherDelivery, QString(), QStringLiteral("0001"), kFrom,
              kTo, QString()}},
            {QStringLiteral("CalculaPreco"),
             {kOther, QStringLiteral("0001"), QStringLiteral("1100"), QStringLiteral("0001"), kFrom,
              QStringLiteral("0002"), kFrom, QStringLiteral("01.02.0001"), 1.0, QStringLiteral("1"), 0.0}},
            {QStringLiteral("GetPesqServico"), {kOther, d, QStringLiteral("0001"), QString(), QStringLiteral("1")}},
            {QStringLiteral("SetCancelDel"), {marked, kOther, QStringLiteral("0001"), kFrom, kTo}},
            // Branch 0001 in the argument, branch 0002 in the rows.
            {QStringLiteral("SetCancelDel"), {marked, QStringLiteral("0001"), QStringLiteral("0001"), kFrom, kTo}},
            {QStringLiteral("GetLocalEmissDel"), {kOther, QStringLiteral("0001"), QStringLiteral("T")}},
            {QStringLiteral("GeraNovoFatur"), {marked, QStringLiteral("0001")}},
            {QStringLiteral("GeraNovoFatur"), {disguised, QStringLiteral("0001")}},
        };
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<ServerProcess> server_;
    QString ownKey_, allKey_;
    TNetConnection own_, all_;
};

TEST_P(BranchAuthorisation, EveryMethodNamingAnotherBranchIsRefusedAndChangesNothing)
{
    const std::vector<Call> calls = callsForTheOtherBranch();
    const QVariantList before = snapshot();
    for (const Call& c : calls) {
        SCOPED_TRACE(c.method.toStdString());
        try {
            call(own_, c.method, c.args);
            ADD_FAILURE() << "accepted";
        } catch (const EServerError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Esta estação de trabalho não está autorizada a operar na filial 0002."));
        }
    }
    EXPECT_EQ(snapshot(), before);
    // The connection stays open and its own branch is served.
    EXPECT_EQ(call(own_, QStringLiteral("GetParamComis"), {QStringLiteral("1")}).packet().rows.size(), 1u);
    const QString log = server_->log();
    EXPECT_EQ(log.count(QStringLiteral("error: Esta estação de trabalho não está autorizada")),
              static_cast<qsizetype>(calls.size()))
        << log.toStdString();

    // A workstation of every branch gets through with the same writes.
    call(all_, QStringLiteral("SetServicoDel"),
         {serviceChange(kOtherDelivery, kOther), kOther, kOtherDelivery, QString(), QStringLiteral("0001"), kFrom, kTo,
          QString()});
    EXPECT_EQ(
        call(all_, QStringLiteral("GeraNovoFatur"), {markedDeliveries(kOther, kOtherDelivery), QStringLiteral("0001")}),
        wire::Value(true));
    testsupport::DirectConnection direct(*db_);
    EXPECT_FALSE(direct.scalar(QStringLiteral("SELECT NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = 1007")).isNull());
    EXPECT_NE(snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Engines, BranchAuthorisation,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

}  // namespace
