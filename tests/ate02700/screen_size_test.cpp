// The first activation maximises the form on a 640 × 480 screen only. Run once per screen
// size, each run on an offscreen screen of that size (ATE_EXPECT_SCREEN names it).

#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "tests/ate02700/module_test_env.h"

#include "framework/ui/application_host.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace ate02700test {
namespace {

class ScreenSize : public ModuleTest {};

TEST_F(ScreenSize, MaximisedExactlyOn640By480)
{
    const QString expected = qEnvironmentVariable("ATE_EXPECT_SCREEN");
    if (expected.isEmpty()) GTEST_SKIP() << "run through ctest, which sets the screen size";
    const QStringList size = expected.split(QLatin1Char('x'));
    ASSERT_EQ(size.size(), 2);
    ASSERT_EQ(Screen().Width(), size[0].toInt()) << "the offscreen screen was not configured";
    ASSERT_EQ(Screen().Height(), size[1].toInt());

    TfrmManuDelValor& form = OpenScreen();
    if (Screen().Width() == 640 && Screen().Height() == 480) {
        EXPECT_EQ(form.WindowState(), TfrmPadrao::TWindowState::Maximized);
        EXPECT_TRUE(form.MdiWindow()->isMaximized());
    } else {
        EXPECT_EQ(form.WindowState(), TfrmPadrao::TWindowState::Normal);
        EXPECT_EQ(form.FormSize(), QSize(TfrmManuDelValor::kDesignWidth, TfrmManuDelValor::kDesignHeight));
    }
}

}  // namespace
}  // namespace ate02700test
