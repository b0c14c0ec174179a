#pragma once
// Qrddlgs: helpers of the report dialogs.

#include "framework/db/params.h"

#include <QString>

namespace Qrddlgs {

// True when the report declares a parameter of that name (letter case ignored). Fill a
// parameter only after this test: a report's parameters cannot be created by filling them.
bool ExistParam(const TParams& params, const QString& name);

}  // namespace Qrddlgs
