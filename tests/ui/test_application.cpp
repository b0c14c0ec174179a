// TApplication: a failure that escapes an event anywhere is shown once and the event loop
// goes on.

#include "framework/core/exceptions.h"
#include "framework/ui/tapplication.h"
#include "tests/support/gui/scripted_dialogs.h"

#include <QLocale>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(TApplication, FailuresEscapingEventsAreShownOnceAndTheLoopGoesOn)
{
    ScopedDialogs dialogs;
    int after = 0;
    QTimer::singleShot(0, [] { throw EServerError(QStringLiteral("conexão perdida")); });
    QTimer::singleShot(0, [] { Abort(); });
    QTimer::singleShot(0, [] { throw std::logic_error("estado inválido"); });
    QTimer::singleShot(0, [&] { ++after; });
    QTimer::singleShot(20, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    EXPECT_EQ(after, 1);
    EXPECT_EQ(dialogs->Errors(), (QStringList{"conexão perdida", "estado inválido"}));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
