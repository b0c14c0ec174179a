#include "framework/ui/guard.h"

#include "framework/core/exceptions.h"
#include "framework/ui/dialogs.h"

#include <QtGlobal>

namespace Guard {

std::optional<QString> FailureText(std::exception_ptr failure)
{
    if (!failure) return std::nullopt;
    try {
        std::rethrow_exception(failure);
    } catch (const EAbort&) {
        return std::nullopt;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erro inesperado.");
    }
}

void Report(std::exception_ptr failure) noexcept
{
    try {
        const std::optional<QString> text = FailureText(failure);
        if (!text) return;  // silent abort
        Dialogs().ShowError(*text);
    } catch (const std::exception& e) {
        // The error display itself failed: there is nowhere left to show it.
        qCritical("error display failed: %s", e.what());
    } catch (...) {
        qCritical("error display failed");
    }
}

bool Run(const std::function<void()>& action) noexcept
{
    try {
        if (action) action();
        return true;
    } catch (...) {
        Report(std::current_exception());
        return false;
    }
}

bool Fire(const TNotifyEvent& handler, QObject& sender) noexcept
{
    if (!handler) return true;
    return Run([&] { handler(sender); });
}

}  // namespace Guard
