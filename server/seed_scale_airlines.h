#pragma once
// Airlines a large scale load adds so that its deliveries do not pile into the demo
// airlines' months: each one is a copy of a demo airline (its branches, classes, services and
// price tables) under a new code, so it prices exactly as the airline it copies.

#include "server/database.h"

#include <QString>

#include <vector>

namespace server {

struct CopiedAirline {
    QString code;      // the new CDCIA ("1000" and up)
    QString original;  // the demo airline it copies
};

// Airline codes from this one up are copies; the demo's own codes stay below.
inline constexpr int kFirstCopiedAirline = 1000;

// How many sets of copies the database already holds.
int copiedAirlineSets(Database& db);

// Adds set number `set` (1 and up): one copy of every airline that has a price table.
std::vector<CopiedAirline> addCopiedAirlines(Database& db, int set);

}  // namespace server
