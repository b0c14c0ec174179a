#pragma once
// Data builders shared by the wire suites.

#include "framework/wire/value.h"

#include <QByteArray>

namespace wiretest {

// Bytes from spaced hex: "a1 62 6f 70".
QByteArray hex(const char* spaced);

// A delivery-like packet: strings, doubles, date-times and integers, some nulls.
wire::DataPacket deliveryPacket(int rows);

}  // namespace wiretest
