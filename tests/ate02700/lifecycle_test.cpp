// The main form's life as the host drives it: IniProc, creation, first activation, switching
// windows and closing, against a real server and the demo database.

#include "tests/ate02700/module_test_env.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/net/netconnection.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace ate02700test {
namespace {

using TWindowState = TfrmPadrao::TWindowState;

class Lifecycle : public ModuleTest {};

TEST_F(Lifecycle, FirstActivationFillsTheBranchAndReadsItsParametersOnce)
{
    TfrmManuDelValor& form = OpenScreen();

    EXPECT_TRUE(Cli_ate02700::boIdCriado);
    EXPECT_FALSE(Cli_ate02700::boPrimeiraVez);
    EXPECT_EQ(form.MdiWindow(), MdiArea().activeSubWindow());
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("0001"));
    EXPECT_EQ(form.edtNmFilial->Text(), QStringLiteral("Guarulhos - SP"));
    EXPECT_EQ(QApplication::focusWidget(), form.medCompanhia);
    EXPECT_FALSE(form.qryFilial->Active()) << "the branch query is closed again";
    EXPECT_TRUE(form.lblFilial->isEnabled());
    EXPECT_TRUE(form.medCdFilial->isEnabled());
    EXPECT_TRUE(form.btpFilial->isEnabled());

    // The parameters of branch 0001 as the server read them.
    ASSERT_EQ(form.cdsParamComis->RecordCount(), 1);
    EXPECT_EQ(form.fldParamComis.IDUTDELVALO->AsString(), QStringLiteral("S"));
    EXPECT_EQ(form.fldParamComis.IDINTATEPCP->AsString(), QStringLiteral("S"));
    EXPECT_TRUE(WaitUntil([this] { return ParamComisCalls() >= 1; }));
    Settle();
    EXPECT_EQ(ParamComisCalls(), 1);

    // Creation: the service-code masks from the host, the error dataset owned by the form.
    EXPECT_EQ(form.fldServicoDel.CDARVSERV->EditMask(), QStringLiteral("99.99.9999;0;_"));
    EXPECT_EQ(form.fldPesqServico.CDARVSERV->EditMask(), QStringLiteral("99.99.9999;0;_"));
    ASSERT_FALSE(form.cdsErro.isNull());
    EXPECT_EQ(form.cdsErro->parent(), &form);
    EXPECT_TRUE(form.netManuDelValor->Connected());
    EXPECT_EQ(form.netManuDelValor->Host(), Server().host());
    EXPECT_EQ(form.netManuDelValor->Port(), Server().port());
    EXPECT_EQ(ServerSideConnections(Server().port()), 1);
    EXPECT_TRUE(dialogs_->Shown().empty());
}

TEST_F(Lifecycle, IniProcAgainShowsTheSameWindowRestored)
{
    TfrmManuDelValor& form = OpenScreen();
    const QPointer<TfrmManuDelValor> first(&form);

    for (const TWindowState state : {TWindowState::Maximized, TWindowState::Minimized}) {
        form.SetWindowState(state);
        ASSERT_EQ(form.WindowState(), state);
        IniProc();
        EXPECT_EQ(Cli_ate02700::frmManuDelValor.data(), first.data());
        EXPECT_EQ(form.WindowState(), TWindowState::Normal);
        EXPECT_EQ(Application().FormCount(), 1);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(Screen().Cursor(), TCursor::Default);
    }
    Settle();
    EXPECT_EQ(ServerSideConnections(Server().port()), 1) << "no second connection";
    EXPECT_EQ(ParamComisCalls(), 1) << "no second first activation";
    EXPECT_EQ(form.FormSize(), QSize(TfrmManuDelValor::kDesignWidth, TfrmManuDelValor::kDesignHeight));
}

TEST_F(Lifecycle, SwitchingWindowsOnlyRepaints)
{
    TfrmManuDelValor& form = OpenScreen();
    EXPECT_TRUE(WaitUntil([this] { return ParamComisCalls() == 1; }));
    // What the operator typed meanwhile must survive coming back to the window.
    form.medCdFilial->SetText(QStringLiteral("0002"));
    form.edtNmFilial->SetText(QStringLiteral("Galeão - RJ"));

    SwitchAwayAndBack(form);
    SwitchAwayAndBack(form);

    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("0002"));
    EXPECT_EQ(form.edtNmFilial->Text(), QStringLiteral("Galeão - RJ"));
    EXPECT_EQ(ParamComisCalls(), 1);
    EXPECT_EQ(ServerSideConnections(Server().port()), 1);
    EXPECT_TRUE(dialogs_->Shown().empty());
}

TEST_F(Lifecycle, ClosingDisconnectsAndTheNextIniProcStartsAfresh)
{
    TfrmManuDelValor& first = OpenScreen();
    const QPointer<TfrmManuDelValor> firstGuard(&first);
    const QPointer<TClientDataSet> firstErrors(first.cdsErro);
    EXPECT_TRUE(WaitUntil([] { return ServerSideConnections(Server().port()) == 1; }));
    first.medCdFilial->SetText(QStringLiteral("0002"));

    CloseScreen(first);
    EXPECT_TRUE(firstGuard.isNull());
    EXPECT_TRUE(firstErrors.isNull());
    EXPECT_FALSE(Cli_ate02700::boIdCriado);
    EXPECT_TRUE(Cli_ate02700::frmManuDelValor.isNull());
    EXPECT_EQ(Application().FormCount(), 0);
    EXPECT_TRUE(WaitUntil([] { return ServerSideConnections(Server().port()) == 0; }))
        << "the server still holds the closed form's connection";

    TfrmManuDelValor& second = OpenScreen();
    EXPECT_TRUE(Cli_ate02700::boIdCriado);
    EXPECT_FALSE(Cli_ate02700::boPrimeiraVez);
    EXPECT_EQ(second.medCdFilial->Text(), QStringLiteral("0001")) << "the first activation ran again";
    EXPECT_EQ(second.cdsParamComis->RecordCount(), 1);
    EXPECT_TRUE(WaitUntil([] { return ServerSideConnections(Server().port()) == 1; }));
    EXPECT_TRUE(WaitUntil([this] { return ParamComisCalls() == 2; }));
}

TEST_F(Lifecycle, FixedBranchDisablesTheBranchControlsAndShowsTheOperatorsBranch)
{
    Larkumo::THostSettings settings = HostSettings(Server());
    settings.defaultBranch = QStringLiteral("0002");
    settings.branchFixed = true;
    Larkumo::Configure(settings);

    TfrmManuDelValor& form = OpenScreen();
    EXPECT_FALSE(form.lblFilial->isEnabled());
    EXPECT_FALSE(form.medCdFilial->isEnabled());
    EXPECT_FALSE(form.btpFilial->isEnabled());
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("0002"));
    EXPECT_EQ(form.edtNmFilial->Text(), QStringLiteral("Galeão - RJ"));
    // The parameters read are those of that branch.
    ASSERT_EQ(form.cdsParamComis->RecordCount(), 1);
    EXPECT_EQ(form.fldParamComis.IDINTATEPCP->AsString(), QStringLiteral("N"));
}

struct BranchCase {
    const char* configured;
    const char* shownCode;
    const char* shownName;
};

class DefaultBranch : public ModuleTest, public ::testing::WithParamInterface<BranchCase> {
public:
    static void SetUpTestSuite()
    {
        ModuleTest::SetUpTestSuite();
        // A branch whose code has letters, to tell exact from case-blind matching.
        testsupport::DirectConnection db(Demo().database());
        db.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('AB12', 'Aeroporto Bravo')"));
    }
};

TEST_P(DefaultBranch, IsFoundExactlyOrLeavesTheFirstBranch)
{
    Larkumo::THostSettings settings = HostSettings(Server());
    settings.defaultBranch = QString::fromUtf8(GetParam().configured);
    Larkumo::Configure(settings);

    TfrmManuDelValor& form = OpenScreen();
    EXPECT_EQ(form.medCdFilial->Text(), QString::fromUtf8(GetParam().shownCode));
    EXPECT_EQ(form.edtNmFilial->Text(), QString::fromUtf8(GetParam().shownName));
    EXPECT_TRUE(dialogs_->Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Branches, DefaultBranch,
                         ::testing::Values(BranchCase{"0003", "0003", "Confins - MG"},
                                           BranchCase{"AB12", "AB12", "Aeroporto Bravo"},
                                           // Not there: the query stays on its first row.
                                           BranchCase{"9999", "0001", "Guarulhos - SP"},
                                           BranchCase{"ab12", "0001", "Guarulhos - SP"},
                                           BranchCase{"", "0001", "Guarulhos - SP"}));

TEST_F(Lifecycle, AServerThatCannotBeReachedLeavesNoFormBehind)
{
    Larkumo::THostSettings settings = HostSettings(Server());
    settings.serverPort = UnusedPort();
    Larkumo::Configure(settings);

    EXPECT_THROW(IniProc(), EConnectionError);
    FlushDeletes();
    EXPECT_FALSE(Cli_ate02700::boIdCriado);
    EXPECT_TRUE(Cli_ate02700::frmManuDelValor.isNull());
    EXPECT_EQ(Application().FormCount(), 0);
    EXPECT_EQ(Screen().Cursor(), TCursor::Default) << "no hourglass left after the failure";

    // Once the server can be reached, the screen opens normally.
    Larkumo::Configure(HostSettings(Server()));
    TfrmManuDelValor& form = OpenScreen();
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("0001"));
}

// A server of its own, stopped between the creation and the first activation.
class LifecycleServerGone : public ModuleTest {};

TEST_F(LifecycleServerGone, AFailedParameterReadIsShownOnceAndNotRetried)
{
    testsupport::DemoServer own;
    Larkumo::Configure(HostSettings(own.server()));

    IniProc();
    TfrmManuDelValor* form = Cli_ate02700::frmManuDelValor;
    ASSERT_NE(form, nullptr);
    own.server().stop();

    ASSERT_TRUE(WaitUntil([this] { return !dialogs_->Errors().isEmpty(); }));
    Settle();
    EXPECT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_FALSE(Cli_ate02700::boPrimeiraVez);
    EXPECT_EQ(form->medCdFilial->Text(), QStringLiteral("0001")) << "the branch was filled before the call";
    EXPECT_TRUE(form->cdsParamComis->IsEmpty());

    SwitchAwayAndBack(*form);
    EXPECT_EQ(dialogs_->Errors().size(), 1) << "the setup is not run again";
    EXPECT_TRUE(Cli_ate02700::boIdCriado);
}

}  // namespace
}  // namespace ate02700test
