// Marking deliveries in the list: one by a click or Space on its mark cell, all of one
// airline by the mark column's title or Ctrl+Space, and the commands that follow the mark.

#include "tests/ate02700_selection/selection_env.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"

#include <QTest>

namespace ate02700test {
namespace {

const QString kBox = QStringLiteral(
    "Devem ser marcadas deliveries apenas de uma mesma companhia.\r"
    "Serão marcadas apenas as deliveries da companhia Companhia Aérea Brasileira.\r");

class MarkingList : public SelectionTest {
protected:
    QStringList MarksNow() const
    {
        QStringList marks;
        for (int row = 0; row < form_->cdsDelivery->RecordCount(); ++row) marks << Cell(row, "IDMARCADO");
        return marks;
    }
    QStringList AirlinesNow() const
    {
        QStringList airlines;
        for (int row = 0; row < form_->cdsDelivery->RecordCount(); ++row) airlines << Cell(row, "CDCIA");
        return airlines;
    }
    QStringList InformationBoxes() const
    {
        QStringList texts;
        for (const ShownBox& box : dialogs_->ShownOf(ShownBox::Kind::Message)) {
            EXPECT_EQ(box.type, TMsgDlgType::Information);
            EXPECT_EQ(box.buttons, TMsgDlgButtons{mbOK});
            texts << box.text;
        }
        return texts;
    }
    bool CommandsEnabled() const { return form_->btnCancelDel->isEnabled() && form_->sbtImprimir->isEnabled(); }
    bool CommandsDisabled() const { return !form_->btnCancelDel->isEnabled() && !form_->sbtImprimir->isEnabled(); }
};

using Single = MarkingList;
using MarkAll = MarkingList;

TEST_P(Single, AClickOnTheMarkCellTogglesItUnlessTheDeliveryIsBlocked)
{
    TfrmManuDelValor& form = OpenScreen();
    // 10 Nov: CAB's 1010, blocked without a number, then two CRP deliveries.
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("10/11/2026"), QStringLiteral("10/11/2026"));
    ASSERT_EQ(form.cdsDelivery->RecordCount(), 3);
    ASSERT_EQ(Cell(0, "IDSITDEL"), QStringLiteral("2"));

    ClickCell(1, 0);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "S", "N"}));
    EXPECT_TRUE(CommandsEnabled());
    ClickCell(2, 0);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "S", "S"})) << "a second airline side by side";
    ClickCell(2, 0);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "S", "N"}));
    EXPECT_TRUE(CommandsDisabled());

    // The blocked row does not change, and the commands follow its (empty) mark.
    ClickCell(1, 3);
    EXPECT_TRUE(CommandsEnabled()) << "a click on another column only updates the commands";
    ClickCell(0, 0);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "S", "N"}));
    EXPECT_TRUE(CommandsDisabled());
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery")), 1) << "marks stay in the list";
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("0")) << "single marks leave the mark-all state";
}

TEST_P(Single, SpaceMarksInTheMarkColumnOnlyAndCtrlSpaceMarksAll)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("11/11/2026"), QStringLiteral("11/11/2026"));
    ASSERT_EQ(form.cdsDelivery->RecordCount(), 4);
    ClickCell(1, 2);
    KeyInGrid(Qt::Key_Space);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "N", "N", "N"})) << "space in another column";
    KeyInGrid(Qt::Key_Home);
    ASSERT_EQ(form.dbgPadrao->SelectedIndex(), 0);
    KeyInGrid(Qt::Key_Space);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "S", "N", "N"}));
    EXPECT_TRUE(CommandsEnabled());
    KeyInGrid(Qt::Key_Space);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "N", "N", "N"}));

    KeyInGrid(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(MarksNow(), (QStringList{"S", "S", "S", "N"}));
    EXPECT_EQ(InformationBoxes(), QStringList{kBox});
    EXPECT_EQ(form.cdsDelivery->RecNo(), 1) << "a pass ends on the first row";
}

TEST_P(MarkAll, MarksOneAirlineShowingTheBoxOnceThenUnmarksEverything)
{
    TfrmManuDelValor& form = OpenScreen();
    // 11 Nov: three CAB deliveries, then one of CRP.
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("11/11/2026"), QStringLiteral("11/11/2026"));
    ASSERT_EQ(AirlinesNow(), (QStringList{"0001", "0001", "0001", "0006"}));
    ClickCell(3, 0);  // CRP marked by hand before the pass
    ClickCell(2, 1);

    ClickTitle(0);
    EXPECT_EQ(MarksNow(), (QStringList{"S", "S", "S", "S"})) << "the hand mark of another airline stays";
    EXPECT_EQ(InformationBoxes(), QStringList{kBox});
    EXPECT_EQ(Cli_ate02700::astCdCia, (std::array<QString, 3>{QStringLiteral("3"), QStringLiteral("0001"),
                                                              QStringLiteral("Companhia Aérea Brasileira")}));
    EXPECT_EQ(form.cdsDelivery->RecNo(), 1);

    dialogs_->ClearShown();
    ClickTitle(0);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "N", "N", "N"})) << "every airline unmarked";
    EXPECT_TRUE(dialogs_->Shown().empty());
    EXPECT_EQ(Cli_ate02700::astCdCia, (std::array<QString, 3>{QStringLiteral("0"), QString(), QString()}));

    // Other titles neither mark nor sort.
    ClickTitle(1);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "N", "N", "N"}));
    EXPECT_EQ(AirlinesNow(), (QStringList{"0001", "0001", "0001", "0006"}));
}

TEST_P(MarkAll, InvoicedDeliveriesOfTheReferenceAirlineAreNotMarked)
{
    OpenScreen();
    // 7 and 8 Nov: CAB invoiced on the 7th, open on the 8th, then CRP's.
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("07/11/2026"), QStringLiteral("08/11/2026"));
    ASSERT_EQ(AirlinesNow(), (QStringList{"0001", "0001", "0006", "0006", "0006"}));
    ASSERT_FALSE(Cell(0, "NRDELIVERYFA").isEmpty());
    ASSERT_TRUE(Cell(1, "NRDELIVERYFA").isEmpty());
    ClickCell(0, 0);  // an invoiced delivery marked by hand
    ASSERT_EQ(Cell(0, "IDMARCADO"), QStringLiteral("S"));

    ClickTitle(0);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "S", "N", "N", "N"}));
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("2")) << "the invoiced reference row counts";
    EXPECT_EQ(InformationBoxes(), QStringList{kBox}) << "once however many rows of other airlines";

    dialogs_->ClearShown();
    ClickTitle(0);
    EXPECT_EQ(MarksNow(), (QStringList{"N", "N", "N", "N", "N"}));
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("0"));
}

// A pass runs with the list's controls held; what shows the current delivery (its caption,
// the commands that follow its mark, the services' currency columns) must show the first
// row, where the pass ends, and not the last row it went through.
TEST_P(MarkAll, AfterThePassTheScreenShowsTheFirstDelivery)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("07/11/2026"), QStringLiteral("08/11/2026"));
    ASSERT_EQ(AirlinesNow(), (QStringList{"0001", "0001", "0006", "0006", "0006"}));
    ClickCell(4, 1);  // the cursor on the last row, a CRP delivery
    ASSERT_TRUE(form.lblNmCia->Caption().endsWith(QStringLiteral("Conexão Regional Paulista")));

    ClickTitle(0);
    ASSERT_EQ(form.cdsDelivery->RecNo(), 1);
    EXPECT_EQ(form.lblNmCia->Caption(), Cell(0, "NRDELIVERY") + QStringLiteral(" - Companhia Aérea Brasileira"));
    EXPECT_TRUE(CommandsDisabled()) << "the first row is invoiced and was left unmarked";
    const bool international = Cell(0, "IDTIPNACDEL") == QLatin1String("2");
    EXPECT_EQ(Consiste::IndiceCol(*form.dbgServicoDel, QStringLiteral("VRTOTSERVD")) >= 0, international);
    EXPECT_EQ(Consiste::IndiceCol(*form.dbgServicoDel, QStringLiteral("VRTOTSERVR")) >= 0, !international);

    // The unmark pass ends the same way; the second row, marked by the first pass, now is not.
    ClickCell(1, 1);
    ASSERT_TRUE(CommandsEnabled());
    ClickTitle(0);
    EXPECT_EQ(form.cdsDelivery->RecNo(), 1);
    EXPECT_TRUE(CommandsDisabled());
}

TEST_P(MarkAll, WithOneDeliveryTheTitleOnlyMarksAndAClickUnmarks)
{
    TfrmManuDelValor& form = OpenScreen();
    Query(QStringLiteral("0001"), QStringLiteral("CRP"), QStringLiteral("01/11/2026"), QStringLiteral("01/11/2026"));
    ASSERT_EQ(form.cdsDelivery->RecordCount(), 1);
    ClickTitle(0);
    EXPECT_EQ(MarksNow(), QStringList{"S"});
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("1"));
    ClickTitle(0);
    EXPECT_EQ(MarksNow(), QStringList{"S"}) << "a count of 1 runs the mark pass again";
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("1"));
    ClickCell(0, 0);
    EXPECT_EQ(MarksNow(), QStringList{"N"});
    EXPECT_TRUE(dialogs_->Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, Single, ::testing::Values(Engine::SQLite, Engine::PostgreSQL));
INSTANTIATE_TEST_SUITE_P(Engines, MarkAll, ::testing::Values(Engine::SQLite, Engine::PostgreSQL));

}  // namespace
}  // namespace ate02700test
