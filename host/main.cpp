// ate-host: the desktop host of the screen modules.

#include "framework/ui/tapplication.h"
#include "host/host_run.h"

int main(int argc, char** argv)
{
    PrepareHeadlessPlatform(argc, argv);
    TApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ate-host"));
    return RunHost(QCoreApplication::arguments());
}
