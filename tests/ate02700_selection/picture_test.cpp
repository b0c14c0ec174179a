// The README's picture of the screen: a loaded list with invoiced, blocked and marked
// deliveries of two airlines. The test checks the list holds what the picture promises and,
// when ATE_README_PICTURE names a file, saves the main window there.

#include "tests/ate02700_selection/selection_env.h"

#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/application_host.h"

#include <QMainWindow>

namespace ate02700test {
namespace {

using Picture = SelectionTest;

TEST_P(Picture, ALoadedListWithInvoicedBlockedAndMarkedDeliveries)
{
    TfrmManuDelValor& form = OpenScreen();
    form.SetWindowState(TfrmPadrao::TWindowState::Maximized);
    Settle(100);
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("06/11/2026"), QStringLiteral("10/11/2026"));
    ASSERT_TRUE(form.cdsDelivery->Active());
    int invoiced = 0, blocked = -1, firstPartner = -1;
    for (int row = 0; row < form.cdsDelivery->RecordCount(); ++row) {
        invoiced += Cell(row, "NRDELIVERYFA").isEmpty() ? 0 : 1;
        if (Cell(row, "NRDELIVERYFA").isEmpty() && Cell(row, "IDSITDEL") == QLatin1String("2")) blocked = row;
        if (firstPartner < 0 && Cell(row, "CDCIA") == QLatin1String("0006")) firstPartner = row;
    }
    ASSERT_GE(invoiced, 3);
    ASSERT_GT(blocked, invoiced);
    ASSERT_GT(firstPartner, blocked);
    // Marks by hand: the first open CAB deliveries and CRP's first; the blocked one refuses.
    ClickCell(invoiced, 0);
    ClickCell(invoiced + 1, 0);
    ClickCell(firstPartner, 0);
    ClickCell(blocked, 0);
    EXPECT_EQ(Cell(invoiced, "IDMARCADO"), QStringLiteral("S"));
    EXPECT_EQ(Cell(firstPartner, "IDMARCADO"), QStringLiteral("S"));
    EXPECT_EQ(Cell(blocked, "IDMARCADO"), QStringLiteral("N"));
    ClickCell(invoiced + 1, 3);
    Settle(100);

    const QString file = qEnvironmentVariable("ATE_README_PICTURE");
    if (!file.isEmpty()) {
        QWidget* window = Application().MainForm();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->grab().save(file));
    }
}

INSTANTIATE_TEST_SUITE_P(SQLite, Picture, ::testing::Values(Engine::SQLite));

}  // namespace
}  // namespace ate02700test
