#pragma once
// The host's settings: built-in defaults, then the settings file, then the command line
// (the command line wins). The settings file is the one named by --config, else
// ate-host.ini next to the executable, else ate-host.ini in the working folder; having none
// is fine. Its keys live in the section [host] and are named as the options:
//
// A comment is a line of its own: everything after "=" is the value.
//
//   [host]
//   ; --server HOST:PORT
//   server = 127.0.0.1:7027
//   ; --db URL (as the application server takes it)
//   db = sqlite:var/demo.sqlite
//   ; --branch CODE
//   branch = 0001
//   ; --branch-fixed (sim/não, true/false, 1/0)
//   branch-fixed = sim
//   ; --operator CODE
//   operator = OPER01
//   ; --service-mask MASK
//   service-mask = 99.99.999999;0;_
//   ; --reports DIR, --out DIR, --modules DIR
//   reports = reports
//   out = var/out
//   modules = build/lib
//   ; --open MODULE (several: separated by commas)
//   open = ATE02700
//   ; --client NAME, --client-key KEY: the workstation's credentials, when the server
//   ; requires them (then the file must be readable by its owner only: the host warns)
//   client = CAIXA01
//   client-key = (the key the server's administrator was shown)
//   ; --tls-ca FILE: the authority that signed the server's certificate; the connection is
//   ; then encrypted and a server whose certificate does not verify is refused
//   tls-ca = ca.pem
//
// Relative folders and SQLite files of the settings file are taken from the file's folder;
// those of the command line from the working folder. Command line only:
//   --config FILE, --screenshot FILE [--screenshot-delay MS],
//   --print-report CODE [--title TITLE] [--param NAME=VALUE]..., --help, --version.
// Anything unknown, a missing value or a malformed one is refused with a message.

#include "framework/core/exceptions.h"

#include <QPair>
#include <QString>
#include <QStringList>

#include <vector>

inline constexpr char kHostVersion[] = "1.0.0";

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
    QString client;  // the workstation's name, when the server requires credentials
    QString clientKey;
    QString tlsCaFile;     // encrypted connection, the server verified against this authority
    QStringList warnings;  // shown on start, the host goes on

    QString screenshot;  // save a picture of the main window there and quit
    int screenshotDelayMs = 1500;

    QString printReport;  // print this report and quit; empty for the desktop
    QString reportTitle;
    std::vector<QPair<QString, QString>> reportParams;

    bool help = false;
    bool version = false;
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
