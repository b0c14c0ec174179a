// The standard form: record commands on dtsPadrao's dataset, the command state shared by
// menu items and buttons, the order of the base and derived handlers, and closing.

#include "framework/core/exceptions.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "tests/forms/test_form.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A form made by the application object, shown as the active window, destroyed at the end.
struct Opened {
    QStringList trail;
    QPointer<TfrmTeste> form;

    explicit Opened(int rows = 3)
    {
        form = Application().CreateForm<TfrmTeste>(&trail);
        form->Load(rows);
    }
    ~Opened() { Application().DestroyForms(); }

    bool Show() { return WidgetDriver::ShowActive(*form); }
    TClientDataSet& Data() const { return *form->cdsProduto; }
};

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::processEvents();
}

TEST(StandardForm, ComponentsCarryTheirNames)
{
    Opened o;
    for (const char* name :
         {"panMenu",      "sbtIncluir",   "sbtAlterar", "sbtExcluir", "sbtGravar", "sbtCancelar",   "sbtProcurar",
          "sbtVerificar", "sbtImprimir",  "sbtAjuda",   "sbtFechar",  "pgcPadrao", "tshFolhaDados", "tshFormulario",
          "dbgPadrao",    "panNavigator", "dbnPadrao",  "lblCodTela", "dtsPadrao", "pmnNavegar",    "mnuMenu"}) {
        EXPECT_NE(o.form->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    }
    for (const char* name :
         {"mnuOperacao", "mnuIncluir", "mnuAlterar", "mnuExcluir", "mnuGravar", "mnuCancelar", "mnuProcurar",
          "mnuVerificar", "mnuFolhaDados", "mnuFormulario", "mnuImprimir", "mnuFechar"}) {
        EXPECT_NE(o.form->mnuMenu->Find(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(o.form->mnuIncluir->Parent(), o.form->mnuOperacao);
}

TEST(StandardForm, RecordCommandsActOnTheDataSetOfDtsPadrao)
{
    ScopedDialogs dialogs;
    Opened o;
    ASSERT_TRUE(o.Show());
    TClientDataSet& data = o.Data();

    o.form->sbtIncluir->click();
    ASSERT_EQ(data.State(), TDataSetState::Insert);
    data.FieldByName(QStringLiteral("CODIGO")).SetAsString(QStringLiteral("P009"));
    o.form->sbtGravar->click();
    EXPECT_EQ(data.State(), TDataSetState::Browse);
    EXPECT_EQ(data.RecordCount(), 4);

    ASSERT_TRUE(data.Locate(QStringLiteral("CODIGO"), wire::Value(QStringLiteral("P002"))));
    o.form->sbtAlterar->click();
    ASSERT_EQ(data.State(), TDataSetState::Edit);
    data.FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("trocado"));
    o.form->sbtCancelar->click();
    EXPECT_EQ(data.State(), TDataSetState::Browse);
    EXPECT_EQ(data.FieldByName(QStringLiteral("NOME")).AsString(), QStringLiteral("Produto 2"));

    // Deleting asks first; No keeps the row, Yes deletes it.
    dialogs->AnswerMessage(TModalResult::No);
    o.form->sbtExcluir->click();
    EXPECT_EQ(data.RecordCount(), 4);
    dialogs->AnswerMessage(TModalResult::Yes);
    o.form->mnuExcluir->Action()->trigger();
    EXPECT_EQ(data.RecordCount(), 3);
    EXPECT_FALSE(data.Locate(QStringLiteral("CODIGO"), wire::Value(QStringLiteral("P002"))));
    ASSERT_EQ(dialogs->Messages(), (QStringList{"Confirma exclusão?", "Confirma exclusão?"}));
    EXPECT_EQ(dialogs->Shown()[0].type, TMsgDlgType::Confirmation);
}

TEST(StandardForm, CommandKeysWorkWhereverTheFocusIsInTheForm)
{
    ScopedDialogs dialogs;
    Opened o;
    ASSERT_TRUE(o.Show());
    WidgetDriver::Focus(*o.form->dbgPadrao);
    TClientDataSet& data = o.Data();

    PressKey(o.form->dbgPadrao, Qt::Key_F6);
    EXPECT_EQ(data.State(), TDataSetState::Insert);
    PressKey(o.form->dbgPadrao, Qt::Key_F10);
    EXPECT_EQ(data.State(), TDataSetState::Browse);
    EXPECT_EQ(data.RecordCount(), 3);
    PressKey(o.form->dbgPadrao, Qt::Key_F7);
    EXPECT_EQ(data.State(), TDataSetState::Edit);
    data.FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("pela tecla"));
    PressKey(o.form->dbgPadrao, Qt::Key_F9);
    EXPECT_EQ(data.State(), TDataSetState::Browse);
    EXPECT_EQ(data.FieldByName(QStringLiteral("NOME")).AsString(), QStringLiteral("pela tecla"));

    // A disabled command takes no key.
    o.form->mnuIncluir->SetEnabled(false);
    PressKey(o.form->dbgPadrao, Qt::Key_F6);
    EXPECT_EQ(data.State(), TDataSetState::Browse);
}

TEST(StandardForm, CommandsFollowTheStateAndButtonsFollowTheirItems)
{
    Opened o(0);
    TfrmTeste& f = *o.form;
    const auto enabled = [&] {
        return QStringList{f.sbtIncluir->isEnabled() ? "I" : "-",  f.sbtAlterar->isEnabled() ? "A" : "-",
                           f.sbtExcluir->isEnabled() ? "E" : "-",  f.sbtGravar->isEnabled() ? "G" : "-",
                           f.sbtCancelar->isEnabled() ? "C" : "-", f.sbtProcurar->isEnabled() ? "P" : "-",
                           f.sbtVerificar->isEnabled() ? "V" : "-"}
            .join(QString());
    };
    EXPECT_EQ(enabled(), QStringLiteral("I-----V")) << "an empty list can only be added to and refreshed";
    f.Load(2);
    EXPECT_EQ(enabled(), QStringLiteral("IAE--PV")) << "rows loaded while browsing count too";
    f.cdsProduto->Edit();
    EXPECT_EQ(enabled(), QStringLiteral("---GC--"));
    EXPECT_TRUE(f.mnuGravar->Enabled());
    EXPECT_FALSE(f.mnuIncluir->Enabled());
    f.cdsProduto->Cancel();
    EXPECT_EQ(enabled(), QStringLiteral("IAE--PV"));
    f.cdsProduto->Delete();
    f.cdsProduto->Delete();
    EXPECT_EQ(enabled(), QStringLiteral("I-----V")) << "the last row deleted";
    f.cdsProduto->Close();
    EXPECT_EQ(enabled(), QStringLiteral("-------"));
}

TEST(StandardForm, AMenuItemAndItsButtonAreOneCommand)
{
    Opened o;
    TfrmTeste& f = *o.form;
    f.mnuImprimir->SetEnabled(false);
    EXPECT_FALSE(f.sbtImprimir->isEnabled()) << "the button takes the item's state";
    f.sbtImprimir->SetEnabled(true);
    EXPECT_TRUE(f.mnuImprimir->Enabled()) << "a form that sets the button directly moves the item too";
    f.mnuImprimir->SetVisible(false);
    EXPECT_TRUE(f.sbtImprimir->isHidden());
    f.mnuImprimir->SetVisible(true);

    // A toolbar disabled as a whole changes nothing of the commands themselves.
    f.panMenu->setEnabled(false);
    EXPECT_FALSE(f.sbtImprimir->isEnabled());
    EXPECT_TRUE(f.mnuImprimir->Enabled());
    f.panMenu->setEnabled(true);
    EXPECT_TRUE(f.sbtImprimir->isEnabled());
    EXPECT_TRUE(f.sbtImprimir->toolTip().contains(QStringLiteral("Ctrl+P"))) << f.sbtImprimir->toolTip().toStdString();
}

TEST(StandardForm, DerivedFormCreateRunsAfterTheBase)
{
    Opened o;
    // Built with every command enabled; the base's FormCreate had set them by the state of
    // the closed dataset before the derived one ran.
    ASSERT_FALSE(o.trail.isEmpty());
    EXPECT_EQ(o.trail.first(), QStringLiteral("FormCreate gravar=off"));
    EXPECT_TRUE(o.form->Created());
}

TEST(StandardForm, AFailingFormCreateLeavesNoFormBehind)
{
    const int before = Application().FormCount();
    QStringList trail;
    const auto make = [&] {
        // The failure is raised by the derived handler, after the base.
        struct Failing : TfrmTeste {
            explicit Failing(QStringList* t) : TfrmTeste(t)
            {
                OnFormCreate = [] { throw Exception(QStringLiteral("sem conexão")); };
            }
        };
        Application().CreateForm<Failing>(&trail);
    };
    EXPECT_THROW(make(), Exception);
    EXPECT_EQ(Application().FormCount(), before);
    EXPECT_EQ(trail, QStringList{"FormCreate gravar=off"});
}

TEST(StandardForm, FormCloseRunsTheBaseLastAndReleasesTheForm)
{
    Opened o;
    ASSERT_TRUE(o.Show());
    const QPointer<TfrmTeste> form = o.form;
    o.trail.clear();
    o.form->sbtFechar->click();
    EXPECT_EQ(o.trail, (QStringList{"FormClose before base free=off", "FormClose after base free=on"}));
    EXPECT_TRUE(form->isHidden());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()) << "released after close";
    EXPECT_EQ(Application().FormCount(), 0);
}

TEST(StandardForm, ACloseHandlerCanKeepTheFormOrFailWithoutClosingIt)
{
    ScopedDialogs dialogs;
    Opened o;
    ASSERT_TRUE(o.Show());
    o.form->OnFormClose = [](TfrmPadrao::TCloseAction& action) { action = TfrmPadrao::TCloseAction::None; };
    EXPECT_FALSE(o.form->Close());
    EXPECT_TRUE(o.form->isVisible());

    o.form->OnFormClose = [](TfrmPadrao::TCloseAction&) { throw Exception(QStringLiteral("há alterações pendentes")); };
    EXPECT_FALSE(o.form->Close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(o.form.isNull());
    EXPECT_TRUE(o.form->isVisible());
    EXPECT_EQ(dialogs->Errors(), QStringList{"há alterações pendentes"});
}

TEST(StandardForm, PageHandlersRunTheBaseFirst)
{
    Opened o;
    ASSERT_TRUE(o.Show());
    o.trail.clear();
    o.form->mnuFormulario->Action()->trigger();  // as the operator
    EXPECT_EQ(o.form->pgcPadrao->ActivePage(), o.form->tshFormulario);
    EXPECT_EQ(o.trail, QStringList{"pgcPadraoChange tshFormulario checked=on"})
        << "the base checked the page's item first";
    EXPECT_FALSE(o.form->mnuFolhaDados->Checked());

    // The page's item can be chosen exactly when the page can.
    o.form->tshFolhaDados->SetEnabled(false);
    EXPECT_FALSE(o.form->mnuFolhaDados->Enabled());
    o.form->tshFolhaDados->SetEnabled(true);
    EXPECT_TRUE(o.form->mnuFolhaDados->Enabled());
}

TEST(StandardForm, EnterOnTheBrowsedListOpensTheRecordPageBeforeTheDerivedHandler)
{
    Opened o;
    ASSERT_TRUE(o.Show());
    o.form->dbgPadrao->SetReadOnly(true);
    WidgetDriver::Focus(*o.form->dbgPadrao);
    o.trail.clear();
    PressKey(o.form->dbgPadrao, Qt::Key_Return);
    EXPECT_EQ(o.form->pgcPadrao->ActivePage(), o.form->tshFormulario);
    EXPECT_EQ(o.trail, (QStringList{"pgcPadraoChange tshFormulario checked=on", "dbgPadraoKeyDown key=0"}));

    // Other keys reach the derived handler unchanged; a disabled record page is not opened.
    o.form->pgcPadrao->SetActivePage(o.form->tshFolhaDados);
    o.form->tshFormulario->SetEnabled(false);
    WidgetDriver::Focus(*o.form->dbgPadrao);
    o.trail.clear();
    PressKey(o.form->dbgPadrao, Qt::Key_Return);
    EXPECT_EQ(o.form->pgcPadrao->ActivePage(), o.form->tshFolhaDados);
    EXPECT_EQ(o.trail, QStringList{QStringLiteral("dbgPadraoKeyDown key=%1").arg(int(Qt::Key_Return))});
}

TEST(StandardForm, SearchMovesToTheRowFoundAndRefreshKeepsTheRow)
{
    ScopedDialogs dialogs;
    Opened o(5);
    dialogs->AnswerFind(QStringLiteral("NOME"), QStringLiteral("produto 4"));
    o.form->sbtProcurar->click();
    EXPECT_EQ(o.Data().FieldByName(QStringLiteral("CODIGO")).AsString(), QStringLiteral("P004"));
    o.form->sbtVerificar->click();
    EXPECT_EQ(o.Data().RecNo(), 4);
    EXPECT_TRUE(dialogs->Errors().isEmpty());
}

TEST(StandardForm, HelpListsTheCommandKeys)
{
    ScopedDialogs dialogs;
    Opened o;
    o.form->sbtAjuda->click();
    ASSERT_EQ(dialogs->Messages().size(), 1);
    const QString text = dialogs->Messages().first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("TST00001 - Produtos"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("F6\tIncluir"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("F9\tGravar"))) << text.toStdString();
}

TEST(StandardForm, PrintsTheFormOntoAPrinter)
{
    Opened o;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("form.pdf")));
    o.form->PrintForm(printer);
    QFile pdf(dir.filePath(QStringLiteral("form.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));
    EXPECT_GT(pdf.size(), 1000);
}

}  // namespace
