#pragma once
// The layouts of the packets the server answers with: names, types and sizes in the order
// the client's datasets declare them.

#include "framework/wire/value.h"

#include <vector>

namespace server::layout {

const std::vector<wire::FieldDef>& delivery();       // 20 fields
const std::vector<wire::FieldDef>& service();        // 46 fields
const std::vector<wire::FieldDef>& serviceSearch();  // 11 fields
const std::vector<wire::FieldDef>& branchParams();   // 3 fields
const std::vector<wire::FieldDef>& prices();         // 3 fields
const std::vector<wire::FieldDef>& emissionPlace();  // 2 fields
const std::vector<wire::FieldDef>& error();          // CDERRO, CDOBJETO

// Position of a field in a layout, -1 when absent.
int indexOf(const std::vector<wire::FieldDef>& fields, QStringView name);

}  // namespace server::layout
