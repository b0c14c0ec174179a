#pragma once
// The nine methods, one source each. Each takes this thread's connection and the call's
// arguments (by-reference arguments are updated in place).

#include "framework/wire/value.h"
#include "server/database.h"

namespace server::method {

wire::Value getParamComis(Database& db, wire::Array& args);
wire::Value getDelivery(Database& db, wire::Array& args);
wire::Value getServicoDel(Database& db, wire::Array& args);
wire::Value setServicoDel(Database& db, wire::Array& args);
wire::Value calculaPreco(Database& db, wire::Array& args);
wire::Value getPesqServico(Database& db, wire::Array& args);
wire::Value setCancelDel(Database& db, wire::Array& args);
wire::Value getLocalEmissDel(Database& db, wire::Array& args);
wire::Value geraNovoFatur(Database& db, wire::Array& args);

// Branch codes arrive as the operator typed them: fitted to 4 like the client fits them.
QString branchCode(const QString& typed);

}  // namespace server::method
