#pragma once
// Seeded data sets. Each runs inside the caller's write transaction.
//
// demo:    a small, realistic data set for November 2026 (see server/README.md for its
//          contents and the documented cases that trigger each pricing failure).
// scale:N  N more deliveries (with services) spread over the year 2026, for measurements:
//          up to 10,000 on the demo's airlines, every further 10,000 on a new set of copies
//          of them; seeds the demo first when the database has none.

#include "server/database.h"

namespace server {

// Whether the demo's reference data (branches, airlines, catalogue) is present.
bool demoSeeded(Database& db);
void seedDemo(Database& db);
void seedScale(Database& db, int deliveries);

}  // namespace server
