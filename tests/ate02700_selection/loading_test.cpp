// Leaving the filter panel loads the deliveries; entering it discards them. The checks run
// in order, each refusal keeping the typed values and the list closed; the server's answer
// replaces the list and decides the services tab.

#include "tests/ate02700_selection/selection_env.h"
#include "tests/support/gui/widget_driver.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/showavi.h"

#include <QApplication>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace ate02700test {
namespace {

using Loading = SelectionTest;
using LoadingSQLite = SelectionTest;

bool InPanel(const TfrmManuDelValor& form) { return form.panFiltro->isAncestorOf(QApplication::focusWidget()); }

TEST_P(Loading, TheScreenOpensOnTheDeliveryTabWithTheFocusInThePanel)
{
    TfrmManuDelValor& form = OpenScreen();
    EXPECT_EQ(form.pgcPadrao->ActivePage(), form.tshFolhaDados);
    EXPECT_EQ(QApplication::focusWidget(), form.medCompanhia);
    EXPECT_FALSE(form.tshFormulario->Enabled());
    EXPECT_FALSE(form.mnuFormulario->Enabled());
    EXPECT_FALSE(form.cdsDelivery->Active());
}

TEST_P(Loading, AnAirlineListsItsOwnAndItsPartnersDeliveriesOrderedByNumber)
{
    TfrmManuDelValor& form = OpenScreen();
    // What the progress animation covers while the call waits for its answer.
    QWidget* covered = nullptr;
    QString caption = QStringLiteral("none seen");
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (Showavi::IsShowing()) {
            covered = Showavi::Target();
            caption = Showavi::Caption();
        }
    });
    watch.start();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("02/11/2026"), QStringLiteral("02/11/2026"));
    watch.stop();
    EXPECT_EQ(covered, Application().MainForm()) << "shown over the host's main window";
    EXPECT_TRUE(caption.isEmpty()) << "without a text";
    ASSERT_TRUE(form.cdsDelivery->Active());
    EXPECT_TRUE(dialogs_->Shown().empty());
    const int stored = static_cast<int>(
        SqlNumber(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE CDFILIAL = '0001' AND CDCIA IN ('0001', '0006') "
                                 "AND DTHRPLAVOOPV >= '2026-11-02' AND DTHRPLAVOOPV < '2026-11-03'")));
    EXPECT_EQ(form.cdsDelivery->RecordCount(), stored);
    EXPECT_GE(stored, 2);
    QSet<QString> airlines;
    double previous = -1;
    for (int row = 0; row < form.cdsDelivery->RecordCount(); ++row) {
        airlines.insert(Cell(row, "CDCIA"));
        const double key = Cell(row, "NRDELIVERY").toDouble();
        EXPECT_LT(previous, key);
        previous = key;
        EXPECT_EQ(Cell(row, "IDMARCADO"), QStringLiteral("N"));
    }
    EXPECT_EQ(airlines, (QSet<QString>{QStringLiteral("0001"), QStringLiteral("0006")}));
    EXPECT_TRUE(form.tshFormulario->Enabled());
    EXPECT_TRUE(form.mnuFormulario->Enabled());
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery")), 1);
    EXPECT_EQ(Calls(QStringLiteral("GetParamComis")), 2) << "the first activation and the exit";

    // The partner alone lists its own deliveries only.
    EnterPanel();
    EXPECT_FALSE(form.cdsDelivery->Active());
    Query(QStringLiteral("0001"), QStringLiteral("CRP"), QStringLiteral("02/11/2026"), QStringLiteral("02/11/2026"));
    ASSERT_TRUE(form.cdsDelivery->Active());
    for (int row = 0; row < form.cdsDelivery->RecordCount(); ++row)
        EXPECT_EQ(Cell(row, "CDCIA"), QStringLiteral("0006"));
    EXPECT_LT(form.cdsDelivery->RecordCount(), stored);
}

TEST_P(Loading, ChecksRunInOrderAndARefusalKeepsWhatWasTyped)
{
    TfrmManuDelValor& form = OpenScreen();
    // Airline before dates.
    Query(QStringLiteral("0001"), QString(), QString(), QString());
    EXPECT_EQ(dialogs_->Errors(), QStringList{QStringLiteral("Companhia deve ser informada.")});
    EXPECT_EQ(QApplication::focusWidget(), form.medCompanhia);

    const auto refusedWith = [&](const QString& text, QWidget* focus) {
        EXPECT_EQ(dialogs_->Errors(), QStringList{text});
        EXPECT_EQ(QApplication::focusWidget(), focus);
        EXPECT_FALSE(form.cdsDelivery->Active());
        EXPECT_FALSE(form.tshFormulario->Enabled());
        EXPECT_FALSE(Showavi::IsShowing());
        dialogs_->ClearShown();
    };
    dialogs_->ClearShown();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QString(), QString());
    refusedWith(QStringLiteral("Data inicial deve ser informada."), form.depPlanoVooIni);
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("05/11/2026"), QString());
    refusedWith(QStringLiteral("Data final deve ser informada."), form.depPlanoVooFin);
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("05/11/2026"), QStringLiteral("04/11/2026"));
    refusedWith(QStringLiteral("Data inicial deve ser menor ou igual a data final."), form.depPlanoVooIni);
    EXPECT_EQ(form.medCompanhia->Text(), QStringLiteral("CAB"));
    EXPECT_EQ(form.depPlanoVooIni->GetDate(), QDate(2026, 11, 5));
    EXPECT_EQ(form.depPlanoVooFin->GetDate(), QDate(2026, 11, 4));
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery")), 0);
    EXPECT_EQ(Calls(QStringLiteral("GetParamComis")), 1 + 4) << "read again at every exit attempt";

    // The same dates pass: the deliveries of that one day.
    TypeInto(*form.depPlanoVooFin, QStringLiteral("05112026"));
    PressTab();
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    ASSERT_TRUE(form.cdsDelivery->Active());
    for (int row = 0; row < form.cdsDelivery->RecordCount(); ++row) {
        QString when;
        form.cdsDelivery->ReadRow(
            row, [&] { when = form.fldDelivery.DTHRPLAVOOPV->AsDateTime().date().toString(Qt::ISODate); });
        EXPECT_EQ(when, QStringLiteral("2026-11-05"));
    }
}

TEST_P(Loading, ABranchNotSetUpForValuedDeliveriesIsRefused)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0003"), QStringLiteral("TRAPA"), QStringLiteral("02/11/2026"), QStringLiteral("03/11/2026"));
    EXPECT_EQ(dialogs_->Errors(),
              QStringList{QStringLiteral("Filial não parametrizada para utilização de delivery valorizada.")});
    EXPECT_EQ(QApplication::focusWidget(), form.medCdFilial);
    EXPECT_EQ(form.fldParamComis.IDUTDELVALO->AsString(), QStringLiteral("N"));
    EXPECT_FALSE(form.cdsDelivery->Active());
    EXPECT_EQ(form.medCompanhia->Text(), QStringLiteral("TRAPA"));
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery")), 0);
}

TEST_P(Loading, AnEmptyAnswerLeavesTheServicesTabOffWithoutAMessage)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("01/12/2026"), QStringLiteral("31/12/2026"));
    EXPECT_TRUE(dialogs_->Shown().empty());
    ASSERT_TRUE(form.cdsDelivery->Active());
    EXPECT_TRUE(form.cdsDelivery->IsEmpty());
    EXPECT_FALSE(form.tshFormulario->Enabled());
    EXPECT_FALSE(form.mnuFormulario->Enabled());
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery")), 1);
}

TEST_P(Loading, EnteringThePanelDiscardsTheListAndItsMarks)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("11/11/2026"), QStringLiteral("11/11/2026"));
    ASSERT_TRUE(form.cdsDelivery->Active());
    ClickTitle(0);
    EXPECT_EQ(Cell(0, "IDMARCADO"), QStringLiteral("S"));
    EXPECT_NE(Cli_ate02700::astCdCia[0], QStringLiteral("0"));
    form.lblNmCia->SetCaption(QStringLiteral("x"));

    EnterPanel();
    EXPECT_FALSE(form.cdsDelivery->Active());
    EXPECT_TRUE(form.lblNmCia->Caption().isEmpty());
    EXPECT_FALSE(form.tshFormulario->Enabled());
    EXPECT_EQ(Cli_ate02700::astCdCia, (std::array<QString, 3>{QStringLiteral("0"), QString(), QString()}));

    TypeInto(*form.depPlanoVooFin, QStringLiteral("11112026"));
    PressTab();
    ASSERT_TRUE(form.cdsDelivery->Active());
    EXPECT_EQ(Cell(0, "IDMARCADO"), QStringLiteral("N")) << "the marks the server sends";
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery")), 2);
}

TEST_P(LoadingSQLite, WithTheBranchFixedTheRefusalLeavesTheFocusInThePanel)
{
    Larkumo::THostSettings settings = HostSettings(Server());
    settings.defaultBranch = QStringLiteral("0003");
    settings.branchFixed = true;
    Larkumo::Configure(settings);
    TfrmManuDelValor& form = OpenScreen();
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("0003"));
    TypeInto(*form.medCompanhia, QStringLiteral("TRAPA"));
    PressTab();
    TypeInto(*form.depPlanoVooIni, QStringLiteral("02112026"));
    PressTab();
    TypeInto(*form.depPlanoVooFin, QStringLiteral("03112026"));
    PressTab();
    EXPECT_EQ(dialogs_->Errors(),
              QStringList{QStringLiteral("Filial não parametrizada para utilização de delivery valorizada.")});
    EXPECT_EQ(QApplication::focusWidget(), form.depPlanoVooFin);
    EXPECT_FALSE(form.cdsDelivery->Active());
}

TEST_P(LoadingSQLite, AServerThatIsDownIsReportedOnceAndTheNextExitWorksWhenItIsBack)
{
    // A server of this test's own on the suite's database, stopped and started again.
    auto server = std::make_unique<testsupport::ServerProcess>(Demo().database().url());
    const quint16 port = server->port();
    Larkumo::THostSettings settings = HostSettings(*server);
    Larkumo::Configure(settings);
    TfrmManuDelValor& form = OpenScreen();
    TypeInto(*form.medCompanhia, QStringLiteral("CAB"));
    PressTab();
    TypeInto(*form.depPlanoVooIni, QStringLiteral("02112026"));
    PressTab();
    TypeInto(*form.depPlanoVooFin, QStringLiteral("02112026"));
    ASSERT_EQ(server->stop(), 0);

    PressTab();
    ASSERT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_FALSE(dialogs_->Errors()[0].isEmpty());
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_FALSE(form.cdsDelivery->Active());
    EXPECT_TRUE(InPanel(form));
    EXPECT_EQ(form.depPlanoVooFin->GetDate(), QDate(2026, 11, 2));

    server = std::make_unique<testsupport::ServerProcess>(Demo().database().url(), QStringList{}, port);
    dialogs_->ClearShown();
    WidgetDriver::Focus(*form.depPlanoVooFin);
    PressTab();
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    EXPECT_TRUE(form.cdsDelivery->Active());
    EXPECT_FALSE(form.cdsDelivery->IsEmpty());
    EXPECT_FALSE(Showavi::IsShowing());
}

INSTANTIATE_TEST_SUITE_P(Engines, Loading, ::testing::Values(Engine::SQLite, Engine::PostgreSQL));
INSTANTIATE_TEST_SUITE_P(SQLite, LoadingSQLite, ::testing::Values(Engine::SQLite));

}  // namespace
}  // namespace ate02700test
