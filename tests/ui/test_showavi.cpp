// The busy indicator: shown over the right window, captioned, hidden on every way out.

#include "framework/core/exceptions.h"
#include "framework/ui/busy_overlay.h"
#include "framework/units/showavi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Windows {
    QMainWindow main;
    QWidget form;

    Windows()
    {
        main.resize(640, 480);
        form.resize(300, 200);
        main.show();
        form.show();
    }
    ~Windows() { Showavi::DeactiveShowAvi(); }
};

TBusyOverlay* OverlayOf(QWidget& window)
{
    return window.findChild<TBusyOverlay*>(QString(), Qt::FindDirectChildrenOnly);
}

TEST(Showavi, CaptionedOverAFormAndWithoutTextOverTheMainWindow)
{
    Windows w;
    Showavi::ActiveShowAvi(&w.form, 1, QStringLiteral("Calculando Preço ..."));
    EXPECT_TRUE(Showavi::IsShowing());
    EXPECT_EQ(Showavi::Caption(), QStringLiteral("Calculando Preço ..."));
    EXPECT_EQ(Showavi::Target(), &w.form);
    ASSERT_NE(OverlayOf(w.form), nullptr);
    // A short wait shows nothing; one that lasts shows the veil over the whole form.
    EXPECT_FALSE(OverlayOf(w.form)->isVisible());
    QElapsedTimer waited;
    waited.start();
    while (!OverlayOf(w.form)->isVisible() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(OverlayOf(w.form)->isVisible());
    EXPECT_GE(waited.elapsed(), 100);
    EXPECT_EQ(OverlayOf(w.form)->geometry(), w.form.rect()) << "it covers the whole form";

    Showavi::DeactiveShowAvi();
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(Showavi::Caption(), QString());

    Showavi::ActiveShowAvi(&w.main, 6, QStringLiteral("ignored"));
    EXPECT_TRUE(Showavi::IsShowing());
    EXPECT_EQ(Showavi::Target(), &w.main);
    EXPECT_EQ(Showavi::Caption(), QString());
    Showavi::DeactiveShowAvi();
    Showavi::DeactiveShowAvi();  // hiding twice is harmless
    EXPECT_FALSE(Showavi::IsShowing());
}

TEST(Showavi, SecondActivationChangesTheCaptionAndOneDeactivationHides)
{
    Windows w;
    Showavi::ActiveShowAvi(&w.form, 1, QStringLiteral("Atualizando no Servidor ..."));
    TBusyOverlay* first = OverlayOf(w.form);
    Showavi::ActiveShowAvi(&w.form, 1, QStringLiteral("Recalculando valores da delivery ..."));
    EXPECT_EQ(OverlayOf(w.form), first) << "the same indicator, recaptioned";
    EXPECT_EQ(first->Caption(), QStringLiteral("Recalculando valores da delivery ..."));
    Showavi::DeactiveShowAvi();
    EXPECT_FALSE(Showavi::IsShowing());

    // Moving to another window leaves nothing over the first one.
    Showavi::ActiveShowAvi(&w.form, 1, QStringLiteral("a"));
    Showavi::ActiveShowAvi(&w.main, 6);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(OverlayOf(w.form), nullptr);
    EXPECT_EQ(Showavi::Target(), &w.main);
}

TEST(Showavi, ScopeHidesOnEveryWayOutAndGivesBackWhatWasShowing)
{
    Windows w;
    try {
        Showavi::TShowAviScope busy(&w.main, 6);
        EXPECT_TRUE(Showavi::IsShowing());
        throw EServerError(QStringLiteral("Servidor indisponível"));
    } catch (const EServerError&) {}
    EXPECT_FALSE(Showavi::IsShowing());

    Showavi::ActiveShowAvi(&w.form, 1, QStringLiteral("Atualizando no Servidor ..."));
    {
        // A list reload inside a save: its own indicator, then the save's one again.
        Showavi::TShowAviScope reload(&w.main, 6);
        EXPECT_EQ(Showavi::Target(), &w.main);
        {
            Showavi::TShowAviScope inner(&w.main, 6);
        }
        EXPECT_EQ(Showavi::Target(), &w.main) << "the inner scope gives back the outer one";
    }
    EXPECT_TRUE(Showavi::IsShowing());
    EXPECT_EQ(Showavi::Target(), &w.form);
    EXPECT_EQ(Showavi::Caption(), QStringLiteral("Atualizando no Servidor ..."));
    Showavi::DeactiveShowAvi();
    EXPECT_FALSE(Showavi::IsShowing());
}

TEST(Showavi, DestroyedWindowTakesTheIndicatorWithIt)
{
    auto form = std::make_unique<QWidget>();
    form->show();
    Showavi::ActiveShowAvi(form.get(), 1, QStringLiteral("Verificando Valores do Serviço ..."));
    ASSERT_TRUE(Showavi::IsShowing());
    form.reset();
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(Showavi::Target(), nullptr);
    Showavi::DeactiveShowAvi();
    {
        // A scope that outlives its window has nothing to give back.
        auto other = std::make_unique<QWidget>();
        other->show();
        Showavi::TShowAviScope busy(other.get(), 1, QStringLiteral("x"));
        other.reset();
    }
    EXPECT_FALSE(Showavi::IsShowing());
}

TEST(Showavi, AnimationMovesWhileTheEventLoopRunsWithoutUserInput)
{
    Windows w;
    Showavi::ActiveShowAvi(&w.form, 1, QStringLiteral("Calculando Preço ..."));
    TBusyOverlay* overlay = OverlayOf(w.form);
    ASSERT_NE(overlay, nullptr);
    const int before = overlay->Frame();
    // What a blocking server call does while it waits.
    QElapsedTimer clock;
    clock.start();
    while (overlay->Frame() < before + 3 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(overlay->Frame(), before + 3);
    // A control added to the form later stays under the veil.
    auto* late = new QWidget(&w.form);
    late->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.form.children().last(), overlay) << "the veil is raised above new controls";
}

}  // namespace
