#include "host/host_run.h"

#include "framework/db/dtmdbgeral.h"
#include "framework/net/netconnection.h"
#include "framework/report/print_report_command.h"
#include "framework/report/report_settings.h"
#include "framework/ui/application_host.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/guard.h"
#include "framework/units/larkumo.h"
#include "host/host_config.h"
#include "host/host_window.h"
#include "host/module_loader.h"
#include "host/unattended_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void PrintLine(FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

void Configure(const THostConfig& config)
{
    Larkumo::THostSettings settings;
    settings.serverHost = config.serverHost;
    settings.serverPort = config.serverPort;
    settings.defaultBranch = config.branch;
    settings.branchFixed = config.branchFixed;
    settings.operatorCode = config.operatorCode;
    settings.serviceCodeMask = config.serviceMask;
    Larkumo::Configure(settings);
    TNetConnection::SetDefaultSecurity({config.client, config.clientKey, config.tlsCaFile});

    TReportSettings reports = ReportSettings();
    if (!config.reportsDir.isEmpty()) reports.reportsDir = config.reportsDir;
    if (!config.outDir.isEmpty()) reports.outputDir = config.outDir;
    if (!config.printer.isEmpty()) reports.printerName = config.printer;
    ConfigureReports(reports);
}

int PrintReport(const THostConfig& config)
{
    QStringList arguments{QCoreApplication::applicationFilePath(), QStringLiteral("--print-report"),
                          config.printReport};
    if (!config.reportTitle.isEmpty()) arguments << QStringLiteral("--title") << config.reportTitle;
    for (const auto& [name, value] : config.reportParams)
        arguments << QStringLiteral("--param") << QStringLiteral("%1=%2").arg(name, value);
    if (!config.outDir.isEmpty()) arguments << QStringLiteral("--out") << config.outDir;
    if (!config.dbUrl.isEmpty()) arguments << QStringLiteral("--db") << config.dbUrl;
    if (!config.reportsDir.isEmpty()) arguments << QStringLiteral("--reports") << config.reportsDir;
    return RunPrintReportCommand(arguments);
}

void OpenDatabase(const QString& url)
{
    try {
        dtmDBGeral().Open(url);
    } catch (const Exception& e) {
        throw Exception(QStringLiteral("Não foi possível abrir o banco de dados: %1").arg(e.Message()));
    }
}

bool SaveScreenshot(QWidget& window, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (window.grab().save(path, "PNG")) {
        PrintLine(stdout, path);
        return true;
    }
    PrintLine(stderr, QStringLiteral("ate-host: não foi possível gravar a imagem %1").arg(path));
    return false;
}

}  // namespace

void PrepareHeadlessPlatform(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--screenshot", 12) == 0 || std::strncmp(argv[i], "--print-report", 14) == 0) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
}

int RunHost(const QStringList& arguments)
{
    const THostPaths paths{QCoreApplication::applicationDirPath(), QDir::currentPath()};
    THostConfig config;
    try {
        config = ReadHostConfig(arguments, paths);
    } catch (const Exception& e) {
        PrintLine(stderr, QStringLiteral("ate-host: %1").arg(e.Message()));
        PrintLine(stderr, HostUsage());
        return 2;
    }
    if (config.help) {
        PrintLine(stdout, HostUsage());
        return 0;
    }
    if (config.version) {
        PrintLine(stdout, QStringLiteral("ate-host %1").arg(QLatin1String(kHostVersion)));
        return 0;
    }
    for (const QString& warning : config.warnings)
        PrintLine(stderr, QStringLiteral("ate-host: atenção: %1").arg(warning));
    Configure(config);
    if (!config.printReport.isEmpty()) return PrintReport(config);

    // Without an operator nothing may wait for a click.
    TUnattendedDialogs* unattended = nullptr;
    if (!config.screenshot.isEmpty()) {
        auto dialogs = std::make_unique<TUnattendedDialogs>();
        unattended = dialogs.get();
        SetDialogs(std::move(dialogs));
    }

    if (!config.dbUrl.isEmpty()) Guard::Run([&] { OpenDatabase(config.dbUrl); });

    TModuleLoader loader(config.modulesDir);
    int status = 0;
    {
        auto window = std::make_unique<THostWindow>(loader, config);
        window->resize(1024, 720);
        window->show();
        // A desktop without a window manager (Xvfb) gives the focus to nobody: ask for it, so
        // the screens' first activation finds their focus where they put it.
        window->activateWindow();
        QTimer::singleShot(0, window.get(), [&] {
            for (const QString& module : config.open) window->OpenModule(module);
            if (config.screenshot.isEmpty()) return;
            // Let the opened forms activate (their first activation talks to the server).
            QTimer::singleShot(config.screenshotDelayMs, window.get(), [&] {
                const bool saved = SaveScreenshot(*window, config.screenshot);
                Application().CloseForms();
                QCoreApplication::exit(saved && unattended->ErrorCount() == 0 ? 0 : 1);
            });
        });
        status = QApplication::exec();
        // The forms run the modules' code: they go first, then the window, then the modules.
        Application().DestroyForms();
        Application().Detach();
        window.reset();
    }
    loader.UnloadAll();
    dtmDBGeral().Close();
    return status;
}
