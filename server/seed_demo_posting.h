#pragma once
// Demo deliveries for the service-row tour, CAB flight 1010 at Guarulhos (an evening extra on
// 25, 26 and 27 Nov 2026): 9001 with a single service (its last service cannot be deleted),
// 9002 with two, and 9003 with a line added on this screen (kind "5") beside a planned one.
// Part of the demo seed; runs inside its transaction.

#include "server/database.h"

namespace server {

void seedDemoPostingCases(Database& db);

}  // namespace server
