// The event guard: what reaches the operator when a handler fails, and when a failure goes
// back to the code that caused it instead.

#include "framework/core/exceptions.h"
#include "framework/ui/guard.h"
#include "framework/ui/tbitbtn.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tspeedbutton.h"
#include "tests/support/gui/scripted_dialogs.h"

#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Guard, SilentAbortEndsQuietlyAndOtherFailuresAreShownOnceWithTheirText)
{
    ScopedDialogs dialogs;
    EXPECT_TRUE(Guard::Run([] {}));
    EXPECT_FALSE(Guard::Run([] { Abort(); }));
    EXPECT_TRUE(dialogs->Shown().empty());

    EXPECT_FALSE(Guard::Run([] { throw EServerError(QStringLiteral("Servidor indisponível")); }));
    EXPECT_FALSE(Guard::Run([] { throw std::runtime_error("falha de leitura"); }));
    EXPECT_FALSE(Guard::Run([] { throw 42; }));
    EXPECT_EQ(dialogs->Errors(), (QStringList{"Servidor indisponível", "falha de leitura", "Erro inesperado."}));
}

TEST(Guard, AFailingErrorDisplayDoesNotEscape)
{
    class BrokenDialogs : public ScriptedDialogs {
    public:
        void ShowError(const QString&) override { throw std::runtime_error("display gone"); }
    };
    auto previous = SetDialogs(std::make_unique<BrokenDialogs>());
    const bool completed = Guard::Run([] { throw Exception(QStringLiteral("x")); });
    SetDialogs(std::move(previous));
    EXPECT_FALSE(completed);
}

TEST(Guard, TypedChangeFailureIsShownOnceAndTheTextStays)
{
    ScopedDialogs dialogs;
    TEdit edit;
    int changes = 0;
    edit.OnChange = [&](QObject& sender) {
        ++changes;
        EXPECT_EQ(&sender, &edit);
        if (edit.Text() == QStringLiteral("ab")) throw Exception(QStringLiteral("Código inválido."));
    };
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(edit.Text(), QStringLiteral("abc"));
    EXPECT_EQ(dialogs->Errors(), QStringList{"Código inválido."});
}

TEST(Guard, ChangeFailureCausedByCodeGoesBackToTheCaller)
{
    ScopedDialogs dialogs;
    TEdit code;
    TEdit name;
    name.SetText(QStringLiteral("Filial Centro"));
    bool refuse = true;
    // As a form's change chain: changing the code clears the name, whose handler refuses.
    code.OnChange = [&](QObject&) { name.Clear(); };
    name.OnChange = [&](QObject&) {
        if (refuse) throw Exception(QStringLiteral("nome bloqueado"));
    };
    try {
        code.SetText(QStringLiteral("0001"));
        ADD_FAILURE() << "the failure of the chain must reach the caller";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("nome bloqueado"));
    }
    EXPECT_TRUE(dialogs->Shown().empty());
    EXPECT_EQ(code.Text(), QStringLiteral("0001"));
    EXPECT_EQ(name.Text(), QString());

    // The failure is not kept for a later call.
    refuse = false;
    name.SetText(QStringLiteral("Filial Norte"));
    EXPECT_NO_THROW(code.SetText(QStringLiteral("0002")));

    // The same chain started by the operator's typing is shown once.
    name.SetText(QStringLiteral("Filial Sul"));
    refuse = true;
    QTest::keyClicks(&code, QStringLiteral("3"));
    EXPECT_EQ(dialogs->Errors(), QStringList{"nome bloqueado"});
}

TEST(Guard, OnChangeFiresForRealChangesOnly)
{
    TEdit edit;
    QStringList seen;
    edit.OnChange = [&](QObject&) { seen << edit.Text(); };
    edit.SetText(QStringLiteral("GRU"));
    edit.SetText(QStringLiteral("GRU"));
    edit.Clear();
    edit.Clear();
    EXPECT_EQ(seen, (QStringList{"GRU", ""}));
}

TEST(Guard, ButtonClicksRunThroughTheGuardAndClickByCodeRaises)
{
    ScopedDialogs dialogs;
    TSpeedButton speed;
    TBitBtn bit(QStringLiteral("Imprimir"), nullptr);
    int ran = 0;
    speed.OnClick = [&](QObject&) {
        ++ran;
        throw Exception(QStringLiteral("Nada a imprimir."));
    };
    bit.OnClick = speed.OnClick;
    speed.show();
    bit.show();
    QTest::mouseClick(&speed, Qt::LeftButton);
    QTest::mouseClick(&bit, Qt::LeftButton);
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(dialogs->Errors(), (QStringList{"Nada a imprimir.", "Nada a imprimir."}));

    EXPECT_THROW(speed.Click(), Exception);
    EXPECT_THROW(bit.Click(), Exception);
    EXPECT_EQ(dialogs->Errors().size(), 2);
}

}  // namespace
