#pragma once
// Larkumo: what a module may ask of its host's configuration — the application server's
// address, the operator's default branch and whether it is fixed, the operator code and the
// database pictures (edit masks) of the installation. The host fills it once at start.

#include <QString>

namespace Larkumo {

struct THostSettings {
    QString serverHost = QStringLiteral("127.0.0.1");
    int serverPort = 7027;
    QString defaultBranch;     // FiliProc
    bool branchFixed = false;  // ModuFili
    QString operatorCode;      // Operador
    QString serviceCodeMask;   // DBPict(0): edit mask of service codes
};

// Installs the host's settings (the host calls this before loading modules).
void Configure(const THostSettings& settings);
const THostSettings& Settings();

QString WebURL();    // server host
int WebPort();       // server port
QString FiliProc();  // default branch of the operator
bool ModuFili();     // true when the module is bound to the operator's branch
QString Operador();  // code of the operator logged in
// Database picture of the given kind; kind 0 is the edit mask of service codes.
// Unknown kinds give an empty mask (free text).
QString DBPict(int kind);

}  // namespace Larkumo
