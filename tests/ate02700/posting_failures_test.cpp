// What the operator sees when pricing or saving a service row fails: coded server texts
// shown as catalogue messages with their argument, database texts passed on, a server that
// goes away and comes back, and two screens saving the same line.

#include "tests/ate02700/posting_env.h"

#include "framework/data/field.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/showavi.h"

#include <QApplication>
#include <QScopeGuard>

#include <utility>

namespace ate02700test {
namespace {

template <class T> class PostingFailure : public T {};
using Engines = ::testing::Types<OnSQLite, OnPostgreSQL>;
TYPED_TEST_SUITE(PostingFailure, Engines);

const QString kTwoTables = QStringLiteral(
    "Geração interrompida. Existe mais de uma tabela ativa no momento para a companhia '%1'. Verifique a validade "
    "das tabelas de preço existentes e tente novamente.");

TYPED_TEST(PostingFailure, ACodedPricingFailureShowsItsMessageAndTheRowStaysAsTyped)
{
    // VAS has two active tables from 20 Nov: a line of 21 Nov cannot be priced again.
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("VAS"), QDate(2026, 11, 21), QDate(2026, 11, 21),
                                               QStringLiteral("4410"), QDate(2026, 11, 21));
    QString service;
    const QString code = FirstCode(form, &service);
    const double invoiced = this->Stored(delivery, service, "QTSERFATSP").toDouble();
    const int saves = this->Calls("SetServicoDel");

    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 1));
    this->Click(*form.sbtGravar);
    EXPECT_EQ(this->dialogs_->Errors(), QStringList{kTwoTables.arg(QStringLiteral("VAS"))});
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Edit);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced + 1);
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(this->Calls("SetServicoDel"), saves);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSERFATSP").toDouble(), invoiced);

    // Cancelled (Esc closes the cell's editor, then drops the edit), the row is as loaded and
    // nothing is pending.
    this->Key(Qt::Key_Escape);
    this->Key(Qt::Key_Escape);
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced);
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);
}

TYPED_TEST(PostingFailure, AnOraTextIsPassedOnWhenPricingAndDecodedWhenSaving)
{
    // LAA's short code becomes ORA for this test. First a second active table appears while
    // the row is between its price and its save (another operator's change of the price
    // tables): the save's coded text names ORA and is decoded. Then pricing itself fails
    // with a text holding ORA, which reaches the operator in its own words.
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("LAA"), QDate(2026, 11, 24), QDate(2026, 11, 24),
                                               QStringLiteral("3302"), QDate(2026, 11, 24));
    this->Exec(QStringLiteral("UPDATE COMPANHIA SET SGCIA = 'ORA' WHERE CDCIA = '0003'"));
    const auto restore = qScopeGuard([this] {
        this->Exec(QStringLiteral("DELETE FROM TABPRECO WHERE CDTABPRECO = 901"));
        this->Exec(QStringLiteral("UPDATE COMPANHIA SET SGCIA = 'LAA' WHERE CDCIA = '0003'"));
    });
    QString service;
    const QString code = FirstCode(form, &service);
    const double invoiced = this->Stored(delivery, service, "QTSERFATSP").toDouble();
    const double totalBefore = this->StoredDelivery(delivery, "VRBACATX").toDouble();
    bool changed = false;
    form.cdsCalcPreco->AfterScroll = [this, &changed](TClientDataSet&) {
        if (std::exchange(changed, true)) return;
        this->Exec(
            QStringLiteral("INSERT INTO TABPRECO (CDTABPRECO, CDFILIAL, CDCIA, DSTABPRECO, DTINIVIGEN, "
                           "DTFIMVIGEN, IDATIVO) VALUES (901, '0001', '0003', 'Tabela paralela', "
                           "'2026-11-01', '2026-12-31', 'S')"));
    };
    const int saves = this->Calls("SetServicoDel");

    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 4));
    this->Click(*form.sbtGravar);
    form.cdsCalcPreco->AfterScroll = nullptr;
    EXPECT_EQ(this->dialogs_->Errors(), QStringList{kTwoTables.arg(QStringLiteral("ORA"))});
    EXPECT_EQ(this->Calls("SetServicoDel"), saves + 1);
    // Refused as a whole: the stored line and totals are as before, and the screen holds the
    // server's rows, back on the same delivery and service.
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSERFATSP").toDouble(), invoiced);
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), totalBefore, 0.001);
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), delivery);
    EXPECT_EQ(form.fldServicoDel.CDARVSERV->AsString(), code);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced);
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_FALSE(Showavi::IsShowing());

    this->dialogs_->ClearShown();
    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 4));
    this->Click(*form.sbtGravar);
    EXPECT_EQ(this->dialogs_->Errors(), QStringList{QStringLiteral("#EVoo_valtaORA  *")});
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Edit);
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(this->Calls("SetServicoDel"), saves + 1);
    this->Key(Qt::Key_Escape);
}

TYPED_TEST(PostingFailure, TheServerGoingAwayShowsOneErrorAndTheNextPostWorksWhenItIsBack)
{
    // A server of the test's own, on a port it can be started on again.
    auto server = std::make_unique<testsupport::ServerProcess>(this->Demo()->database().url());
    const quint16 port = server->port();
    Larkumo::THostSettings settings = HostSettings(*server);
    Larkumo::Configure(settings);
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 22), QDate(2026, 11, 22),
                                               QStringLiteral("1010"), QDate(2026, 11, 22));
    QString service;
    const QString code = FirstCode(form, &service);
    const double invoiced = this->Stored(delivery, service, "QTSERFATSP").toDouble();
    const double requested = this->Stored(delivery, service, "QTSESOLICSP").toDouble();

    // Down while pricing.
    ASSERT_EQ(server->stop(), 0);
    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 2));
    this->Click(*form.sbtGravar);
    ASSERT_EQ(this->dialogs_->Errors().size(), 1);
    // The connection's own words, not read as a coded server text.
    EXPECT_TRUE(this->dialogs_->Errors().front().contains(QStringLiteral("servidor de aplicação")))
        << this->dialogs_->Errors().front().toStdString();
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Edit);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced + 2);
    EXPECT_FALSE(Showavi::IsShowing());

    // Back: the same post goes through and counts the change once.
    server = std::make_unique<testsupport::ServerProcess>(this->Demo()->database().url(), QStringList{}, port);
    this->dialogs_->ClearShown();
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSERFATSP").toDouble(), invoiced + 2);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSESOLICSP").toDouble(), requested + 2);

    // Down between the price and the save: one error, the list shows what the server holds.
    testsupport::ServerProcess* running = server.get();
    form.cdsCalcPreco->AfterScroll = [running](TClientDataSet&) {
        if (running->running()) running->stop();
    };
    this->dialogs_->ClearShown();
    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 5));
    this->Click(*form.sbtGravar);
    form.cdsCalcPreco->AfterScroll = nullptr;
    ASSERT_EQ(this->dialogs_->Errors().size(), 1);
    EXPECT_TRUE(this->dialogs_->Errors().front().contains(QStringLiteral("servidor de aplicação")))
        << this->dialogs_->Errors().front().toStdString();
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);
    EXPECT_DOUBLE_EQ(form.fldServicoDel.QTSERFATSP->AsFloat(), invoiced + 2) << "not shown as saved";
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), delivery);
    EXPECT_EQ(form.fldServicoDel.CDARVSERV->AsString(), code);

    server = std::make_unique<testsupport::ServerProcess>(this->Demo()->database().url(), QStringList{}, port);
    this->dialogs_->ClearShown();
    this->ClickCell(form, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 5));
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSERFATSP").toDouble(), invoiced + 5);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSESOLICSP").toDouble(), requested + 5);
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), this->SumOfLines(delivery), 0.001);
    Application().DestroyForms();
}

TYPED_TEST(PostingFailure, TwoScreensOnOneLineTheSecondSaveIsRefusedAndNothingIsLost)
{
    TfrmManuDelValor& first = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(first, QStringLiteral("CAB"), QDate(2026, 11, 19), QDate(2026, 11, 19),
                                               QStringLiteral("1010"), QDate(2026, 11, 19));
    auto* second = Application().CreateForm<TfrmManuDelValor>();
    EXPECT_TRUE(WaitUntil([second] { return second->cdsParamComis->Active(); }));
    this->OpenDelivery(*second, QStringLiteral("CAB"), QDate(2026, 11, 19), QDate(2026, 11, 19), QStringLiteral("1010"),
                       QDate(2026, 11, 19));
    QString service;
    const QString code = FirstCode(first, &service);
    const double invoiced = this->Stored(delivery, service, "QTSERFATSP").toDouble();
    const double requested = this->Stored(delivery, service, "QTSESOLICSP").toDouble();

    this->Activate(first);
    this->ClickCell(first, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 10));
    this->Click(*first.sbtGravar);
    ASSERT_TRUE(this->dialogs_->Errors().isEmpty());

    this->Activate(*second);
    this->ClickCell(*second, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 20));
    this->Click(*second->sbtGravar);
    ASSERT_EQ(this->dialogs_->Errors().size(), 1);
    EXPECT_TRUE(this->dialogs_->Errors().front().contains(QStringLiteral("refaça a operação")))
        << this->dialogs_->Errors().front().toStdString();
    // The first operator's save stands; both screens show it.
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSERFATSP").toDouble(), invoiced + 10);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSESOLICSP").toDouble(), requested + 10);
    EXPECT_DOUBLE_EQ(second->fldServicoDel.QTSERFATSP->AsFloat(), invoiced + 10);
    EXPECT_DOUBLE_EQ(first.fldServicoDel.QTSERFATSP->AsFloat(), invoiced + 10);
    EXPECT_EQ(second->fldServicoDel.CDARVSERV->AsString(), code);
    EXPECT_NEAR(second->fldDelivery.VRBACATX->AsFloat(), this->StoredDelivery(delivery, "VRBACATX").toDouble(), 0.001);
    EXPECT_EQ(second->cdsServicoDel->ChangeCount(), 0);

    // Redone on the values it now shows, the second save goes through.
    this->dialogs_->ClearShown();
    this->ClickCell(*second, code, "QTSERFATSP");
    this->Type(QString::number(invoiced + 20));
    this->Click(*second->sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty());
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSERFATSP").toDouble(), invoiced + 20);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, service, "QTSESOLICSP").toDouble(), requested + 20);
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), this->SumOfLines(delivery), 0.001);
}

}  // namespace
}  // namespace ate02700test
