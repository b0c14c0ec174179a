#include "framework/units/qrddlgs.h"

namespace Qrddlgs {

bool ExistParam(const TParams& params, const QString& name) { return params.Exists(name); }

}  // namespace Qrddlgs
