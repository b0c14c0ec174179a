#pragma once
// Which branches a call acts for, and whether the workstation that sent it may act for them.
// Each of the nine methods names its branch somewhere of its own: a positional argument, the
// rows of a delivery packet or of a change set, or (GeraNovoFatur) only through the stored
// deliveries its packet marks. Checked before the method runs, so a refused call changes
// nothing.

#include "framework/wire/value.h"
#include "server/database.h"
#include "server/workstations.h"

#include <QString>
#include <QStringList>

namespace server {

// A call that names a branch outside the workstation's.
class BranchRefused : public ServerFailure {
public:
    using ServerFailure::ServerFailure;
};

// The branch codes (fitted to 4) the call names, each once. Reads the database only for the
// deliveries a GeraNovoFatur packet marks. Malformed arguments name nothing here: the method
// itself refuses them.
QStringList branchesNamedBy(Database& db, const QString& method, const wire::Array& args);

// Throws BranchRefused naming the first branch `scope` does not allow.
void authoriseBranches(Database& db, const BranchScope& scope, const QString& method, const wire::Array& args);

}  // namespace server
