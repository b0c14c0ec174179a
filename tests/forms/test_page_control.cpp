// The page control: pages chosen by code and by the operator, disabled tabs, OnChange.

#include "framework/core/exceptions.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Three pages, an edit on the first, and a panel with an edit outside the pages.
struct Pages {
    QWidget window;
    TPanel* panel;
    TEdit* outside;
    TCustomPageControl98* pages;
    TTabSheet* first;
    TTabSheet* second;
    TTabSheet* third;
    TEdit* onFirst;
    QStringList changes;

    Pages()
    {
        auto* layout = new QVBoxLayout(&window);
        panel = new TPanel(&window);
        outside = new TEdit(panel);
        (new QVBoxLayout(panel))->addWidget(outside);
        pages = new TCustomPageControl98(&window);
        first = new TTabSheet(*pages, QStringLiteral("Primeira"));
        second = new TTabSheet(*pages, QStringLiteral("Segunda"));
        third = new TTabSheet(*pages, QStringLiteral("Terceira"));
        onFirst = new TEdit(first);
        first->Layout().addWidget(onFirst);
        layout->addWidget(panel);
        layout->addWidget(pages);
        window.resize(400, 300);
        pages->OnChange = [this](QObject&) { changes << pages->ActivePage()->Caption(); };
    }

    void ClickTab(int index)
    {
        QTabBar& tabs = pages->Tabs();
        QTest::mouseClick(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.tabRect(index).center());
        QCoreApplication::processEvents();
    }
};

TEST(PageControl, CodeAndOperatorChangesFireOnChangeOnlyWhenThePageChanges)
{
    Pages p;
    ASSERT_TRUE(WidgetDriver::ShowActive(p.window));
    EXPECT_EQ(p.pages->ActivePage(), p.first);

    p.pages->SetActivePage(p.second);
    p.pages->SetActivePage(p.second);
    EXPECT_EQ(p.changes, QStringList{"Segunda"});
    EXPECT_EQ(p.pages->Tabs().currentIndex(), 1);

    p.ClickTab(2);
    EXPECT_EQ(p.pages->ActivePage(), p.third);
    EXPECT_EQ(p.changes, (QStringList{"Segunda", "Terceira"}));
}

TEST(PageControl, TheOperatorCannotChooseADisabledPageButCodeCan)
{
    Pages p;
    ASSERT_TRUE(WidgetDriver::ShowActive(p.window));
    p.second->SetEnabled(false);
    EXPECT_TRUE(p.onFirst->isEnabled()) << "other pages keep their controls";

    p.ClickTab(1);
    EXPECT_EQ(p.pages->ActivePage(), p.first);
    EXPECT_TRUE(p.changes.isEmpty());

    // Keys step over it.
    p.pages->Tabs().setFocus();
    QTest::keyClick(&p.pages->Tabs(), Qt::Key_Right);
    EXPECT_EQ(p.pages->ActivePage(), p.third);
    QTest::keyClick(&p.pages->Tabs(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(p.pages->ActivePage(), p.first);
    EXPECT_EQ(p.changes, (QStringList{"Terceira", "Primeira"}));

    // Code selects it, and disabling the active page keeps it active.
    p.pages->SetActivePage(p.second);
    EXPECT_EQ(p.pages->ActivePage(), p.second);
    p.pages->SetActivePage(p.first);
    p.first->SetEnabled(false);
    EXPECT_EQ(p.pages->ActivePage(), p.first);
    EXPECT_FALSE(p.onFirst->isEnabled());
    ASSERT_TRUE(p.pages->SelectNextPage(true));
    EXPECT_EQ(p.pages->ActivePage(), p.third) << "from a disabled page, over a disabled one";
}

TEST(PageControl, ADisabledActivePageIsTheOneTheTabsShowSelected)
{
    Pages p;
    p.pages->SetActivePage(p.second);
    p.second->SetEnabled(false);
    ASSERT_TRUE(WidgetDriver::ShowActive(p.window));
    EXPECT_EQ(p.pages->ActivePage(), p.second);
    EXPECT_EQ(p.pages->Tabs().currentIndex(), 1);
    EXPECT_TRUE(p.second->isVisible());
    EXPECT_FALSE(p.first->isVisible());
}

TEST(PageControl, AFailingChangeHandlerReachesCodeButNotTheEventLoop)
{
    ScopedDialogs dialogs;
    Pages p;
    ASSERT_TRUE(WidgetDriver::ShowActive(p.window));
    p.pages->OnChange = [](QObject&) { throw Exception(QStringLiteral("servidor fora do ar")); };
    EXPECT_THROW(p.pages->SetActivePage(p.second), Exception);
    EXPECT_EQ(p.pages->ActivePage(), p.second) << "the page stays changed";
    p.ClickTab(2);
    EXPECT_EQ(p.pages->ActivePage(), p.third);
    EXPECT_EQ(dialogs->Errors(), QStringList{"servidor fora do ar"});
}

TEST(PageControl, LeavingThePageWithTheFocusGivesItToTheTabsNotToAnotherGroup)
{
    Pages p;
    ASSERT_TRUE(WidgetDriver::ShowActive(p.window));
    int panelEnters = 0;
    p.panel->OnEnter = [&](QObject&) { ++panelEnters; };
    WidgetDriver::Focus(*p.onFirst);
    ASSERT_EQ(QApplication::focusWidget(), p.onFirst);

    p.pages->SetActivePage(p.second);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), &p.pages->Tabs());
    EXPECT_EQ(panelEnters, 0);
}

TEST(PageControl, HiddenTabsAreNeitherShownNorChosen)
{
    Pages p;
    ASSERT_TRUE(WidgetDriver::ShowActive(p.window));
    p.second->SetTabVisible(false);
    EXPECT_FALSE(p.pages->Tabs().isTabVisible(1));
    p.pages->SetActivePage(p.second);
    EXPECT_EQ(p.pages->ActivePage(), p.first);
    ASSERT_TRUE(p.pages->SelectNextPage(true));
    EXPECT_EQ(p.pages->ActivePage(), p.third);
    p.second->SetCaption(QStringLiteral("Outra"));
    EXPECT_EQ(p.pages->Tabs().tabText(1), QStringLiteral("Outra"));
}

}  // namespace
