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

// What entering services needs to show: services offered to LAA at Guarulhos that it has no
// class for or that have no class, and LAA's flight 3390 in the week of 16 Nov with a
// delivery at each service limit, and Galeão kept from adding services (IDALTERDELIV "N")
// (seed_demo_service_entry.cpp).
void seedDemoServiceEntry(Database& db);

// The service-row tour, CAB flight 1010 at Guarulhos (an evening extra on 25, 26 and 27 Nov):
// 9001 with a single service (its last service cannot be deleted), 9002 with two, and 9003
// with a snack added on this screen (kind "5") beside a planned meal; and 009004 to 009009,
// evening extras on the days and flights whose pricing fails in each documented way, with room
// to add the failing service (seed_demo_posting.cpp).
void seedDemoPostingCases(Database& db);

}  // namespace server
