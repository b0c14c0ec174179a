// Focus vetoes and the enter/exit events of controls and panels, on a small form driven with
// real keys and clicks.

// Mouse clicks take the window system's path (window first, then the control), as a real
// click does.
#define QTEST_QPA_MOUSE_HANDLING

#include "framework/core/exceptions.h"
#include "framework/ui/focus_tracker.h"
#include "framework/ui/tbitbtn.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tpanel.h"
#include "framework/units/consiste.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// before | panel [ a1 a2 ] | after | button, in this tab order.
struct FocusForm {
    QWidget window;
    TEdit* before = nullptr;
    TPanel* panel = nullptr;
    TEdit* a1 = nullptr;
    TEdit* a2 = nullptr;
    TEdit* after = nullptr;
    TBitBtn* button = nullptr;
    QStringList log;
    int clicks = 0;

    FocusForm()
    {
        auto* layout = new QVBoxLayout(&window);
        before = new TEdit(&window);
        panel = new TPanel(&window);
        auto* inner = new QVBoxLayout(panel);
        a1 = new TEdit(panel);
        a2 = new TEdit(panel);
        inner->addWidget(a1);
        inner->addWidget(a2);
        after = new TEdit(&window);
        button = new TBitBtn(QStringLiteral("OK"), &window);
        layout->addWidget(before);
        layout->addWidget(panel);
        layout->addWidget(after);
        layout->addWidget(button);
        QWidget::setTabOrder(before, a1);
        QWidget::setTabOrder(a1, a2);
        QWidget::setTabOrder(a2, after);
        QWidget::setTabOrder(after, button);
        for (auto [edit, name] : {std::pair{before, "before"}, {a1, "a1"}, {a2, "a2"}, {after, "after"}}) {
            const QString n = QString::fromLatin1(name);
            edit->OnEnter = [this, n](QObject&) { log << n + QStringLiteral(".enter"); };
            edit->OnExit = [this, n](QObject&) { log << n + QStringLiteral(".exit"); };
        }
        panel->OnEnter = [this](QObject&) { log << QStringLiteral("panel.enter"); };
        panel->OnExit = [this](QObject&) { log << QStringLiteral("panel.exit"); };
        button->OnClick = [this](QObject&) { ++clicks; };
    }

    bool Start(QWidget* first)
    {
        if (!WidgetDriver::ShowActive(window)) return false;
        first->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        log.clear();
        return QApplication::focusWidget() == first;
    }

    static void Tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    static void BackTab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier); }
};

TEST(FocusEvents, PanelFiresOncePerGroupEntryAndExitInTheRightOrder)
{
    FocusForm f;
    ASSERT_TRUE(f.Start(f.before));

    FocusForm::Tab();  // before -> a1: into the panel
    FocusForm::Tab();  // a1 -> a2: inside the panel
    FocusForm::Tab();  // a2 -> after: out of the panel
    EXPECT_EQ(QApplication::focusWidget(), f.after);
    EXPECT_EQ(f.log, (QStringList{"before.exit", "panel.enter", "a1.enter", "a1.exit", "a2.enter", "a2.exit",
                                  "panel.exit", "after.enter"}));

    f.log.clear();
    FocusForm::BackTab();  // after -> a2: back into the panel
    EXPECT_EQ(f.log, (QStringList{"after.exit", "panel.enter", "a2.enter"}));
}

TEST(FocusEvents, ControlExitThatRaisesKeepsTheFocusAndShowsTheErrorOnce)
{
    ScopedDialogs dialogs;
    FocusForm f;
    int exits = 0;
    f.a1->OnExit = [&](QObject&) {
        ++exits;
        if (f.a1->Text().isEmpty()) Consiste::MensErro(QStringLiteral("Campo deve ser informado."), true);
    };
    ASSERT_TRUE(f.Start(f.a1));

    FocusForm::Tab();
    EXPECT_EQ(QApplication::focusWidget(), f.a1);
    EXPECT_EQ(exits, 1) << "restoring the focus must not run the exit again";
    EXPECT_EQ(dialogs->Errors(), QStringList{"Campo deve ser informado."});
    EXPECT_FALSE(f.log.contains("a2.enter"));
    EXPECT_FALSE(f.log.contains("panel.exit"));

    // A click elsewhere is refused the same way, and the clicked button does not click.
    QTest::mouseClick(f.button, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), f.a1);
    EXPECT_EQ(f.clicks, 0);
    EXPECT_EQ(exits, 2);

    // Once the field is filled the operator moves on, and the button clicks.
    QTest::keyClicks(f.a1, QStringLiteral("x"));
    QTest::mouseClick(f.button, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), f.button);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(dialogs->Errors().size(), 2);
}

TEST(FocusEvents, SilentAbortInExitKeepsTheFocusWithoutAMessage)
{
    ScopedDialogs dialogs;
    FocusForm f;
    f.a2->OnExit = [](QObject&) { Abort(); };
    ASSERT_TRUE(f.Start(f.a2));
    FocusForm::Tab();
    EXPECT_EQ(QApplication::focusWidget(), f.a2);
    EXPECT_TRUE(dialogs->Shown().empty());
}

TEST(FocusEvents, ExitHandlerThatMovedTheFocusBeforeRaisingKeepsItThere)
{
    ScopedDialogs dialogs;
    FocusForm f;
    f.a2->OnExit = [&](QObject&) {
        f.a1->SetFocus();
        Consiste::MensErro(QStringLiteral("Verifique o primeiro campo."), true);
    };
    ASSERT_TRUE(f.Start(f.a2));
    FocusForm::Tab();  // a2 -> after, refused by a2 after focusing a1
    EXPECT_EQ(QApplication::focusWidget(), f.a1);
    EXPECT_EQ(dialogs->Errors().size(), 1);
    // The operator is still inside the panel: no panel event fired, and leaving a1 for a2
    // later is an ordinary move inside it.
    EXPECT_FALSE(f.log.contains("panel.exit"));
    EXPECT_FALSE(f.log.contains("panel.enter"));
    f.log.clear();
    FocusForm::Tab();
    EXPECT_EQ(QApplication::focusWidget(), f.a2);
    EXPECT_EQ(f.log, (QStringList{"a1.exit", "a2.enter"}));
}

TEST(FocusEvents, PanelExitRefusedReturnsToTheControlLeftOrStaysWhereTheHandlerPutIt)
{
    ScopedDialogs dialogs;
    FocusForm f;
    bool moveFirst = false;
    int panelExits = 0;
    f.panel->OnExit = [&](QObject&) {
        ++panelExits;
        if (moveFirst) f.a1->SetFocus();
        Consiste::MensErro(QStringLiteral("Filtro incompleto."), true);
    };
    ASSERT_TRUE(f.Start(f.a2));

    FocusForm::Tab();  // a2 -> after: the panel refuses, nothing moved the focus
    EXPECT_EQ(QApplication::focusWidget(), f.a2);
    EXPECT_EQ(panelExits, 1);
    EXPECT_TRUE(f.log.contains("a2.exit")) << "the control's own exit runs before the panel's";
    EXPECT_FALSE(f.log.contains("after.enter"));

    moveFirst = true;
    QTest::mouseClick(f.after, Qt::LeftButton);  // refused again, the handler chose a1
    EXPECT_EQ(QApplication::focusWidget(), f.a1);
    EXPECT_EQ(panelExits, 2);
    EXPECT_EQ(dialogs->Errors().size(), 2);

    // Within the panel nothing asks the panel.
    FocusForm::Tab();
    EXPECT_EQ(QApplication::focusWidget(), f.a2);
    EXPECT_EQ(panelExits, 2);
}

TEST(FocusEvents, ControlExitRefusalStopsBeforeThePanelExit)
{
    ScopedDialogs dialogs;
    FocusForm f;
    f.a2->OnExit = [](QObject&) { throw Exception(QStringLiteral("Valor inválido.")); };
    ASSERT_TRUE(f.Start(f.a2));
    FocusForm::Tab();
    EXPECT_EQ(QApplication::focusWidget(), f.a2);
    EXPECT_FALSE(f.log.contains("panel.exit"));
    EXPECT_EQ(dialogs->Errors(), QStringList{"Valor inválido."});
}

TEST(FocusEvents, AnotherWindowTakingTheFocusFiresNothing)
{
    ScopedDialogs dialogs;
    FocusForm f;
    ASSERT_TRUE(f.Start(f.a1));

    QWidget other;
    auto* otherEdit = new TEdit(&other);
    ASSERT_TRUE(WidgetDriver::ShowActive(other));
    otherEdit->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.log.isEmpty());

    ASSERT_TRUE(WidgetDriver::ShowActive(f.window));
    EXPECT_EQ(QApplication::focusWidget(), f.a1);
    EXPECT_TRUE(f.log.isEmpty()) << "coming back to the same control is no move";

    FocusForm::Tab();
    EXPECT_EQ(f.log, (QStringList{"a1.exit", "a2.enter"}));
}

TEST(FocusEvents, MovesMadeByCodeAreCheckedToo)
{
    ScopedDialogs dialogs;
    FocusForm f;
    f.a1->OnExit = [](QObject&) { Abort(); };
    ASSERT_TRUE(f.Start(f.a1));
    const quint64 vetoes = TFocusTracker::Install().VetoCount();
    f.after->SetFocus();
    EXPECT_EQ(QApplication::focusWidget(), f.a1);
    EXPECT_EQ(TFocusTracker::Install().VetoCount(), vetoes + 1);
}

TEST(FocusEvents, FailingEnterIsShownButDoesNotMoveTheFocusBack)
{
    ScopedDialogs dialogs;
    FocusForm f;
    f.panel->OnEnter = [](QObject&) { throw std::runtime_error("lista indisponível"); };
    ASSERT_TRUE(f.Start(f.before));
    FocusForm::Tab();
    EXPECT_EQ(QApplication::focusWidget(), f.a1);
    EXPECT_EQ(dialogs->Errors(), QStringList{"lista indisponível"});
    EXPECT_FALSE(f.log.contains("a1.enter")) << "inner enters are skipped after a failure";
    // The panel counts as entered: leaving it fires its exit.
    f.log.clear();
    f.after->SetFocus();
    EXPECT_EQ(f.log, (QStringList{"a1.exit", "panel.exit", "after.enter"}));
}

TEST(FocusEvents, SwitchingBetweenMdiChildrenFiresNothing)
{
    QMdiArea area;
    auto* first = new QWidget;
    auto* second = new QWidget;
    auto* firstEdit = new TEdit(first);
    auto* secondEdit = new TEdit(second);
    (void)new QVBoxLayout(first);
    first->layout()->addWidget(firstEdit);
    (void)new QVBoxLayout(second);
    second->layout()->addWidget(secondEdit);
    QStringList log;
    firstEdit->OnExit = [&](QObject&) { log << QStringLiteral("first.exit"); };
    secondEdit->OnEnter = [&](QObject&) { log << QStringLiteral("second.enter"); };
    QMdiSubWindow* firstWindow = area.addSubWindow(first);
    QMdiSubWindow* secondWindow = area.addSubWindow(second);
    ASSERT_TRUE(WidgetDriver::ShowActive(area));
    area.setActiveSubWindow(firstWindow);
    firstEdit->setFocus();
    QCoreApplication::processEvents();
    log.clear();

    area.setActiveSubWindow(secondWindow);
    secondEdit->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), secondEdit);
    EXPECT_FALSE(log.contains("first.exit")) << "another form took the focus, not another control";
}

}  // namespace
