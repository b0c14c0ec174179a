#pragma once
// The steps of the demo seed (seedDemo runs them in order, inside its transaction). Each
// topic keeps its own additions in a step and a source of its own, so rows written by one
// topic never change those of another.

#include "server/database.h"

namespace server {

// November 2026 at every branch: flight plans, deliveries with priced services, the first
// week at Guarulhos invoiced, and the invoice-number ranges (seed_demo.cpp).
void seedDemoNovember(Database& db);

// What the delivery list needs to show: a regional partner airline invoiced with CAB at
// Guarulhos, so CAB's list holds deliveries of two airlines (seed_demo_selection.cpp).
void seedDemoDeliverySelection(Database& db);

}  // namespace server
