// The application object: forms made as MDI children of the host's window, their
// activation, window state and release, dialogs, and the screen cursor.

#include "framework/core/exceptions.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tpagecontrol.h"
#include "tests/forms/test_form.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The host's window with its MDI area, attached to the application object.
class MdiHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        area = new QMdiArea(&window);
        window.setCentralWidget(area);
        window.resize(1000, 700);
        Application().Attach(&window, area);
        ASSERT_TRUE(WidgetDriver::ShowActive(window));
    }
    void TearDown() override
    {
        Application().DestroyForms();
        Application().Detach();
    }

    static void Settle()
    {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }

    int Count(const QStringList& trail, const QString& entry) const { return static_cast<int>(trail.count(entry)); }

    QMainWindow window;
    QMdiArea* area = nullptr;
};

TEST_F(MdiHost, FormsAreMdiChildrenActivatedOnceTheCallerHasReturned)
{
    QStringList trail;
    auto* form = Application().CreateForm<TfrmTeste>(&trail);
    ASSERT_NE(form->MdiWindow(), nullptr);
    EXPECT_TRUE(area->subWindowList().contains(form->MdiWindow()));
    EXPECT_EQ(form->FormSize(), QSize(718, 455));
    EXPECT_TRUE(form->Created());
    form->Show();
    EXPECT_EQ(Count(trail, "FormActivate"), 0) << "not inside the code that showed it";
    Settle();
    EXPECT_EQ(Count(trail, "FormActivate"), 1);
    EXPECT_EQ(Application().Forms(), std::vector<QWidget*>{form});

    // Another child and back: one more activation each way; showing the active one again
    // changes nothing.
    QStringList other;
    auto* second = Application().CreateForm<TfrmTeste>(&other);
    second->Show();
    Settle();
    EXPECT_EQ(Count(other, "FormActivate"), 1);
    form->Show();
    Settle();
    form->Show();
    Settle();
    EXPECT_EQ(Count(trail, "FormActivate"), 2);
    EXPECT_EQ(Count(other, "FormActivate"), 1);
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(MdiHost, FocusMovesInsideTheActiveFormLeaveItsFrameAloneAndActivationStillFollowsTheFocus)
{
    auto* form = Application().CreateForm<TfrmTeste>();
    auto* other = Application().CreateForm<TfrmTeste>();
    form->Show();
    other->Show();
    Settle();
    form->Load(3);
    other->Load(3);
    form->pgcPadrao->SetActivePage(form->tshFormulario);
    other->pgcPadrao->SetActivePage(other->tshFormulario);
    WidgetDriver::Focus(*form->dbeNome);
    Settle();
    ASSERT_EQ(area->activeSubWindow(), form->MdiWindow());

    // Moves between the active form's edits: the frame (title bar and border) is not drawn.
    const PaintCounter frame(*form->MdiWindow());
    for (int i = 0; i < 4; ++i) {
        TDBEdit* to = i % 2 == 0 ? form->dbePreco : form->dbeNome;
        WidgetDriver::Focus(*to);
        Settle();
        EXPECT_TRUE(to->hasFocus());
    }
    EXPECT_EQ(frame.paints, 0);

    // A click into the other form's edit makes its window the active one, and both frames
    // are drawn in their new state.
    const PaintCounter otherFrame(*other->MdiWindow());
    WidgetDriver::Focus(*other->dbePreco);
    Settle();
    EXPECT_EQ(area->activeSubWindow(), other->MdiWindow());
    EXPECT_TRUE(other->dbePreco->hasFocus());
    EXPECT_GT(frame.paints, 0);
    EXPECT_GT(otherFrame.paints, 0);

    // The window itself given the focus (as its title bar does) passes it on to its form.
    form->MdiWindow()->setFocus(Qt::MouseFocusReason);
    Settle();
    EXPECT_EQ(area->activeSubWindow(), form->MdiWindow());
    EXPECT_TRUE(form->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(MdiHost, AFormLeftForAnotherWindowIsActiveAgainWhenItsControlGetsTheFocusBack)
{
    auto* form = Application().CreateForm<TfrmTeste>();
    form->Show();
    Settle();
    form->Load(3);
    form->pgcPadrao->SetActivePage(form->tshFormulario);
    WidgetDriver::Focus(*form->dbeNome);
    Settle();
    ASSERT_TRUE(form->MdiWindow()->windowState().testFlag(Qt::WindowActive));

    // Another top-level window takes the focus, then the operator comes back by a click
    // on one of the form's edits.
    QWidget elsewhere;
    elsewhere.resize(200, 100);
    ASSERT_TRUE(WidgetDriver::ShowActive(elsewhere));
    Settle();
    ASSERT_TRUE(WidgetDriver::ShowActive(window));
    WidgetDriver::Focus(*form->dbePreco);
    Settle();
    EXPECT_TRUE(form->dbePreco->hasFocus());
    EXPECT_EQ(area->activeSubWindow(), form->MdiWindow());
    EXPECT_TRUE(form->MdiWindow()->windowState().testFlag(Qt::WindowActive));
}

TEST_F(MdiHost, WindowStateAppliesToTheMdiWindowAndActivationSeesTheFinalState)
{
    QStringList trail;
    auto* form = Application().CreateForm<TfrmTeste>(&trail);
    // As a module opening its screen does: show, restore, and let the first activation
    // decide the size.
    form->OnActivate = [form](QObject&) { form->SetWindowState(TfrmPadrao::TWindowState::Maximized); };
    form->Show();
    form->SetWindowState(TfrmPadrao::TWindowState::Normal);
    Settle();
    EXPECT_EQ(form->WindowState(), TfrmPadrao::TWindowState::Maximized);
    EXPECT_TRUE(form->MdiWindow()->isMaximized());

    form->OnActivate = nullptr;
    form->SetWindowState(TfrmPadrao::TWindowState::Minimized);
    EXPECT_TRUE(form->MdiWindow()->isMinimized());
    form->Show();
    form->SetWindowState(TfrmPadrao::TWindowState::Normal);
    EXPECT_EQ(form->WindowState(), TfrmPadrao::TWindowState::Normal);
    EXPECT_EQ(form->FormSize(), QSize(718, 455));
}

TEST_F(MdiHost, ClosingReleasesTheChildAndItsWindow)
{
    QStringList trail;
    const QPointer<TfrmTeste> form = Application().CreateForm<TfrmTeste>(&trail);
    const QPointer<QMdiSubWindow> frame = form->MdiWindow();
    form->Show();
    Settle();
    frame->close();  // the window's close button
    EXPECT_TRUE(trail.contains("FormClose before base free=off")) << "an MDI child would minimise by default";
    EXPECT_TRUE(trail.contains("FormClose after base free=on"));
    Settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(frame.isNull());
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_EQ(Application().FormCount(), 0);
}

TEST_F(MdiHost, ACloseHandlerMayMinimiseOrHideInstead)
{
    QStringList trail;
    auto* form = Application().CreateForm<TfrmTeste>(&trail);
    form->Show();
    Settle();
    form->OnFormClose = [](TfrmPadrao::TCloseAction& action) { action = TfrmPadrao::TCloseAction::Minimize; };
    EXPECT_FALSE(form->Close());
    EXPECT_TRUE(form->MdiWindow()->isMinimized());

    form->OnFormClose = [](TfrmPadrao::TCloseAction& action) { action = TfrmPadrao::TCloseAction::Hide; };
    EXPECT_TRUE(form->Close());
    EXPECT_FALSE(form->MdiWindow()->isVisible());
    form->Show();  // comes back whole
    EXPECT_TRUE(form->MdiWindow()->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Application().FormCount(), 1);
}

TEST_F(MdiHost, CloseFormsRunsEveryCloseHandlerAndReportsARefusal)
{
    QStringList first, second;
    auto* keeper = Application().CreateForm<TfrmTeste>(&first);
    Application().CreateForm<TfrmTeste>(&second);
    keeper->OnFormClose = [](TfrmPadrao::TCloseAction& action) { action = TfrmPadrao::TCloseAction::None; };
    EXPECT_FALSE(Application().CloseForms());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Application().Forms(), std::vector<QWidget*>{keeper});
    EXPECT_TRUE(second.contains("FormClose after base free=on"));
}

TEST_F(MdiHost, DialogsAreWindowsOfTheirOwnOverTheMainWindow)
{
    auto* dialog = Application().CreateForm<QDialog>();
    EXPECT_EQ(dialog->parentWidget(), &window);
    EXPECT_TRUE(dialog->isWindow());
    EXPECT_EQ(TApplicationHost::MdiWindowOf(*dialog), nullptr);
    EXPECT_EQ(Application().FormCount(), 1);
}

TEST(ApplicationHost, WithoutAnMdiAreaFormsAreTopLevelWindows)
{
    QStringList trail;
    auto* form = Application().CreateForm<TfrmTeste>(&trail);
    EXPECT_EQ(form->MdiWindow(), nullptr);
    EXPECT_TRUE(form->isWindow());
    EXPECT_FALSE(form->isVisible()) << "a top-level form waits for Show";
    ASSERT_TRUE(WidgetDriver::ShowActive(*form));
    QCoreApplication::processEvents();
    EXPECT_EQ(trail.count("FormActivate"), 1);
    Application().DestroyForms();
}

TEST(ScreenCursor, IsASettingNotAStack)
{
    Screen().SetCursor(TCursor::HourGlass);
    Screen().SetCursor(TCursor::HourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen().SetCursor(TCursor::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Screen().Cursor(), TCursor::Default);

    // The scope puts the cursor back on every way out.
    const auto failing = [] {
        TScreenCursorScope busy;
        EXPECT_EQ(Screen().Cursor(), TCursor::HourGlass);
        throw Exception(QStringLiteral("falhou"));
    };
    EXPECT_THROW(failing(), Exception);
    EXPECT_EQ(Screen().Cursor(), TCursor::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
