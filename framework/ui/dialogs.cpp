#include "framework/ui/dialogs.h"

#include "framework/ui/desktop_dialogs.h"

namespace {

// The one service of the process (the framework's shared library holds this single copy).
std::unique_ptr<TDialogs>& Current()
{
    static std::unique_ptr<TDialogs> current;
    return current;
}

}  // namespace

TDialogs& Dialogs()
{
    auto& current = Current();
    if (!current) current = std::make_unique<TDesktopDialogs>();
    return *current;
}

std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs)
{
    auto previous = std::move(Current());
    Current() = std::move(dialogs);
    return previous;
}
