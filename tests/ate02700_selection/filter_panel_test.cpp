// The filter panel as the operator fills it: codes fitted and validated when their edit is
// left, refusals that keep the focus and the typed text, the lookups, and the clearing a
// branch change causes.

#include "tests/ate02700_selection/selection_env.h"
#include "tests/support/gui/widget_driver.h"

#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/db/adoibquery.h"
#include "framework/ui/colors.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpanel.h"

#include <QApplication>
#include <QTest>

namespace ate02700test {
namespace {

using FilterPanel = SelectionTest;

TEST_P(FilterPanel, BranchCodesAreFittedThenValidatedAndAChangeClearsTheAirline)
{
    TfrmManuDelValor& form = OpenScreen();
    TypeInto(*form.medCompanhia, QStringLiteral("cab"));
    EXPECT_EQ(form.medCompanhia->Text(), QStringLiteral("CAB")) << "typed in upper case";
    PressTab();
    EXPECT_EQ(form.edtNmCia->Text(), QStringLiteral("Companhia Aérea Brasileira"));

    // "1" is fitted to "0001" before the search; the change asks for the airline again.
    TypeInto(*form.medCdFilial, QStringLiteral("1"));
    PressTab();
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("0001"));
    EXPECT_EQ(form.edtNmFilial->Text(), QStringLiteral("Guarulhos - SP"));
    EXPECT_TRUE(form.medCompanhia->Text().isEmpty());
    EXPECT_TRUE(form.edtNmCia->Text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), form.medCompanhia);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());

    // Letters are forced to upper case by the mask; an unknown code is refused in place.
    TypeInto(*form.medCdFilial, QStringLiteral("ab"));
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("AB"));
    PressTab();
    EXPECT_EQ(dialogs_->Errors(), QStringList{QStringLiteral("Filial não cadastrada.")});
    EXPECT_EQ(QApplication::focusWidget(), form.medCdFilial);
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("00AB"));

    // An empty branch is refused when its edit is left.
    dialogs_->ClearShown();
    TypeInto(*form.medCdFilial, QString());
    PressTab();
    EXPECT_EQ(dialogs_->Errors(), QStringList{QStringLiteral("Filial deve ser informada.")});
    EXPECT_EQ(QApplication::focusWidget(), form.medCdFilial);

    TypeInto(*form.medCdFilial, QStringLiteral("2"));
    PressTab();
    EXPECT_EQ(form.edtNmFilial->Text(), QStringLiteral("Galeão - RJ"));
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery")), 0) << "the panel was never left";
}

TEST_P(FilterPanel, AirlinesAreValidatedForTheBranchAndAnEmptyOneWaitsForThePanelExit)
{
    TfrmManuDelValor& form = OpenScreen();
    // VAS is not served by Galeão.
    TypeInto(*form.medCdFilial, QStringLiteral("0002"));
    PressTab();
    TypeInto(*form.medCompanhia, QStringLiteral("VAS"));
    PressTab();
    EXPECT_EQ(dialogs_->Errors(), QStringList{QStringLiteral("Companhia não cadastrada.")});
    EXPECT_EQ(QApplication::focusWidget(), form.medCompanhia);
    EXPECT_EQ(form.medCompanhia->Text(), QStringLiteral("VAS"));
    EXPECT_TRUE(form.edtNmCia->Text().isEmpty());

    dialogs_->ClearShown();
    TypeInto(*form.medCompanhia, QStringLiteral("LAA"));
    PressTab();
    EXPECT_EQ(form.edtNmCia->Text(), QStringLiteral("Linhas Aéreas do Atlântico"));
    EXPECT_EQ(form.fldCompanhia.CDCIA->AsString(), QStringLiteral("0003"));

    TypeInto(*form.medCompanhia, QString());
    PressTab();
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), form.depPlanoVooIni);
}

TEST_P(FilterPanel, LookupsListTheBranchsAirlinesAndABranchChosenLaterClearsTheAirline)
{
    TfrmManuDelValor& form = OpenScreen();
    dialogs_->PickRowWhere(QStringLiteral("SGCIA"), QStringLiteral("CRP"));
    QTest::mouseClick(form.btpCia, Qt::LeftButton);
    const auto lists = dialogs_->ShownOf(ShownBox::Kind::ChooseRow);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].caption, QStringLiteral("Companhia"));
    QStringList shortCodes;
    for (const QStringList& row : lists[0].rows) shortCodes << row.value(0);
    EXPECT_EQ(shortCodes, (QStringList{"AIC", "CAB", "CRP", "LAA", "TRAPA", "VAS"}));
    EXPECT_EQ(form.medCompanhia->Text(), QStringLiteral("CRP"));
    EXPECT_EQ(form.edtNmCia->Text(), QStringLiteral("Conexão Regional Paulista"));

    dialogs_->PickRowWhere(QStringLiteral("CDFILIAL"), QStringLiteral("0002"));
    QTest::mouseClick(form.btpFilial, Qt::LeftButton);
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("0002"));
    EXPECT_EQ(form.edtNmFilial->Text(), QStringLiteral("Galeão - RJ"));
    EXPECT_TRUE(form.medCompanhia->Text().isEmpty());
    EXPECT_TRUE(form.edtNmCia->Text().isEmpty());
    // The query keeps the last airline chosen until the next validation or lookup.
    EXPECT_EQ(form.fldCompanhia.CDCIA->AsString(), QStringLiteral("0006"));

    // Galeão's list: only the airlines linked to it.
    dialogs_->CancelPick();
    QTest::mouseClick(form.btpCia, Qt::LeftButton);
    const auto second = dialogs_->ShownOf(ShownBox::Kind::ChooseRow);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[2].rows.size(), 3);
}

TEST_P(FilterPanel, AnInvalidDateIsRefusedWhereItWasTyped)
{
    TfrmManuDelValor& form = OpenScreen();
    TypeInto(*form.depPlanoVooIni, QStringLiteral("31022026"));
    PressTab();
    EXPECT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_EQ(QApplication::focusWidget(), form.depPlanoVooIni);
    TypeInto(*form.depPlanoVooIni, QStringLiteral("28022026"));
    PressTab();
    EXPECT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_EQ(QApplication::focusWidget(), form.depPlanoVooFin);
}

TEST_P(FilterPanel, ThePanelLeadsTheTabOrderAndItsNameBoxesLookDisabled)
{
    TfrmManuDelValor& form = OpenScreen();
    QWidget* first = nullptr;
    for (QWidget* w = form.nextInFocusChain(); w && w != &form; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && form.isAncestorOf(w)) {
            first = w;
            break;
        }
    }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, form.medCdFilial) << first->metaObject()->className() << " " << first->objectName().toStdString();
    EXPECT_EQ(form.Label2->objectName(), QStringLiteral("Label2"));
    EXPECT_EQ(form.Label2->Caption(), QStringLiteral("Até"));
    EXPECT_EQ(form.edtNmFilial->Color(), Colors::BtnFace());
    EXPECT_EQ(form.edtNmCia->Color(), Colors::BtnFace());
}

INSTANTIATE_TEST_SUITE_P(SQLite, FilterPanel, ::testing::Values(Engine::SQLite));

}  // namespace
}  // namespace ate02700test
