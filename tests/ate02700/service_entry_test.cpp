// Entering service rows: the insert and edit guards, which columns take typing, the code
// lookup and the search that fill a new row, its class grouping, and the quantity carried
// into the quantity to invoice.

#include "tests/ate02700/services_fixture.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "tests/support/gui/widget_driver.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/larkumo.h"
#include "framework/units/showavi.h"

#include <QAction>
#include <QTest>
#include <QToolButton>

namespace servicestest {
namespace {

using ate02700test::Settle;

const QString kOperBloq = QStringLiteral(
    "Operação bloqueada ! A quantidade de serviços da delivery não pode exceder o número parametrizado.");
const QString kServInv = QStringLiteral("Serviço não cadastrado ou já existente nesta delivey.");
const QString kClNComp = QStringLiteral("Operação bloqueada ! Classe do serviço não relacionada a companhia.");
const QString kPesq = QStringLiteral("GetPesqServico");
const QDate kMon16(2026, 11, 16);
const QDate kFri20(2026, 11, 20);

class ServiceEntry : public ServicesTest {
protected:
    // LAA's flight 3390 of the demo, one delivery a day from 16 to 20 Nov.
    qint64 Flight3390(int day) const
    {
        return Db()
            .scalar(QStringLiteral("SELECT NRDELIVERY FROM DELIVERY WHERE CDCIA = '0003' AND NRVOO = '3390' AND "
                                   "DTHRPLAVOOPV >= '2026-11-%1' AND DTHRPLAVOOPV < '2026-11-%2'")
                        .arg(day, 2, 10, QLatin1Char('0'))
                        .arg(day + 1, 2, 10, QLatin1Char('0')))
            .toLongLong();
    }
    qint64 Current() const { return form_->fldDelivery.NRDELIVERY->AsInteger(); }
    QString Catalogue(const char* service, const char* column) const
    {
        return Db()
            .scalar(QStringLiteral("SELECT %1 FROM SERVICO WHERE CDSERVICO = '%2'")
                        .arg(QLatin1String(column), QLatin1String(service)))
            .toString();
    }
    // Loads LAA's deliveries of 16 to 20 Nov, moves to the one given with the arrow keys on
    // the delivery tab and opens the services tab with the focus in their grid.
    void OpenServicesOf(qint64 delivery)
    {
        if (!form_) OpenScreen();
        LoadDeliveries(QStringLiteral("LAA"), kMon16, kFri20);
        WidgetDriver::Focus(*form_->dbgPadrao);
        Key(Qt::Key_Home, Qt::ControlModifier);
        for (int guard = 0; guard < 40 && Current() != delivery; ++guard) Key(Qt::Key_Down);
        ASSERT_EQ(Current(), delivery);
        ClickTab(1);
        ASSERT_EQ(form_->pgcPadrao->ActivePage(), form_->tshFormulario);
        WidgetDriver::Focus(*form_->dbgServicoDel);
    }
    void SetLimit(qint64 delivery, int limit)
    {
        Db().exec(
            QStringLiteral("UPDATE DELIVERY SET NRMAXSERVDEL = %1 WHERE NRDELIVERY = %2").arg(limit).arg(delivery));
    }
    TDataSetState State() const { return form_->cdsServicoDel->State(); }
    TField& F(const char* name) const { return form_->cdsServicoDel->FieldByName(QString::fromLatin1(name)); }
};

TEST_P(ServiceEntry, InsertGuardsRunInTheirOrder)
{
    const qint64 atLimit = Flight3390(17);
    const qint64 noLimit = Flight3390(16);
    TfrmManuDelValor& f = OpenScreen();

    // At its limit of three: refused with the reason, by key, by Down on the last row and by menu.
    OpenServicesOf(atLimit);
    ASSERT_EQ(f.cdsServicoDel->RecordCount(), 3);
    EXPECT_EQ(f.fldDelivery.NRMAXSERVDEL->AsInteger(), 3);
    Key(Qt::Key_Insert);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    f.mnuIncluir->Action()->trigger();
    EXPECT_EQ(dialogs_->Errors(), QStringList(3, kOperBloq));
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), 3);
    EXPECT_TRUE(f.sbtIncluir->Enabled());

    // A limit of 0 refuses every insert.
    dialogs_->ClearShown();
    OpenServicesOf(noLimit);
    EXPECT_EQ(f.fldDelivery.NRMAXSERVDEL->AsInteger(), 0);
    Key(Qt::Key_Insert);
    EXPECT_EQ(dialogs_->Errors(), QStringList{kOperBloq});
    EXPECT_EQ(State(), TDataSetState::Browse);

    // One more allowed: accepted, and the new row inherits the grouping of the row it came from.
    SetLimit(atLimit, 4);
    Db().exec(QStringLiteral("UPDATE SERVDEL SET CDAGRDECO = '0002' WHERE NRDELIVERY = %1 AND NRITEMPLANSP = 2")
                  .arg(atLimit));
    const RowsRestore restore([&] {
        SetLimit(atLimit, 3);
        Db().exec(QStringLiteral("UPDATE SERVDEL SET CDAGRDECO = '0003' WHERE NRDELIVERY = %1").arg(atLimit));
    });
    dialogs_->ClearShown();
    OpenServicesOf(atLimit);
    Key(Qt::Key_Down);
    ASSERT_EQ(F("CDAGRDECO").AsString(), QStringLiteral("0002"));
    Key(Qt::Key_Insert);
    ASSERT_EQ(State(), TDataSetState::Insert);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    EXPECT_EQ(Cli_ate02700::stCdAgrDeCo, QStringLiteral("0002"));
    EXPECT_EQ(f.dbgServicoDel->SelectedField(), f.fldServicoDel.CDARVSERV);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), 3);
    // Down on the last row adds one at the end.
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(State(), TDataSetState::Insert);
    EXPECT_EQ(f.cdsServicoDel->RecNo(), 4);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), 3);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    EXPECT_EQ(Calls(QStringLiteral("SetServicoDel")), 0);
}

TEST_P(ServiceEntry, AnInvoicedDeliveryAtItsLimitGivesTheLimitFirst)
{
    TfrmManuDelValor& f = OpenScreen();
    // CAB's deliveries of 2 Nov are invoiced.
    LoadDeliveries(QStringLiteral("CAB"), QDate(2026, 11, 2), QDate(2026, 11, 2));
    ASSERT_FALSE(f.fldDelivery.NRDELIVERYFA->IsNull());
    const qint64 invoiced = Current();
    const int stored =
        Db().scalar(QStringLiteral("SELECT COUNT(*) FROM SERVDEL WHERE NRDELIVERY = %1").arg(invoiced)).toInt();
    const int limit =
        Db().scalar(QStringLiteral("SELECT NRMAXSERVDEL FROM DELIVERY WHERE NRDELIVERY = %1").arg(invoiced)).toInt();
    const RowsRestore restore([&] { SetLimit(invoiced, limit); });

    // Below its limit: a silent refusal.
    SetLimit(invoiced, stored + 1);
    LoadDeliveries(QStringLiteral("CAB"), QDate(2026, 11, 2), QDate(2026, 11, 2));
    ClickTab(1);
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Insert);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());

    // At its limit: the limit's message, although the delivery is invoiced as well.
    SetLimit(invoiced, stored);
    LoadDeliveries(QStringLiteral("CAB"), QDate(2026, 11, 2), QDate(2026, 11, 2));
    ClickTab(1);
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Insert);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(dialogs_->Errors(), QStringList{kOperBloq});
}

TEST_P(ServiceEntry, WithoutPermissionToChangeDeliveriesRowsAreEditedButNotAdded)
{
    Db().exec(QStringLiteral("UPDATE PARAMGERAL SET IDALTERDELIV = 'N'"));
    const RowsRestore restore([this] { Db().exec(QStringLiteral("UPDATE PARAMGERAL SET IDALTERDELIV = 'S'")); });
    TfrmManuDelValor& f = OpenScreen();
    OpenServicesOf(Flight3390(19));
    ASSERT_EQ(f.fldParamComis.IDALTERDELIV->AsString(), QStringLiteral("N"));
    EXPECT_TRUE(f.sbtIncluir->Enabled()) << "the command does not look at the permission";
    Key(Qt::Key_Insert);
    f.sbtIncluir->click();
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), 3);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    GoToColumn(QStringLiteral("QTATUAPRODSP"));
    Type(QStringLiteral("5"));
    EXPECT_EQ(State(), TDataSetState::Edit);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
}

TEST_P(ServiceEntry, ABranchOfItsOwnMayBeKeptFromAddingServices)
{
    // Galeão does not allow it, whatever the general parameter says; Guarulhos follows it.
    Larkumo::THostSettings settings = Larkumo::Settings();
    settings.defaultBranch = QStringLiteral("0002");
    Larkumo::Configure(settings);
    TfrmManuDelValor& f = OpenScreen();
    ASSERT_EQ(f.medCdFilial->Text(), QStringLiteral("0002"));
    EXPECT_EQ(f.fldParamComis.IDALTERDELIV->AsString(), QStringLiteral("N"));
    LoadDeliveries(QStringLiteral("LAA"), QDate(2026, 11, 11), QDate(2026, 11, 11));
    ASSERT_FALSE(f.cdsDelivery->IsEmpty());
    ClickTab(1);
    WidgetDriver::Focus(*f.dbgServicoDel);
    const int rows = f.cdsServicoDel->RecordCount();
    Key(Qt::Key_Insert);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), rows);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    EXPECT_EQ(Db().scalar(QStringLiteral("SELECT IDALTERDELIV FROM PARAMGERAL")).toString(), QStringLiteral("S"));
}

TEST_P(ServiceEntry, OnlyTheOperatorsColumnsTakeTyping)
{
    TfrmManuDelValor& f = OpenScreen();
    OpenServicesOf(Flight3390(18));
    // The first row is SV01 (priced per unit), the third SV05 (priced once per flight).
    const QString before = F("QTATUAPRODSP").AsString();
    for (const char* field : {"DSSERVICO", "SGUNIDADE", "SGCLASSE", "IDCICLO", "VRPRURESESP", "PRECOSBYUT",
                              "PRECOSBYNUT", "VRTOTSERVR", "CDARVSERV"}) {
        SCOPED_TRACE(field);
        GoToColumn(QString::fromLatin1(field));
        const QString value = F(field).AsString();
        Type(QStringLiteral("7"));
        Key(Qt::Key_Backspace);
        EXPECT_EQ(State(), TDataSetState::Browse);
        EXPECT_FALSE(f.dbgServicoDel->EditorMode());
        EXPECT_EQ(F(field).AsString(), value);
    }

    // The service quantity: the row goes into edit keeping the quantity it had, and the quantity
    // to invoice follows.
    GoToColumn(QStringLiteral("QTATUAPRODSP"));
    Key(Qt::Key_F2);
    Key(Qt::Key_A, Qt::ControlModifier);
    Type(QStringLiteral("12"));
    ASSERT_EQ(State(), TDataSetState::Edit);
    EXPECT_EQ(F("QTANTAPRODSP").AsString(), before);
    Key(Qt::Key_Return);
    EXPECT_EQ(F("QTATUAPRODSP").AsFloat(), 12.0);
    EXPECT_EQ(F("QTSERFATSP").AsFloat(), 12.0);
    // Typing the quantity to invoice leaves the service quantity alone.
    GoToColumn(QStringLiteral("QTSERFATSP"));
    Type(QStringLiteral("5"));
    Key(Qt::Key_Return);
    EXPECT_EQ(F("QTSERFATSP").AsFloat(), 5.0);
    EXPECT_EQ(F("QTATUAPRODSP").AsFloat(), 12.0);
    // Esc in a column that takes no typing still drops the change.
    GoToColumn(QStringLiteral("DSSERVICO"));
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(F("QTATUAPRODSP").AsString(), before);

    // Priced once per flight: the quantity to invoice becomes 1.
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    ASSERT_EQ(F("IDTPPRECO").AsString(), QStringLiteral("2"));
    GoToColumn(QStringLiteral("QTATUAPRODSP"));
    Type(QStringLiteral("8"));
    Key(Qt::Key_Return);
    EXPECT_EQ(F("QTATUAPRODSP").AsFloat(), 8.0);
    EXPECT_EQ(F("QTSERFATSP").AsFloat(), 1.0);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    EXPECT_EQ(Calls(QStringLiteral("SetServicoDel")), 0);
}

TEST_P(ServiceEntry, ATypedCodeFillsTheNewRowAndKeepsItsFirstGrouping)
{
    TfrmManuDelValor& f = OpenScreen();
    const qint64 delivery = Flight3390(19);
    OpenServicesOf(delivery);
    const int rows = f.cdsServicoDel->RecordCount();
    QString coverCaption;
    QWidget* coverTarget = nullptr;
    f.cdsPesqServico->AfterScroll = [&](TClientDataSet&) {
        coverCaption = Showavi::Caption();
        coverTarget = Showavi::Target();
    };

    Key(Qt::Key_Insert);
    ASSERT_EQ(State(), TDataSetState::Insert);
    // Leaving the code column empty asks nothing.
    Key(Qt::Key_Tab);
    EXPECT_EQ(SettledCalls(kPesq, 0), 0);
    Key(Qt::Key_Backtab);
    ASSERT_EQ(f.dbgServicoDel->SelectedField(), f.fldServicoDel.CDARVSERV);

    const QDateTime typedAt = QDateTime::currentDateTime();
    Type(QStringLiteral("01010002"));  // SV02, economy class
    Key(Qt::Key_Tab);
    ASSERT_EQ(SettledCalls(kPesq, 1), 1);
    EXPECT_EQ(coverCaption, QStringLiteral("Verificando Valores do Serviço ..."));
    EXPECT_EQ(coverTarget, static_cast<QWidget*>(&f));
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(QLatin1Char('|')).toStdString();

    EXPECT_EQ(F("NRDELIVERY").AsInteger(), delivery);
    EXPECT_EQ(F("CDAGRDECO").AsString(), QStringLiteral("0003"));
    EXPECT_EQ(F("CDCIA").AsString(), QStringLiteral("0003"));
    EXPECT_EQ(F("NRVOO").AsString(), QStringLiteral("3390"));
    EXPECT_EQ(F("CDTRECHO").AsString(), QStringLiteral("0001"));
    EXPECT_EQ(F("DTHRPLAVOOPV").AsDateTime(), f.fldDelivery.DTHRPLAVOOPV->AsDateTime());
    EXPECT_EQ(F("CDARVSERV").AsString(), QStringLiteral("01.01.0002"));
    EXPECT_EQ(F("CDSERVICO").AsString(), QStringLiteral("SV02"));
    EXPECT_EQ(F("DSSERVICO").AsString(), Catalogue("SV02", "DSSERVICO"));
    EXPECT_DOUBLE_EQ(F("VRPESOSESP").AsFloat(), Catalogue("SV02", "VRPESOSE").toDouble());
    EXPECT_EQ(F("IDTIPMANUALSP").AsString(), QStringLiteral("1"));
    EXPECT_EQ(F("SGCLASSE").AsString(), QStringLiteral("Y"));
    EXPECT_EQ(F("IDCICLO").AsString(), Catalogue("SV02", "IDCICLO"));
    EXPECT_LE(std::abs(F("DTHRINCSESP").AsDateTime().secsTo(typedAt)), 60);
    for (const char* zero :
         {"QTANTAPRODSP", "QTSESBYPRSP", "QTSESBYUTSP", "QTSESBYNUTSP", "VRPRUSBYSP", "QTCORTSERVSP"}) {
        EXPECT_FALSE(F(zero).IsNull()) << zero;
        EXPECT_EQ(F(zero).AsFloat(), 0.0) << zero;
    }
    EXPECT_EQ(F("IDTIPSCBOSP").AsString(), QStringLiteral("5"));
    EXPECT_EQ(F("IDSITSERSP").AsString(), QStringLiteral("2"));
    EXPECT_EQ(F("IDSEREXTSP").AsString(), QStringLiteral("1"));
    EXPECT_EQ(F("IDSTKDTSP").AsString(), QStringLiteral("1"));
    EXPECT_EQ(F("SGUNIDADE").AsString(), Catalogue("SV02", "SGUNIDADE"));
    EXPECT_EQ(F("CDAGRDEDE").AsString(), QStringLiteral("0003"));
    EXPECT_EQ(F("SGAGRDEDE").AsString(), QStringLiteral("Y"));
    for (const char* untouched : {"QTATUAPRODSP", "QTSERFATSP", "VRPRECMANUTSESP", "CDCLASSE", "CDCICLO", "IDTPPRECO"})
        EXPECT_TRUE(F(untouched).IsNull()) << untouched;

    // Another code in the same new row: refilled, the grouping found first stays.
    Key(Qt::Key_Backtab);
    Type(QStringLiteral("01020001"));  // SV03, executive class
    Key(Qt::Key_Tab);
    ASSERT_EQ(SettledCalls(kPesq, 2), 2);
    EXPECT_EQ(F("CDSERVICO").AsString(), QStringLiteral("SV03"));
    EXPECT_EQ(F("SGCLASSE").AsString(), QStringLiteral("C"));
    EXPECT_EQ(F("SGAGRDEDE").AsString(), QStringLiteral("Y"));
    EXPECT_EQ(F("CDAGRDEDE").AsString(), QStringLiteral("0003"));

    // A code that is not offered: the message, the row keeps what was typed and the cursor.
    Key(Qt::Key_Backtab);
    Type(QStringLiteral("99999999"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(SettledCalls(kPesq, 3), 3);
    EXPECT_EQ(dialogs_->Errors(), QStringList{kServInv});
    EXPECT_EQ(f.dbgServicoDel->SelectedField(), f.fldServicoDel.CDARVSERV);
    EXPECT_EQ(F("CDARVSERV").AsString(), QStringLiteral("99.99.9999"));
    EXPECT_EQ(State(), TDataSetState::Insert);

    f.cdsPesqServico->AfterScroll = nullptr;
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), rows);
    EXPECT_EQ(Calls(QStringLiteral("SetServicoDel")), 0);
    EXPECT_EQ(Calls(QStringLiteral("CalculaPreco")), 0);
}

TEST_P(ServiceEntry, TheClassGroupingComesFromTheAirlinesClasses)
{
    TfrmManuDelValor& f = OpenScreen();
    // A service without a class takes the airline's first class by its short code.
    OpenServicesOf(Flight3390(20));
    Key(Qt::Key_Insert);
    Type(QStringLiteral("06010001"));  // SV30, no class
    Key(Qt::Key_Tab);
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(F("CDSERVICO").AsString(), QStringLiteral("SV30"));
    EXPECT_TRUE(F("SGCLASSE").IsNull());
    EXPECT_EQ(F("SGAGRDEDE").AsString(), QStringLiteral("C"));
    EXPECT_EQ(F("CDAGRDEDE").AsString(), QStringLiteral("0002"));
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    ASSERT_EQ(State(), TDataSetState::Browse);

    // A first-class service offered to LAA, which has no first class at Guarulhos.
    // An international LAA delivery of the week with room for one more service.
    const qint64 international = Db().scalar(QStringLiteral("SELECT MIN(D.NRDELIVERY) FROM DELIVERY D WHERE D.CDCIA = "
                                                            "'0003' AND D.IDTIPNACDEL = '2' AND D.NRDELIVERYFA IS NULL "
                                                            "AND D.DTHRPLAVOOPV >= '2026-11-16' AND D.DTHRPLAVOOPV < "
                                                            "'2026-11-21' AND D.NRMAXSERVDEL > (SELECT COUNT(*) FROM "
                                                            "SERVDEL S WHERE S.NRDELIVERY = D.NRDELIVERY)"))
                                     .toLongLong();
    ASSERT_GT(international, 0);
    OpenServicesOf(international);
    Key(Qt::Key_Insert);
    Type(QStringLiteral("11030001"));  // SV23
    Key(Qt::Key_Tab);
    EXPECT_EQ(dialogs_->Errors(), QStringList{kClNComp});
    EXPECT_EQ(F("CDSERVICO").AsString(), QStringLiteral("SV23")) << "what was filled stays";
    EXPECT_EQ(F("SGCLASSE").AsString(), QStringLiteral("F"));
    EXPECT_TRUE(F("SGAGRDEDE").IsNull());
    EXPECT_EQ(State(), TDataSetState::Insert);
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
}

TEST_P(ServiceEntry, TheSearchListsTheOfferedServicesAndFillsThePickedOne)
{
    TfrmManuDelValor& f = OpenScreen();
    const qint64 delivery = Flight3390(19);
    OpenServicesOf(delivery);
    const int offered = Db().scalar(QStringLiteral("SELECT COUNT(*) FROM SERVCIA SC JOIN SERVICO S ON S.CDSERVICO = "
                                                   "SC.CDSERVICO WHERE SC.CDFILIAL = '0001' AND SC.CDCIA = '0003' AND "
                                                   "SC.IDATIVO = 'S' AND S.IDTIPMANUAL = '1' AND NOT EXISTS (SELECT 1 "
                                                   "FROM SERVDEL D WHERE D.NRDELIVERY = %1 AND D.CDSERVICO = "
                                                   "S.CDSERVICO)")
                                        .arg(delivery))
                            .toInt();
    Key(Qt::Key_Insert);
    ASSERT_NE(f.dbgServicoDel->EditButton(), nullptr);

    // Closed without a choice: nothing changes.
    dialogs_->CancelPick();
    QTest::mouseClick(f.dbgServicoDel->EditButton(), Qt::LeftButton);
    EXPECT_EQ(SettledCalls(kPesq, 1), 1);
    EXPECT_TRUE(F("CDSERVICO").IsNull());
    EXPECT_EQ(State(), TDataSetState::Insert);

    // Ctrl+Enter is the button's key; the list is read under the form's captioned animation.
    QString coverCaption;
    QWidget* coverTarget = nullptr;
    f.cdsPesqServico->AfterScroll = [&](TClientDataSet&) {
        coverCaption = Showavi::Caption();
        coverTarget = Showavi::Target();
    };
    dialogs_->PickRowWhere(QStringLiteral("CDARVSERV"), QStringLiteral("01.02.0001"));
    Key(Qt::Key_Return, Qt::ControlModifier);
    f.cdsPesqServico->AfterScroll = nullptr;
    EXPECT_EQ(coverCaption, QStringLiteral("Verificando Valores do Serviço ..."));
    EXPECT_EQ(coverTarget, static_cast<QWidget*>(&f));
    const std::vector<ShownBox> lists = dialogs_->ShownOf(ShownBox::Kind::ChooseRow);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[1].caption, QStringLiteral("Serviço"));
    EXPECT_EQ(lists[1].columns,
              (QStringList{QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Unid."),
                           QStringLiteral("Classe"), QStringLiteral("Ciclo")}));
    EXPECT_EQ(lists[1].rows.size(), offered);
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(State(), TDataSetState::Insert);
    EXPECT_EQ(F("CDSERVICO").AsString(), QStringLiteral("SV03"));
    EXPECT_EQ(F("SGUNIDADE").AsString(), Catalogue("SV03", "SGUNIDADE"));
    EXPECT_EQ(F("SGAGRDEDE").AsString(), QStringLiteral("C"));
    EXPECT_EQ(f.dbgServicoDel->SelectedField(), f.fldServicoDel.IDCICLO);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());

    // The quantity typed next is carried into the quantity to invoice.
    GoToColumn(QStringLiteral("QTATUAPRODSP"));
    Type(QStringLiteral("40"));
    Key(Qt::Key_Return);
    EXPECT_EQ(F("QTSERFATSP").AsFloat(), 40.0);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State(), TDataSetState::Browse);
}

TEST_P(ServiceEntry, AFailingLookupShowsOneErrorAndKeepsTheRow)
{
    TfrmManuDelValor& f = OpenScreen();
    OpenServicesOf(Flight3390(19));
    Key(Qt::Key_Insert);
    Type(QStringLiteral("01010002"));
    Db().exec(QStringLiteral("ALTER TABLE SERVCIA RENAME TO SERVCIA_AWAY"));
    {
        const RowsRestore restore([this] { Db().exec(QStringLiteral("ALTER TABLE SERVCIA_AWAY RENAME TO SERVCIA")); });
        Key(Qt::Key_Tab);
    }
    EXPECT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_FALSE(f.cdsPesqServico->Active());
    EXPECT_EQ(State(), TDataSetState::Insert);
    EXPECT_EQ(F("CDARVSERV").AsString(), QStringLiteral("01.01.0002"));
    EXPECT_TRUE(F("CDSERVICO").IsNull());
    EXPECT_EQ(f.dbgServicoDel->SelectedField(), f.fldServicoDel.CDARVSERV);

    // The ellipsis fails the same way.
    dialogs_->ClearShown();
    Db().exec(QStringLiteral("ALTER TABLE SERVCIA RENAME TO SERVCIA_AWAY"));
    {
        const RowsRestore restore([this] { Db().exec(QStringLiteral("ALTER TABLE SERVCIA_AWAY RENAME TO SERVCIA")); });
        QTest::mouseClick(f.dbgServicoDel->EditButton(), Qt::LeftButton);
    }
    EXPECT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_FALSE(f.cdsPesqServico->Active());
    EXPECT_EQ(F("CDARVSERV").AsString(), QStringLiteral("01.01.0002"));
}

SERVICES_ENGINES(ServiceEntry);

}  // namespace
}  // namespace servicestest
