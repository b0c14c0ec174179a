#include "framework/ui/desktop_dialogs.h"

#include "framework/ui/find_dialog.h"
#include "framework/ui/lookup_dialog.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <utility>

namespace {

QWidget* ActiveWindow()
{
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
}

struct ButtonText {
    TMsgDlgBtn button;
    const char* caption;
    QMessageBox::ButtonRole role;
    TModalResult result;
};

// In the order the buttons are shown.
constexpr std::array<ButtonText, 7> kButtons{{
    {mbYes, "&Sim", QMessageBox::YesRole, TModalResult::Yes},
    {mbNo, "&Não", QMessageBox::NoRole, TModalResult::No},
    {mbOK, "OK", QMessageBox::AcceptRole, TModalResult::OK},
    {mbCancel, "Cancelar", QMessageBox::RejectRole, TModalResult::Cancel},
    {mbAbort, "&Anular", QMessageBox::RejectRole, TModalResult::Abort},
    {mbRetry, "&Repetir", QMessageBox::AcceptRole, TModalResult::Retry},
    {mbIgnore, "&Ignorar", QMessageBox::AcceptRole, TModalResult::Ignore},
}};

QString Title(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::Warning: return QStringLiteral("Aviso");
    case TMsgDlgType::Error: return QStringLiteral("Erro");
    case TMsgDlgType::Information: return QStringLiteral("Informação");
    case TMsgDlgType::Confirmation: return QStringLiteral("Confirmação");
    case TMsgDlgType::Custom: break;
    }
    return QApplication::applicationDisplayName();
}

QMessageBox::Icon Icon(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::Warning: return QMessageBox::Warning;
    case TMsgDlgType::Error: return QMessageBox::Critical;
    case TMsgDlgType::Information: return QMessageBox::Information;
    case TMsgDlgType::Confirmation: return QMessageBox::Question;
    case TMsgDlgType::Custom: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString TDesktopDialogs::DisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

TModalResult TDesktopDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                         int /*helpContext*/)
{
    QMessageBox box(Icon(type), Title(type), DisplayText(text), QMessageBox::NoButton, ActiveWindow());
    box.setTextFormat(Qt::PlainText);
    if (buttons == 0) buttons = mbOK;
    std::vector<std::pair<QAbstractButton*, TModalResult>> shown;
    for (const ButtonText& b : kButtons) {
        if (!(buttons & b.button)) continue;
        QPushButton* pushButton = box.addButton(QString::fromUtf8(b.caption), b.role);
        shown.emplace_back(pushButton, b.result);
        if (shown.size() == 1) box.setDefaultButton(pushButton);
    }
    // Esc answers Cancel, else No, else OK.
    for (const TModalResult escape : {TModalResult::Cancel, TModalResult::No, TModalResult::OK}) {
        const auto it =
            std::find_if(shown.begin(), shown.end(), [escape](const auto& b) { return b.second == escape; });
        if (it != shown.end()) {
            box.setEscapeButton(it->first);
            break;
        }
    }
    box.exec();
    for (const auto& [button, result] : shown) {
        if (box.clickedButton() == button) return result;
    }
    return buttons & mbCancel ? TModalResult::Cancel : TModalResult::None;
}

void TDesktopDialogs::ShowError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, Title(TMsgDlgType::Error), DisplayText(text), QMessageBox::NoButton,
                    ActiveWindow());
    box.setTextFormat(Qt::PlainText);
    box.setEscapeButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}

std::optional<QString> TDesktopDialogs::InputQuery(const QString& caption, const QString& prompt,
                                                   const QString& initial)
{
    QInputDialog dialog(ActiveWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

bool TDesktopDialogs::ChooseRow(TDataSource& source, const QString& title, TChooseRowOptions options)
{
    TLookupDialog dialog(source, title, options, ActiveWindow());
    return dialog.exec() == QDialog::Accepted;
}

bool TDesktopDialogs::FindInDataSet(TClientDataSet& dataSet)
{
    TFindDialog dialog(dataSet, ActiveWindow());
    return dialog.exec() == QDialog::Accepted;
}
