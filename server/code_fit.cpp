#include "server/code_fit.h"

#include "framework/units/core/consiste_text.h"

namespace server {

QString fitCode(const QString& code, int width) { return Consiste::Ajusta(code, width); }

}  // namespace server
