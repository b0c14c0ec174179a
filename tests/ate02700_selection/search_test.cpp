// The toolbar's search button (and F3): on the "Delivery" tab it finds a delivery in the
// loaded list; on the services tab it finds a service of the current delivery. A search
// only moves a cursor: the server is asked for nothing until the services of the delivery
// found are shown.

#include "tests/ate02700_selection/selection_env.h"

#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>

namespace ate02700test {
namespace {

class Search : public SelectionTest {
protected:
    void ClickSearch()
    {
        QTest::mouseClick(form_->sbtProcurar, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    void ClickTab(int index)
    {
        QTabBar& tabs = form_->pgcPadrao->Tabs();
        QTest::mouseClick(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.tabRect(index).center());
        QCoreApplication::processEvents();
    }
    // F3 where the focus is, as the operator presses it.
    void PressF3()
    {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : static_cast<QWidget*>(form_), Qt::Key_F3);
        QCoreApplication::processEvents();
    }
    std::vector<ShownBox> Finds() const { return dialogs_->ShownOf(ShownBox::Kind::Find); }
    // Every call a search could have made.
    int ServerCalls() const
    {
        int calls = 0;
        for (const char* method : {"GetParamComis", "GetDelivery", "GetServicoDel", "GetPesqServico"})
            calls += Calls(QString::fromLatin1(method));
        return calls;
    }
    QString ServiceCode() const { return form_->fldServicoDel.CDARVSERV->AsString(); }
};

TEST_P(Search, OnTheDeliveryTabItFindsADeliveryAndOnTheServicesTabAService)
{
    TfrmManuDelValor& form = OpenScreen();
    // CAB and its partner on 2 Nov: 000007 (1010), 000008 (1011), 000009 (1012), ...
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("02/11/2026"), QStringLiteral("02/11/2026"));
    ASSERT_GE(form.cdsDelivery->RecordCount(), 3);
    ASSERT_EQ(Cell(0, "NUMERO"), QStringLiteral("000007/2026"));

    // No service list yet: the search is off, by click and by key.
    EXPECT_FALSE(form.sbtProcurar->isEnabled());
    EXPECT_FALSE(form.mnuProcurar->Enabled());
    ClickSearch();
    form.dbgPadrao->setFocus(Qt::MouseFocusReason);
    PressF3();
    EXPECT_TRUE(dialogs_->Shown().empty());

    // The services of 1010 shown: the search finds one of them ("Gelo em cubos", 03.01.0001),
    // by F3.
    ClickTab(1);
    ASSERT_EQ(form.pgcPadrao->ActivePage(), form.tshFormulario);
    ASSERT_EQ(Calls(QStringLiteral("GetServicoDel")), 1);
    ASSERT_TRUE(form.sbtProcurar->isEnabled());
    ASSERT_EQ(ServiceCode(), QStringLiteral("01.01.0001"));
    const int before = ServerCalls();
    dialogs_->AnswerFind(QStringLiteral("DSSERVICO"), QStringLiteral("gelo"));
    PressF3();
    ASSERT_EQ(Finds().size(), 1u);
    EXPECT_TRUE(Finds()[0].columns.contains(QStringLiteral("Código")));
    EXPECT_FALSE(Finds()[0].columns.contains(QStringLiteral("Nr. Faturamento"))) << "the service list's own columns";
    EXPECT_EQ(Finds()[0].answer, TModalResult::OK);
    EXPECT_EQ(ServiceCode(), QStringLiteral("03.01.0001"));
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsString(), QStringLiteral("1010")) << "the delivery stays";
    EXPECT_EQ(ServerCalls(), before);

    // Back on the delivery list: the same button finds a delivery, by click.
    dialogs_->ClearShown();
    ClickTab(0);
    ASSERT_EQ(form.pgcPadrao->ActivePage(), form.tshFolhaDados);
    ASSERT_TRUE(form.sbtProcurar->isEnabled());
    dialogs_->AnswerFind(QStringLiteral("NUMERO"), QStringLiteral("000009"));
    ClickSearch();
    ASSERT_EQ(Finds().size(), 1u);
    for (const char* label : {"Data do Vôo", "Nr. Delivery", "Companhia", "Vôo", "Nr. Faturamento"})
        EXPECT_TRUE(Finds()[0].columns.contains(QString::fromUtf8(label))) << label;
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsString(), QStringLiteral("1012"));
    EXPECT_EQ(form.dbgPadrao->currentIndex().row(), form.cdsDelivery->RecNo() - 1) << "the grid follows";
    EXPECT_EQ(form.lblNmCia->Caption(), QStringLiteral("1012 - Companhia Aérea Brasileira"));
    EXPECT_EQ(ServerCalls(), before) << "a move on the delivery tab fetches nothing";
    EXPECT_EQ(ServiceCode(), QStringLiteral("03.01.0001")) << "the service list is not searched here";

    // The delivery found is the one whose services the tab shows next.
    ClickTab(1);
    EXPECT_EQ(Calls(QStringLiteral("GetServicoDel")), 2);
    const int stored =
        static_cast<int>(SqlNumber(QStringLiteral("SELECT COUNT(*) FROM SERVDEL WHERE NRDELIVERY = 1012")));
    ASSERT_EQ(form.cdsServicoDel->RecordCount(), stored);
    for (int row = 0; row < stored; ++row) {
        QString delivery;
        form.cdsServicoDel->ReadRow(row, [&] { delivery = form.fldServicoDel.NRDELIVERY->AsString(); });
        EXPECT_EQ(delivery, QStringLiteral("1012"));
    }
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
}

TEST_P(Search, AFindThatMatchesNothingOrIsCancelledLeavesTheListWhereItWas)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("02/11/2026"), QStringLiteral("02/11/2026"));
    ClickTab(1);
    ClickTab(0);
    ASSERT_TRUE(form.sbtProcurar->isEnabled());
    form.dbgPadrao->setFocus(Qt::MouseFocusReason);
    const int before = ServerCalls();

    dialogs_->AnswerFind(QStringLiteral("NUMERO"), QStringLiteral("999999"));
    PressF3();
    dialogs_->CancelFind();
    ClickSearch();
    ASSERT_EQ(Finds().size(), 2u);
    EXPECT_EQ(Finds()[0].answer, TModalResult::Cancel);
    EXPECT_EQ(Finds()[1].answer, TModalResult::Cancel);
    EXPECT_EQ(dialogs_->Shown().size(), 2u) << "no message besides the find dialog";
    EXPECT_EQ(form.cdsDelivery->RecNo(), 1);
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsString(), QStringLiteral("1010"));
    EXPECT_EQ(form.lblNmCia->Caption(), QStringLiteral("1010 - Companhia Aérea Brasileira"));
    EXPECT_EQ(ServerCalls(), before);
}

TEST_P(Search, ASearchFromTheReopenedPanelLoadsNothingAndKeepsTheFocusThere)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("02/11/2026"), QStringLiteral("02/11/2026"));
    ClickTab(1);
    ClickTab(0);
    EnterPanel();
    ASSERT_FALSE(form.cdsDelivery->Active());
    // The services already read stay, and so does the command that searches them.
    ASSERT_TRUE(form.sbtProcurar->isEnabled());
    const int before = ServerCalls();

    dialogs_->AnswerFind(QStringLiteral("NUMERO"), QStringLiteral("000009"));
    ClickSearch();
    ASSERT_EQ(Finds().size(), 1u);
    EXPECT_EQ(Finds()[0].answer, TModalResult::Cancel) << "the closed list has nothing to find";
    EXPECT_EQ(QApplication::focusWidget(), form.medCompanhia) << "the button takes no focus from the panel";
    EXPECT_FALSE(form.cdsDelivery->Active());
    EXPECT_EQ(ServerCalls(), before);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, Search, ::testing::Values(Engine::SQLite, Engine::PostgreSQL));

}  // namespace
}  // namespace ate02700test
