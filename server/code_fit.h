#pragma once
// Codes typed by operators are compared the way the client fits them to their column
// width (Consiste::Ajusta): branch and place codes to 4, service codes to 10.

#include <QString>

namespace server {

QString fitCode(const QString& code, int width);

}  // namespace server
