#include "framework/ui/tapplication.h"

#include "framework/ui/focus_tracker.h"
#include "framework/ui/guard.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) { TFocusTracker::Install(); }

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Guard::Report(std::current_exception());
        return false;
    }
}
