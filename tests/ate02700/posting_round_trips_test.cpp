// What one save of a service row costs in calls to the server, counted where they arrive: the
// price and the save, whose answer already carries the delivery list and the services, and
// nothing more; and what the screen shows when the answer is in.

#include "tests/ate02700/posting_env.h"

#include "framework/data/field.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tnumberedit.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/showavi.h"

#include <QScopeGuard>
#include <QTest>

namespace ate02700test {
namespace {

template <class T> class PostingRoundTrips : public T {};
using Engines = ::testing::Types<OnSQLite, OnPostgreSQL>;
TYPED_TEST_SUITE(PostingRoundTrips, Engines);

// The server's calls since a moment of the test.
class CallsSince {
public:
    explicit CallsSince(const testsupport::ServerProcess& server) : server_(server), log_(server.log()) {}
    int operator()(const char* method) const
    {
        Settle(50);  // a call that should not come is given the time to come
        return CallCountSince(server_, QString::fromLatin1(method), log_);
    }

private:
    const testsupport::ServerProcess& server_;
    QString log_;
};

#define EXPECT_CALLS(calls, pricing, saves, services, deliveries) \
    do {                                                          \
        EXPECT_EQ((calls)("CalculaPreco"), (pricing));            \
        EXPECT_EQ((calls)("SetServicoDel"), (saves));             \
        EXPECT_EQ((calls)("GetServicoDel"), (services));          \
        EXPECT_EQ((calls)("GetDelivery"), (deliveries));          \
    } while (false)

// Every service the screen lists belongs to the current delivery, and all of them are there.
void ExpectServicesOf(TfrmManuDelValor& form, int storedLines)
{
    const qint64 delivery = form.fldDelivery.NRDELIVERY->AsInteger();
    for (int r = 0; r < form.cdsServicoDel->RecordCount(); ++r)
        form.cdsServicoDel->ReadRow(r, [&] { EXPECT_EQ(form.fldServicoDel.NRDELIVERY->AsInteger(), delivery); });
    EXPECT_EQ(form.cdsServicoDel->RecordCount(), storedLines);
}

TYPED_TEST(PostingRoundTrips, APostCostsThePriceAndTheSaveOnlyWhereverTheDeliveryStands)
{
    // Deliveries of 9 and 10 November: 1010 of the 10th is the last of the list, 1010 of the
    // 9th the first.
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 last = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 9), QDate(2026, 11, 10),
                                           QStringLiteral("1010"), QDate(2026, 11, 10));
    ASSERT_GT(form.cdsDelivery->RecNo(), 1);
    QString service;
    const QString code = FirstCode(form, &service);
    const double invoiced = this->Stored(last, service, "QTSERFATSP").toDouble();

    const CallsSince calls(this->Server());
    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 3));
    this->Click(*form.sbtGravar);
    ASSERT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_CALLS(calls, 1, 1, 0, 0);

    // The answer is what shows: the saved line, every service of the delivery, and what
    // follows the delivery shown for the recalculated one.
    EXPECT_DOUBLE_EQ(this->Stored(last, service, "QTSERFATSP").toDouble(), invoiced + 3);
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), last);
    EXPECT_EQ(form.fldServicoDel.CDARVSERV->AsString(), code);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced + 3);
    EXPECT_NEAR(form.fldServicoDel.VRTOTSERVR->AsFloat(), this->Stored(last, service, "VRTOTSERVR").toDouble(), 0.001);
    ExpectServicesOf(form, this->LineCount(last));
    EXPECT_EQ(form.lblNmCia->Caption(),
              QString::number(last) + QStringLiteral(" - ") + form.fldDelivery.NMCIA->AsString());
    EXPECT_NEAR(form.ndeTotalServico->Number(), this->StoredDelivery(last, "VRTOTDESC").toDouble(), 0.001);
    EXPECT_NEAR(form.fldDelivery.VRBACATX->AsFloat(), this->StoredDelivery(last, "VRBACATX").toDouble(), 0.001);
    EXPECT_EQ(form.astCiaVooTre[1], QStringLiteral("1010"));
    EXPECT_FALSE(Showavi::IsShowing());

    // A move of the delivery afterwards still fetches its services, once.
    const CallsSince move(this->Server());
    QTest::mouseClick(&form.dbnPadrao->Button(TNavigateBtn::nbFirst), Qt::LeftButton);
    EXPECT_EQ(move("GetServicoDel"), 1);
    const qint64 first = form.fldDelivery.NRDELIVERY->AsInteger();
    ASSERT_NE(first, last);
    ExpectServicesOf(form, this->LineCount(first));

    // On the first row of the list (where the answer's list starts) it is the same.
    const QString firstCode = FirstCode(form, &service);
    const double firstInvoiced = this->Stored(first, service, "QTSERFATSP").toDouble();
    const CallsSince again(this->Server());
    this->ClickCell(form, firstCode, "QTSERFATSP");
    this->Type(QString::number(firstInvoiced + 1));
    this->Click(*form.sbtGravar);
    ASSERT_TRUE(this->dialogs_->Errors().isEmpty());
    EXPECT_CALLS(again, 1, 1, 0, 0);
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), first);
    EXPECT_EQ(form.fldServicoDel.CDARVSERV->AsString(), firstCode);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), firstInvoiced + 1);
    ExpectServicesOf(form, this->LineCount(first));

    // A delete is sent the same way: the save alone.
    ASSERT_GT(form.cdsServicoDel->RecordCount(), 1);
    const int lines = this->LineCount(first);
    const CallsSince removal(this->Server());
    this->ClickCell(form, firstCode, "QTSERFATSP");
    this->dialogs_->AnswerMessage(TModalResult::Yes);  // "Confirma exclusão?"
    this->Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_TRUE(this->dialogs_->Errors().isEmpty());
    EXPECT_CALLS(removal, 0, 1, 0, 0);
    EXPECT_EQ(this->LineCount(first), lines - 1);
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), first);
    ExpectServicesOf(form, lines - 1);
}

TYPED_TEST(PostingRoundTrips, ADeliveryGoneFromTheAnswerShowsTheServicesOfTheRowTheListStaysOn)
{
    // Another workstation moves the flight of 1010 on the 11th to the 12th, out of the range
    // shown: the save goes through, but the answer's list no longer holds the delivery.
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 moved = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 11), QDate(2026, 11, 11),
                                            QStringLiteral("1010"), QDate(2026, 11, 11));
    ASSERT_GT(form.cdsDelivery->RecNo(), 0);
    const QVariant when = this->StoredDelivery(moved, "DTHRPLAVOOPV");
    const QString original = when.typeId() == QMetaType::QDateTime
                                 ? when.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                 : when.toString();
    const auto restore = qScopeGuard([&] {
        this->Exec(
            QStringLiteral("UPDATE DELIVERY SET DTHRPLAVOOPV = '%1' WHERE NRDELIVERY = %2").arg(original).arg(moved));
    });
    this->Exec(QStringLiteral("UPDATE DELIVERY SET DTHRPLAVOOPV = (SELECT DTHRPLAVOOPV FROM DELIVERY "
                              "WHERE CDFILIAL = '0001' AND NUMERO = '000083/2026') WHERE NRDELIVERY = %1")
                   .arg(moved));
    QString service;
    const QString code = FirstCode(form, &service);
    const double invoiced = this->Stored(moved, service, "QTSERFATSP").toDouble();

    const CallsSince calls(this->Server());
    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 2));
    this->Click(*form.sbtGravar);
    ASSERT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_DOUBLE_EQ(this->Stored(moved, service, "QTSERFATSP").toDouble(), invoiced + 2);

    // The list stays on its first row, and the services are that delivery's: fetched once.
    ASSERT_FALSE(form.cdsDelivery->IsEmpty());
    const qint64 shown = form.fldDelivery.NRDELIVERY->AsInteger();
    EXPECT_NE(shown, moved);
    EXPECT_EQ(form.cdsDelivery->RecNo(), 1);
    EXPECT_CALLS(calls, 1, 1, 1, 0);
    ExpectServicesOf(form, this->LineCount(shown));
    EXPECT_EQ(form.lblNmCia->Caption(),
              QString::number(shown) + QStringLiteral(" - ") + form.fldDelivery.NMCIA->AsString());
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);
    EXPECT_FALSE(Showavi::IsShowing());
}

}  // namespace
}  // namespace ate02700test
