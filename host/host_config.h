#pragma once
// The host's settings: built-in defaults, then the settings file, then the command line
// (the command line wins). The settings file is the one named by --config, else
// ate-host.ini next to the executable, else ate-host.ini in the working folder; having none
// is fine. Its keys live in the section [host] and are named as the options:
//
//   [host]
//   server = 127.0.0.1:7027          ; --server HOST:PORT
//   db = sqlite:var/demo.sqlite      ; --db URL (as the application server takes it)
//   branch = 0001                    ; --branch CODE
//   branch-fixed = sim               ; --branch-fixed (sim/não, true/false, 1/0)
//   operator = OPER01                ; --operator CODE
//   service-mask = 99.99.999999;0;_  ; --service-mask MASK
//   reports = reports                ; --reports DIR
//   out = var/out                    ; --out DIR
//   modules = build/lib              ; --modules DIR
//   open = ATE02700                  ; --open MODULE (several: separated by commas)
//
// Relative folders and SQLite files of the settings file are taken from the file's folder;
// those of the command line from the working folder. Command line only:
//   --config FILE, --screenshot FILE [--screenshot-delay MS],
//   --print-report CODE [--title TITLE] [--param NAME=VALUE]..., --help.
// Anything unknown, a missing value or a malformed one is refused with a message.

#include "framework/core/exceptions.h"

#include <QPair>
#include <QString>
#include <QStringList>

#include <vector>

class EHostConfig : public Exception {
public:
    using Exception::Exception;
};

struct THostConfig {
    QString configFile;  // the settings file read; empty when none
    QString serverHost = QStringLiteral("127.0.0.1");
    int serverPort = 7027;
    QString dbUrl;
    QString branch;
    bool branchFixed = false;
    QString operatorCode;
    QString serviceMask;
    QString reportsDir;
    QString outDir;
    QString printer;  // where printed documents go; empty: PDF files in outDir
    QString modulesDir;
    QStringList open;

    QString screenshot;  // save a picture of the main window there and quit
    int screenshotDelayMs = 1500;

    QString printReport;  // print this report and quit; empty for the desktop
    QString reportTitle;
    std::vector<QPair<QString, QString>> reportParams;

    bool help = false;
};

struct THostPaths {
    QString programDir;  // folder of the executable
    QString workingDir;
};

// `arguments` as QCoreApplication::arguments() gives them (the program first).
// Raises EHostConfig.
THostConfig ReadHostConfig(const QStringList& arguments, const THostPaths& paths);

// The command-line summary shown by --help and after a refused command line.
QString HostUsage();
