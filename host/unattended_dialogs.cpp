#include "host/unattended_dialogs.h"

#include <cstdio>

namespace {

void Print(const char* kind, const QString& text)
{
    std::fprintf(stderr, "ate-host: %s: %s\n", kind, text.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

TModalResult TUnattendedDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                            int /*helpContext*/)
{
    if (type == TMsgDlgType::Error) ++errors_;
    Print(type == TMsgDlgType::Error ? "erro" : "mensagem", text);
    if (buttons & mbNo) return TModalResult::No;
    if (buttons & mbCancel) return TModalResult::Cancel;
    return TModalResult::OK;
}

void TUnattendedDialogs::ShowError(const QString& text)
{
    ++errors_;
    Print("erro", text);
}

std::optional<QString> TUnattendedDialogs::InputQuery(const QString& /*caption*/, const QString& prompt,
                                                      const QString& /*initial*/)
{
    Print("pergunta sem resposta", prompt);
    return std::nullopt;
}

bool TUnattendedDialogs::ChooseRow(TDataSource& /*source*/, const QString& title, TChooseRowOptions /*options*/)
{
    Print("lista sem escolha", title);
    return false;
}

bool TUnattendedDialogs::FindInDataSet(TClientDataSet& /*dataSet*/)
{
    Print("procura sem resposta", QString());
    return false;
}
