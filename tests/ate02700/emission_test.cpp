// Opening and closing the emission dialog: one modal dialog per opening, made and freed
// around the modal loop, printing as its only output, and the base Esc key left out.

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/ate02700/module_test_env.h"

#include "framework/ui/application_host.h"
#include "framework/ui/tspeedbutton.h"

#include <QApplication>
#include <QMainWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace ate02700test {
namespace {

class EmissionDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        Initialize();
        main_.resize(800, 600);
        Application().Attach(&main_, nullptr);
    }
    void TearDown() override
    {
        Application().DestroyForms();
        FlushDeletes();
        Finalize();
        Application().Detach();
    }

    // Runs `inside` once the dialog is up and modal, then makes sure it closes.
    void OpenAndRun(const std::function<void(TfrmRelManuDelValor&)>& inside)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            TfrmRelManuDelValor* dialog = Cli_ate02701::frmRelManuDelValor;
            if (dialog && WaitUntil([dialog] { return dialog->isVisible(); }, 5000)) {
                inside(*dialog);
                ran = true;
            }
            if (Cli_ate02701::frmRelManuDelValor && Cli_ate02701::frmRelManuDelValor->isVisible())
                Cli_ate02701::frmRelManuDelValor->reject();
        });
        Cli_ate02701::CriaRelManuDelValor();
        EXPECT_TRUE(ran) << "the dialog was not shown";
    }

    QMainWindow main_;
};

TEST_F(EmissionDialog, EachOpeningMakesOneModalDialogFreedWhenItCloses)
{
    QPointer<TfrmRelManuDelValor> first;
    OpenAndRun([&](TfrmRelManuDelValor& dialog) {
        first = &dialog;
        EXPECT_TRUE(Cli_ate02701::boIdCriado);
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        EXPECT_EQ(dialog.parentWidget(), &main_) << "a window over the host's main window";
        EXPECT_EQ(Screen().Cursor(), TCursor::Default) << "the operator works with the ordinary cursor";
        EXPECT_FALSE(dialog.sbtPreview->isEnabled());
        EXPECT_TRUE(dialog.sbtPrint->isEnabled());
    });
    EXPECT_FALSE(Cli_ate02701::boIdCriado);
    EXPECT_EQ(Screen().Cursor(), TCursor::Default);
    FlushDeletes();
    EXPECT_TRUE(first.isNull()) << "the closed dialog is freed";
    EXPECT_TRUE(Cli_ate02701::frmRelManuDelValor.isNull());

    OpenAndRun([&](TfrmRelManuDelValor& dialog) {
        EXPECT_TRUE(Cli_ate02701::boIdCriado);
        // Activation again turns preview off, even when something turned it on.
        dialog.sbtPreview->SetEnabled(true);
        dialog.hide();
        dialog.show();
        EXPECT_FALSE(dialog.sbtPreview->isEnabled());
    });
    EXPECT_FALSE(Cli_ate02701::boIdCriado);
}

TEST_F(EmissionDialog, EscDoesNotCloseTheDialog)
{
    OpenAndRun([&](TfrmRelManuDelValor& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(Cli_ate02701::boIdCriado);
    });
}

}  // namespace
}  // namespace ate02700test
