// Message tables and the Consiste helpers that reach the operator or the controls.

#include "framework/core/exceptions.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tpanel.h"
#include "framework/units/consiste.h"
#include "framework/units/messages.h"
#include "tests/support/gui/scripted_dialogs.h"

#include <QGroupBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const QString kInter = QStringLiteral(
    "Geração interrompida. Existe mais de um intervalo cadastrado para a quantidade de passageiros "
    "para a companhia '%s'. Verifique a tabela de preço proporcional e tente novamente.\r\n");

TEST(Messages, LookupIgnoresKeyCaseAndKeepsTextsByteForByte)
{
    const QString preDa = QStringLiteral(
        "Geração interrompida. O serviço '%s' não possui preço  cadastrado para esta data ou possui "
        "preço zero.\r\nVerifique se existe tabela de preço cadastrada para este serviço.");
    TMessages table(
        {QStringLiteral("FILIAL_ni|Filial deve ser informada."), QStringLiteral("Evoo_Inter|") + kInter,
         QStringLiteral("Eser_PreDa|") + preDa,
         QStringLiteral("mb_OK|Serão marcadas apenas as deliveries da companhia "),
         QStringLiteral("manutpreco<>Zero|Manutenção de preço deve ser diferente de zero."),
         QStringLiteral("NUMERACAO|Emissão cancelada. Não há numeração disponível."), QStringLiteral("Pipe|a|b")},
        nullptr);
    EXPECT_EQ(table.Count(), 7);
    EXPECT_EQ(table.Msg(QStringLiteral("FILIAL_ni")), QStringLiteral("Filial deve ser informada."));
    EXPECT_EQ(table.Msg(QStringLiteral("Evoo_Inter")), kInter);
    EXPECT_EQ(table.Msg(QStringLiteral("Eser_PreDa")), preDa);
    EXPECT_TRUE(table.Msg(QStringLiteral("mb_OK")).endsWith(QStringLiteral("companhia ")));
    EXPECT_EQ(table.Msg(QStringLiteral("manutpreco<>Zero")),
              QStringLiteral("Manutenção de preço deve ser diferente de zero."));
    EXPECT_EQ(table.Msg(QStringLiteral("Numeracao")), table.Msg(QStringLiteral("NUMERACAO")));
    EXPECT_EQ(table.Msg(QStringLiteral("filial_NI")), QStringLiteral("Filial deve ser informada."));
    EXPECT_EQ(table.Msg(QStringLiteral("Pipe")), QStringLiteral("a|b")) << "the key ends at the first bar";
    EXPECT_EQ(table.Msg(QStringLiteral("NaoExiste")), QStringLiteral("NaoExiste"));
    EXPECT_FALSE(table.Contains(QStringLiteral("NaoExiste")));
    EXPECT_EQ(table.Entries()[1], QStringLiteral("Evoo_Inter|") + kInter);
}

TEST(Messages, FirstOfTwoKeysDifferingInCaseWinsAndALineWithoutBarIsAKey)
{
    TMessages table(
        {QStringLiteral("Excl|Confirma exclusão?"), QStringLiteral("EXCL|outra"), QStringLiteral("SemTexto")}, nullptr);
    EXPECT_EQ(table.Msg(QStringLiteral("excl")), QStringLiteral("Confirma exclusão?"));
    EXPECT_TRUE(table.Contains(QStringLiteral("SemTexto")));
    EXPECT_EQ(table.Msg(QStringLiteral("SemTexto")), QString());
    table.SetEntries({});
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Msg(QStringLiteral("Excl")), QStringLiteral("Excl"));
}

TEST(Messages, ShowMsgAsksThroughTheDialogsServiceAndReturnsTheAnswer)
{
    ScopedDialogs dialogs;
    QObject form;
    auto* table = new TMessages({QStringLiteral("Canc|Cancelar operação?")}, &form);
    dialogs->AnswerMessage(TModalResult::No);
    dialogs->AnswerMessage(TModalResult::Yes);
    EXPECT_EQ(table->ShowMsg(QStringLiteral("Canc"), TMsgDlgType::Confirmation, mbYes | mbNo, 0), TModalResult::No);
    EXPECT_EQ(table->ShowMsg(QStringLiteral("canc"), TMsgDlgType::Confirmation, mbYes | mbNo, 0), TModalResult::Yes);
    ASSERT_EQ(dialogs->Shown().size(), 2u);
    EXPECT_EQ(dialogs->Shown()[0].text, QStringLiteral("Cancelar operação?"));
    EXPECT_EQ(dialogs->Shown()[0].type, TMsgDlgType::Confirmation);
    EXPECT_EQ(dialogs->Shown()[0].buttons, TMsgDlgButtons(mbYes | mbNo));
}

TEST(Consiste, MensErroShowsTheTextThenAbortsSilently)
{
    ScopedDialogs dialogs;
    bool after = false;
    try {
        Consiste::MensErro(kInter, true);
        after = true;
    } catch (const EAbort&) {}
    EXPECT_FALSE(after);
    EXPECT_EQ(dialogs->Errors(), QStringList{kInter});

    EXPECT_NO_THROW(Consiste::MensErro(QStringLiteral("só aviso"), false));
    EXPECT_EQ(dialogs->Errors().size(), 2);
}

TEST(Consiste, SetChildEnabledReachesEveryDepthButNotThePanel)
{
    TPanel panel;
    auto* edit = new TEdit(&panel);
    auto* group = new QGroupBox(&panel);
    auto* deep = new QPushButton(group);
    Consiste::SetChildEnabled(&panel, false);
    EXPECT_TRUE(panel.isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(group->isEnabled());
    EXPECT_FALSE(deep->isEnabled());
    // Enabling again enables the inner ones explicitly, not only through their parent.
    Consiste::SetChildEnabled(&panel, true);
    EXPECT_TRUE(deep->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
}

}  // namespace
