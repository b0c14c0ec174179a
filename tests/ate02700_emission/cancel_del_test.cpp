// Taking invoice numbers back from the screen: the operator marks deliveries and presses the
// cancel button; the confirmation is answered through the dialogs service.

#include "tests/ate02700_emission/emission_env.h"

#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/units/showavi.h"

#include <QTabBar>
#include <QTest>

namespace emissiontest {
namespace {

const QString kCancelDel = QStringLiteral("Deseja cancelar o(s) delivery(s) selecionado(s) ?");
const QString kNoNumber = QStringLiteral("Não há número de faturamento para ser cancelado.");

class CancelDel : public EmissionTest {
protected:
    // Numbers the delivery at `row` through the emission dialog (place 0001).
    void Emit(int row)
    {
        ClickMark(row);
        PrintFromScreen([](TfrmRelManuDelValor& dialog) {
            TypePlace(dialog, QStringLiteral("1"));
            ClickPrint(dialog);
        });
        ASSERT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    }
    QStringList Marks() const
    {
        QStringList marks;
        TClientDataSet& cds = *Form().cdsDelivery;
        for (int row = 0; row < cds.ViewRowCount(); ++row)
            cds.ReadRow(row, [&] { marks.append(Form().fldDelivery.IDMARCADO->AsString()); });
        return marks;
    }
};

TEST_P(CancelDel, ThreeMarkedOfWhichTheSecondIsInvoicedMakeOneCallAndComeBackToTheSameDelivery)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 20, 22);
    const QList<qint64> keys = ListedKeys();
    ASSERT_EQ(keys.size(), 3);
    Emit(1);
    const QString number = Stored(keys[1]).invoice;
    ASSERT_FALSE(number.isEmpty());
    const qint64 next = NextNumber(QStringLiteral("0001"));
    const int cancelsBefore = Calls(QStringLiteral("SetCancelDel"));

    ClickMark(0);
    ClickMark(2);
    ClickMark(1);  // the current delivery is the invoiced one
    ASSERT_EQ(Marks(), (QStringList{"S", "S", "S"}));
    dialogs_->ClearShown();
    dialogs_->AnswerMessage(TModalResult::Yes);
    ClickCancelButton();

    EXPECT_EQ(dialogs_->Messages(), QStringList{kCancelDel});
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    EXPECT_EQ(Calls(QStringLiteral("SetCancelDel"), cancelsBefore + 1) - cancelsBefore, 1);
    EXPECT_TRUE(Stored(keys[1]).invoice.isEmpty()) << "the number was taken back";
    EXPECT_EQ(RegisteredOperations(keys[1], QStringLiteral("C")), 1);
    EXPECT_EQ(NextNumber(QStringLiteral("0001")), next) << "a cancelled number is never given again";
    // The list is the server's, on the same delivery, grid following the cursor again.
    EXPECT_EQ(ListedKeys(), keys);
    EXPECT_EQ(ListedInvoice(keys[1]), QString());
    EXPECT_EQ(CurrentKey(), keys[1]);
    EXPECT_FALSE(Form().cdsDelivery->ControlsDisabled());
}

TEST_P(CancelDel, NoToTheConfirmationChangesNothingAndNothingInvoicedMarkedIsRefused)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("TRAPA"), 9, 10);
    const QList<qint64> keys = ListedKeys();
    ASSERT_EQ(keys.size(), 3);
    Emit(0);
    const QString number = Stored(keys[0]).invoice;
    ASSERT_FALSE(number.isEmpty());
    const int cancelsBefore = Calls(QStringLiteral("SetCancelDel"));

    ClickMark(0);
    ClickMark(2);
    dialogs_->ClearShown();
    dialogs_->AnswerMessage(TModalResult::No);
    ClickCancelButton();
    EXPECT_EQ(dialogs_->Messages(), QStringList{kCancelDel});
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
    EXPECT_EQ(Calls(QStringLiteral("SetCancelDel")), cancelsBefore);
    EXPECT_EQ(Stored(keys[0]).invoice, number);
    EXPECT_EQ(Marks(), (QStringList{"S", "N", "S"}));
    EXPECT_EQ(CurrentKey(), keys[2]);

    // The invoiced delivery unmarked: the marked ones have no number to take back.
    ClickMark(0);
    ClickMark(1);
    dialogs_->ClearShown();
    dialogs_->AnswerMessage(TModalResult::Yes);
    ClickCancelButton();
    EXPECT_EQ(dialogs_->Errors(), QStringList{kNoNumber});
    EXPECT_EQ(Calls(QStringLiteral("SetCancelDel")), cancelsBefore);
    EXPECT_EQ(Stored(keys[0]).invoice, number);
    EXPECT_EQ(Marks(), (QStringList{"N", "S", "S"}));
    EXPECT_EQ(CurrentKey(), keys[1]) << "back on the delivery the operator was on";
    EXPECT_FALSE(Form().cdsDelivery->ControlsDisabled());
}

// On the services tab every delivery the walk passes loads its services under the list
// animation; the cancel's own animation must stay over the main window until the cancel ends.
TEST_P(CancelDel, OnTheServicesTabTheAnimationStaysUntilTheCancelEnds)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 20, 22);
    const QList<qint64> keys = ListedKeys();
    ASSERT_EQ(keys.size(), 3);
    Emit(2);
    ClickMark(0);
    ClickMark(2);
    TfrmManuDelValor& f = Form();
    QTabBar& tabs = f.pgcPadrao->Tabs();
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    ASSERT_EQ(f.pgcPadrao->ActivePage(), f.tshFormulario);
    const int loadsBefore = Calls(QStringLiteral("GetServicoDel"));

    // Whether the animation covered the main window at each delivery the cancel reached,
    // the walk's rows and the reloaded list's first row alike.
    std::vector<bool> covered;
    const auto follow = f.cdsDelivery->AfterScroll;
    f.cdsDelivery->AfterScroll = [&](TClientDataSet& dataSet) {
        covered.push_back(Showavi::IsShowing() && Showavi::Target() == Application().MainForm());
        follow(dataSet);
    };
    dialogs_->ClearShown();
    dialogs_->AnswerMessage(TModalResult::Yes);
    ClickCancelButton();
    f.cdsDelivery->AfterScroll = follow;

    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    EXPECT_TRUE(Stored(keys[2]).invoice.isEmpty());
    EXPECT_GT(Calls(QStringLiteral("GetServicoDel"), loadsBefore + 2), loadsBefore + 1) << "services loaded on the way";
    ASSERT_GE(covered.size(), 3u);
    EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0);
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(CurrentKey(), keys[2]);
}

INSTANTIATE_TEST_SUITE_P(Engines, CancelDel,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

}  // namespace
}  // namespace emissiontest
