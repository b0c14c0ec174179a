// Posting service rows as the operator does, against a real server: the checks and derived
// quantities, the server's price, the save at once, the recalculated delivery coming back,
// and where both lists stand afterwards. Each test works on a delivery of its own.

#include "tests/ate02700/posting_env.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/model/null_field_list.h"

#include "framework/data/field.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"
#include "framework/units/showavi.h"

#include <QApplication>
#include <cmath>

namespace ate02700test {
namespace {

template <class T> class Posting : public T {};
using Engines = ::testing::Types<OnSQLite, OnPostgreSQL>;
TYPED_TEST_SUITE(Posting, Engines);

struct Line {
    QString cdArvServ;
    QString cdServico;
};

Line RowAt(TfrmManuDelValor& form, int viewRow)
{
    Line line;
    form.cdsServicoDel->ReadRow(viewRow, [&] {
        line = {form.fldServicoDel.CDARVSERV->AsString(), form.fldServicoDel.CDSERVICO->AsString()};
    });
    return line;
}

double Money(double v) { return std::round(v * 100.0) / 100.0; }

// The screen and the database agree after a completed save: the delivery list is the
// server's, on the saved delivery; the services of that delivery, on the saved service.
#define EXPECT_BACK_ON(form, delivery, code)                                 \
    do {                                                                     \
        EXPECT_EQ((form).fldDelivery.NRDELIVERY->AsInteger(), (delivery));   \
        EXPECT_EQ((form).fldServicoDel.CDARVSERV->AsString(), (code));       \
        EXPECT_EQ((form).fldServicoDel.NRDELIVERY->AsInteger(), (delivery)); \
        EXPECT_EQ((form).cdsServicoDel->State(), TDataSetState::Browse);     \
        EXPECT_EQ((form).cdsServicoDel->ChangeCount(), 0);                   \
        EXPECT_FALSE(Showavi::IsShowing());                                  \
    } while (false)

TYPED_TEST(Posting, ChangedQuantityIsPricedSavedAndTheDeliveryRecalculated)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 23), QDate(2026, 11, 25),
                                               QStringLiteral("1010"), QDate(2026, 11, 24));
    const int deliveries = form.cdsDelivery->RecordCount();
    ASSERT_GT(deliveries, 3);
    const Line line = RowAt(form, 1);
    const double invoiced = this->Stored(delivery, line.cdServico, "QTSERFATSP").toDouble();
    const double requested = this->Stored(delivery, line.cdServico, "QTSESOLICSP").toDouble();
    const double totalBefore = this->StoredDelivery(delivery, "VRBACATX").toDouble();
    const int pricing = this->Calls("CalculaPreco");
    const int saves = this->Calls("SetServicoDel");

    // What the progress overlay says while the server prices the row and while the answer of
    // the save is loaded.
    QStringList captions;
    form.cdsCalcPreco->AfterScroll = [&](TClientDataSet&) { captions << Showavi::Caption(); };
    form.cdsErro->AfterScroll = [&](TClientDataSet&) { captions << Showavi::Caption(); };
    this->ClickCell(form, line.cdArvServ, "QTSERFATSP");
    this->Type(QString::number(invoiced + 7));
    this->Click(*form.sbtGravar);
    form.cdsCalcPreco->AfterScroll = nullptr;
    form.cdsErro->AfterScroll = nullptr;
    ASSERT_FALSE(captions.isEmpty());
    EXPECT_EQ(captions.front(), QStringLiteral("Calculando Preço ..."));
    EXPECT_TRUE(captions.contains(QStringLiteral("Recalculando valores da delivery ...")))
        << captions.join(QLatin1Char('|')).toStdString();

    EXPECT_TRUE(this->dialogs_->Shown().empty());
    EXPECT_BACK_ON(form, delivery, line.cdArvServ);
    EXPECT_EQ(this->Calls("CalculaPreco"), pricing + 1);
    EXPECT_EQ(this->Calls("SetServicoDel"), saves + 1);

    // Stored: the quantity, the requested quantity moved by the change (a planned line),
    // the operator, the line priced again and the delivery's totals from all its lines.
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSERFATSP").toDouble(), invoiced + 7);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSESOLICSP").toDouble(), requested + 7);
    EXPECT_EQ(this->Stored(delivery, line.cdServico, "CDUSRRESPSP").toString(), QStringLiteral("OPER01"));
    const double unit = this->Stored(delivery, line.cdServico, "VRPRURESESP").toDouble();
    const double standby = this->Stored(delivery, line.cdServico, "VRPRUSBYSP").toDouble();
    const double sb = this->Stored(delivery, line.cdServico, "QTSESBYPRSP").toDouble();
    EXPECT_NEAR(this->Stored(delivery, line.cdServico, "VRTOTSERVR").toDouble(),
                Money((invoiced + 7) * unit + sb * standby), 0.011);
    const double base = this->StoredDelivery(delivery, "VRBACATX").toDouble();
    EXPECT_NEAR(base, this->SumOfLines(delivery), 0.001);
    EXPECT_GT(base, totalBefore);

    // The screen shows the server's answer: the recalculated delivery among the deliveries
    // of the filter's range, the line as stored.
    EXPECT_EQ(form.cdsDelivery->RecordCount(), deliveries);
    EXPECT_NEAR(form.fldDelivery.VRBACATX->AsFloat(), base, 0.001);
    EXPECT_NEAR(form.fldDelivery.VRTOTDELIV->AsFloat(), this->StoredDelivery(delivery, "VRTOTDELIV").toDouble(), 0.001);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced + 7);
    EXPECT_NEAR(form.fldServicoDel.VRTOTSERVR->AsFloat(),
                this->Stored(delivery, line.cdServico, "VRTOTSERVR").toDouble(), 0.001);

    // Leaving an edited row with the arrow key saves it just the same.
    this->ClickCell(form, line.cdArvServ, "QTSESBYUTSP");
    this->Type(QStringLiteral("1.23456"));
    this->Key(Qt::Key_Down);
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_EQ(this->Calls("SetServicoDel"), saves + 2);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSESBYUTSP").toDouble(), 1.235);
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), this->SumOfLines(delivery), 0.001);
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), delivery);
    EXPECT_FALSE(Showavi::IsShowing());
}

TYPED_TEST(Posting, EachCheckFocusesItsColumnKeepsTheRowAndACorrectedPostDerivesTheSame)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 23), QDate(2026, 11, 23),
                                               QStringLiteral("1010"), QDate(2026, 11, 23));
    const Line line = RowAt(form, 0);
    const double invoiced = this->Stored(delivery, line.cdServico, "QTSERFATSP").toDouble();
    const double requested = this->Stored(delivery, line.cdServico, "QTSESOLICSP").toDouble();
    const double service = this->Stored(delivery, line.cdServico, "QTATUAPRODSP").toDouble();
    const int pricing = this->Calls("CalculaPreco");
    const int saves = this->Calls("SetServicoDel");

    struct Refusal {
        const char* field;
        QString typed;
        QString text;
    };
    const Refusal refusals[] = {
        {"QTSERFATSP", QString(), QStringLiteral("Quantidade deve ser informada.")},
        {"QTSESBYUTSP", QString(), QStringLiteral("Stand-by utilizado deve ser informado.")},
        {"QTSESBYNUTSP", QString(), QStringLiteral("Stand-by não utilizado deve ser informado.")},
        {"QTATUAPRODSP", QStringLiteral("0"), QStringLiteral("Quantidade deve ser maior que zero.")},
        {"QTATUAPRODSP", QStringLiteral("-3"), QStringLiteral("Quantidade deve ser maior que zero.")},
        {"VRPRECMANUTSESP", QStringLiteral("0"), QStringLiteral("Manutenção de preço deve ser diferente de zero.")},
    };
    // Each refusal is met with the row changed (the quantity to invoice raised by 2) and one
    // more field wrong; the wrong field is put right again before the next.
    this->ClickCell(form, line.cdArvServ, "QTSERFATSP");
    this->Retype(QString::number(invoiced + 2));
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.text.toStdString());
        this->dialogs_->ClearShown();
        this->ClickCell(form, line.cdArvServ, r.field);
        const QString before = form.cdsServicoDel->FieldByName(QString::fromLatin1(r.field)).AsString();
        this->Retype(r.typed);
        this->Click(*form.sbtGravar);
        EXPECT_EQ(this->dialogs_->Errors(), QStringList{r.text});
        EXPECT_EQ(this->SelectedField(form), QString::fromLatin1(r.field));
        EXPECT_EQ(QApplication::focusWidget(), form.dbgServicoDel);
        EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Edit);
        EXPECT_EQ(form.cdsServicoDel->FieldByName(QString::fromLatin1(r.field)).AsString(), r.typed);
        EXPECT_FALSE(Showavi::IsShowing());
        // Put right; the service quantity carries into the quantity to invoice, so that is
        // typed again too.
        this->ClickCell(form, line.cdArvServ, r.field);
        this->Retype(before);
        this->ClickCell(form, line.cdArvServ, "QTSERFATSP");
        this->Retype(QString::number(invoiced + 2));
    }
    EXPECT_EQ(this->Calls("CalculaPreco"), pricing) << "no row was priced while a check failed";
    EXPECT_EQ(this->Calls("SetServicoDel"), saves);

    this->dialogs_->ClearShown();
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_BACK_ON(form, delivery, line.cdArvServ);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSERFATSP").toDouble(), invoiced + 2);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSESOLICSP").toDouble(), requested + 2)
        << "six refused attempts, the change counted once";
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTREALPROD").toDouble(), service);
    EXPECT_TRUE(this->Stored(delivery, line.cdServico, "VRPRECMANUTSESP").isNull());
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), this->SumOfLines(delivery), 0.001);

    // Only the price maintenance changed: no quantity check runs, the row is priced and the
    // maintained price replaces the unit price; cleared again, the table price is back.
    const int pricingNow = this->Calls("CalculaPreco");
    this->ClickCell(form, line.cdArvServ, "VRPRECMANUTSESP");
    this->Retype(QStringLiteral("10"));
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty());
    EXPECT_EQ(this->Calls("CalculaPreco"), pricingNow + 1);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "VRPRECMANUTSESP").toDouble(), 10.0);
    const double sb = this->Stored(delivery, line.cdServico, "QTSESBYPRSP").toDouble();
    const double sbUnit = this->Stored(delivery, line.cdServico, "VRPRUSBYSP").toDouble();
    EXPECT_NEAR(this->Stored(delivery, line.cdServico, "VRTOTSERVR").toDouble(),
                Money((invoiced + 2) * 10.0 + sb * sbUnit), 0.011);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSESOLICSP").toDouble(), requested + 2);
    this->ClickCell(form, line.cdArvServ, "VRPRECMANUTSESP");
    this->Retype(QString());
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty());
    EXPECT_TRUE(this->Stored(delivery, line.cdServico, "VRPRECMANUTSESP").isNull());
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), this->SumOfLines(delivery), 0.001);
}

TYPED_TEST(Posting, ANewRowWithoutAServiceIsRefusedAndEscLeavesNothing)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 25), QDate(2026, 11, 25),
                                               QString(), QDate(), QStringLiteral("009001/2026"));
    const int lines = this->LineCount(delivery);
    const int pricing = this->Calls("CalculaPreco");
    const Line first = RowAt(form, 0);

    this->ClickCell(form, first.cdArvServ, "QTATUAPRODSP");
    this->Key(Qt::Key_Insert);
    ASSERT_EQ(form.cdsServicoDel->State(), TDataSetState::Insert)
        << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    this->ClickCell(form, QString(), "QTATUAPRODSP");
    this->Type(QStringLiteral("4"));
    this->Key(Qt::Key_Tab);
    this->Type(QStringLiteral("4"));
    this->Key(Qt::Key_Tab);
    this->Type(QStringLiteral("0"));
    this->Key(Qt::Key_Tab);
    this->Type(QStringLiteral("0"));
    this->Key(Qt::Key_Tab);
    this->Click(*form.sbtGravar);
    EXPECT_EQ(this->dialogs_->Errors(), QStringList{QStringLiteral("Serviço deve ser informado.")});
    EXPECT_EQ(this->SelectedField(form), QStringLiteral("CDARVSERV"));
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Insert);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), 4.0);

    // Esc closes nothing open in the cell, so it drops the new row; nothing was sent.
    this->Key(Qt::Key_Escape);
    if (form.cdsServicoDel->State() != TDataSetState::Browse) this->Key(Qt::Key_Escape);
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_EQ(form.cdsServicoDel->RecordCount(), lines);
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);
    EXPECT_EQ(this->Calls("CalculaPreco"), pricing);
    EXPECT_EQ(this->LineCount(delivery), lines);
    EXPECT_FALSE(Showavi::IsShowing());
}

TYPED_TEST(Posting, TheLastServiceCannotBeDeletedAndADeleteIsSavedAtOnce)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 single =
        this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 25), QDate(2026, 11, 26),
                           QStringLiteral("1010"), QDate(2026, 11, 25), QStringLiteral("009001/2026"));
    ASSERT_EQ(form.cdsServicoDel->RecordCount(), 1);
    const int saves = this->Calls("SetServicoDel");

    this->ClickCell(form, RowAt(form, 0).cdArvServ, "QTSERFATSP");
    this->dialogs_->AnswerMessage(TModalResult::Yes);  // "Confirma exclusão?"
    this->Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(this->dialogs_->Errors(),
              QStringList{QStringLiteral("Exclusão não permitida! A delivery deve possuir no mínimo um serviço.")});
    EXPECT_EQ(form.cdsServicoDel->RecordCount(), 1);
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);
    EXPECT_EQ(this->LineCount(single), 1);
    EXPECT_EQ(this->Calls("SetServicoDel"), saves);

    // The delivery with two services: the first goes, the cursor is on the one that took its
    // place, and the delivery's totals are those of the line left.
    this->dialogs_->ClearShown();
    form.cdsDelivery->Next();  // the navigator's next delivery: its services load
    ASSERT_EQ(form.fldDelivery.NUMERO->AsString(), QStringLiteral("009002/2026"));
    const qint64 two = form.fldDelivery.NRDELIVERY->AsInteger();
    ASSERT_EQ(form.cdsServicoDel->RecordCount(), 2);
    const Line gone = RowAt(form, 0);
    const Line stays = RowAt(form, 1);
    this->ClickCell(form, gone.cdArvServ, "QTSERFATSP");
    this->dialogs_->AnswerMessage(TModalResult::Yes);
    this->Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty());
    EXPECT_EQ(this->Calls("SetServicoDel"), saves + 1);
    EXPECT_EQ(this->LineCount(two), 1);
    EXPECT_FALSE(this->Stored(two, gone.cdServico, "QTSERFATSP").isValid());
    EXPECT_BACK_ON(form, two, stays.cdArvServ);
    EXPECT_EQ(form.cdsServicoDel->RecordCount(), 1);
    EXPECT_NEAR(this->StoredDelivery(two, "VRBACATX").toDouble(),
                this->Stored(two, stays.cdServico, "VRTOTSERVR").toDouble(), 0.001);
    EXPECT_NEAR(form.fldDelivery.VRBACATX->AsFloat(), this->StoredDelivery(two, "VRBACATX").toDouble(), 0.001);
}

TYPED_TEST(Posting, ALineAddedHereMovesItsFixedQuantityAPlannedOneItsRequestedQuantity)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 27), QDate(2026, 11, 27),
                                               QString(), QDate(), QStringLiteral("009003/2026"));
    const QString added = QStringLiteral("SV02");    // kind "5"
    const QString planned = QStringLiteral("SV01");  // kind "1"
    ASSERT_EQ(this->Stored(delivery, added, "IDTIPSCBOSP").toString(), QStringLiteral("5"));
    const double fixed = this->Stored(delivery, added, "QTSERVFIXSP").toDouble();
    const double invoicedAdded = this->Stored(delivery, added, "QTSERFATSP").toDouble();
    const double requested = this->Stored(delivery, planned, "QTSESOLICSP").toDouble();
    const double fixedPlanned = this->Stored(delivery, planned, "QTSERVFIXSP").toDouble();
    const double invoicedPlanned = this->Stored(delivery, planned, "QTSERFATSP").toDouble();

    // Lowered by 3: the fixed quantity follows, the requested one stays.
    this->ClickCell(form, QStringLiteral("01.01.0002"), "QTSERFATSP");
    this->Type(QString::number(invoicedAdded - 3));
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_BACK_ON(form, delivery, QStringLiteral("01.01.0002"));
    EXPECT_DOUBLE_EQ(this->Stored(delivery, added, "QTSERVFIXSP").toDouble(), fixed - 3);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, added, "QTSESOLICSP").toDouble(), 0.0);

    // Raised by 2 on the planned line: its requested quantity follows, the fixed one stays.
    this->ClickCell(form, QStringLiteral("01.01.0001"), "QTSERFATSP");
    this->Type(QString::number(invoicedPlanned + 2));
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_BACK_ON(form, delivery, QStringLiteral("01.01.0001"));
    EXPECT_DOUBLE_EQ(this->Stored(delivery, planned, "QTSESOLICSP").toDouble(), requested + 2);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, planned, "QTSERVFIXSP").toDouble(), fixedPlanned);
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), this->SumOfLines(delivery), 0.001);
}

TYPED_TEST(Posting, CancelarAsksFirstAndEscDropsTheEditWithNothingSent)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 21), QDate(2026, 11, 21),
                                               QStringLiteral("1010"), QDate(2026, 11, 21));
    const Line line = RowAt(form, 0);
    const double invoiced = this->Stored(delivery, line.cdServico, "QTSERFATSP").toDouble();
    const int pricing = this->Calls("CalculaPreco");

    // Browsing: Cancelar asks nothing.
    this->Click(*form.sbtCancelar);
    EXPECT_TRUE(this->dialogs_->Shown().empty());

    this->ClickCell(form, line.cdArvServ, "QTSERFATSP");
    this->Retype(QStringLiteral("999"));
    ASSERT_EQ(form.cdsServicoDel->State(), TDataSetState::Edit);
    this->dialogs_->AnswerMessage(TModalResult::No);
    this->Click(*form.sbtCancelar);
    ASSERT_EQ(this->dialogs_->Messages(), QStringList{QStringLiteral("Cancelar operação?")});
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Edit);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), 999.0);

    this->dialogs_->AnswerMessage(TModalResult::Yes);
    this->Click(*form.sbtCancelar);
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced);
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);

    // Esc: the first closes the cell's editor, the second drops the row's edit.
    this->ClickCell(form, line.cdArvServ, "QTSERFATSP");
    this->Type(QStringLiteral("77"));
    this->Key(Qt::Key_Escape);
    this->Key(Qt::Key_Escape);
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced);
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);
    EXPECT_EQ(this->Calls("CalculaPreco"), pricing);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSERFATSP").toDouble(), invoiced);
}

TYPED_TEST(Posting, VerificarResetsTheMarkingAndReloadsTheListOfTheTabShowing)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 20), QDate(2026, 11, 20),
                                               QStringLiteral("1010"), QDate(2026, 11, 20));
    const Line line = RowAt(form, 0);
    // Another program changes the line behind the screen's back.
    this->Exec(QStringLiteral("UPDATE SERVDEL SET QTSESBYNUTSP = 9 WHERE NRDELIVERY = %1 AND CDSERVICO = '%2'")
                   .arg(delivery)
                   .arg(line.cdServico));
    Cli_ate02700::astCdCia = {QStringLiteral("3"), QStringLiteral("0001"), QStringLiteral("CAB")};
    const int services = this->Calls("GetServicoDel");
    const int deliveries = this->Calls("GetDelivery");

    this->Click(*form.sbtVerificar);
    EXPECT_EQ(Cli_ate02700::astCdCia, (std::array<QString, 3>{QStringLiteral("0"), QString(), QString()}));
    EXPECT_TRUE(WaitUntil([&] { return this->Calls("GetServicoDel") == services + 1; }));
    EXPECT_EQ(this->Calls("GetDelivery"), deliveries);
    form.cdsServicoDel->Locate(QStringLiteral("CDARVSERV"), wire::Value(line.cdArvServ));
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSESBYNUTSP->AsFloat(), 9.0);
    EXPECT_FALSE(Showavi::IsShowing());

    form.pgcPadrao->SetActivePage(form.tshFolhaDados);
    Cli_ate02700::astCdCia = {QStringLiteral("1"), QStringLiteral("0001"), QStringLiteral("CAB")};
    this->Click(*form.sbtVerificar);
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("0"));
    EXPECT_TRUE(WaitUntil([&] { return this->Calls("GetDelivery") == deliveries + 1; }));
    EXPECT_TRUE(form.cdsDelivery->Locate(QStringLiteral("NRDELIVERY"), wire::Value(static_cast<double>(delivery))));
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty());
}

TYPED_TEST(Posting, ARowLoadedWithoutAQuantityToInvoiceCountsItsStartAsZero)
{
    // This server always stores a quantity to invoice; a row without one comes from
    // elsewhere. Here the delivery's services are loaded with that quantity taken out.
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 13), QDate(2026, 11, 13),
                                               QStringLiteral("1010"), QDate(2026, 11, 13));
    wire::DataPacket services = Consiste::CheckResultServ(
        form.Rdm().GetServicoDel(form.medCdFilial->Text(), QString::number(delivery)), true, 0);
    const int invoicedColumn = form.fldServicoDel.QTSERFATSP->Index();
    const int requestedColumn = form.fldServicoDel.QTSESOLICSP->Index();
    const double requested = services.rows.front()[static_cast<std::size_t>(requestedColumn)].toDouble();
    const double stored = services.rows.front()[static_cast<std::size_t>(invoicedColumn)].toDouble();
    services.rows.front()[static_cast<std::size_t>(invoicedColumn)] = wire::Value();
    form.cdsServicoDel->SetData(std::move(services));
    const Line line = RowAt(form, 0);

    double derived = -1;
    form.cdsCalcPreco->AfterScroll = [&](TClientDataSet&) { derived = form.fldServicoDel.QTSESOLICSP->AsFloat(); };
    this->ClickCell(form, line.cdArvServ, "QTSERFATSP");
    this->Type(QStringLiteral("5"));
    this->Click(*form.sbtGravar);
    form.cdsCalcPreco->AfterScroll = nullptr;
    EXPECT_DOUBLE_EQ(derived, requested + 5) << "the whole new quantity is the change";
    // The server holds another quantity than the one loaded: the line is refused as changed
    // by someone else and the screen shows what is stored.
    ASSERT_EQ(this->dialogs_->Errors().size(), 1);
    EXPECT_TRUE(this->dialogs_->Errors().front().contains(QStringLiteral("refaça a operação")));
    EXPECT_DOUBLE_EQ(this->Stored(delivery, line.cdServico, "QTSERFATSP").toDouble(), stored);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), stored);
    EXPECT_EQ(form.fldServicoDel.CDARVSERV->AsString(), line.cdArvServ);
    EXPECT_FALSE(Showavi::IsShowing());
}

// The list sent with every save: the null fields of the current row, in field order.
TEST(NullFieldList, NamesTheNullFieldsOfTheCurrentRowInFieldOrder)
{
    TClientDataSet services;
    const ate02700::ServicoDelFields f = ate02700::DeclareServicoDelFields(services);
    services.Open();
    services.Append();
    for (int i = 0; i < services.FieldCount(); ++i) {
        TField& field = services.Fields(i);
        if (field.DataType() == TFieldType::String)
            field.SetAsString(QStringLiteral("1"));
        else if (field.DataType() == TFieldType::Float)
            field.SetAsFloat(1);
        else
            field.SetAsDateTime(QDateTime(QDate(2026, 11, 24), QTime(7, 30)));
    }
    services.Post();
    EXPECT_EQ(ate02700::NullFieldList(services), QString());
    services.Edit();
    f.VRPRECMANUTSESP->Clear();
    f.QTSERFATSP->Clear();
    f.CDARVSERV->Clear();
    EXPECT_EQ(ate02700::NullFieldList(services), QStringLiteral("_CDARVSERV_QTSERFATSP_VRPRECMANUTSESP"));
}

}  // namespace
}  // namespace ate02700test
