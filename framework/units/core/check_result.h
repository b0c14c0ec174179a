#pragma once
// Consiste::CheckResultServ: the check every application-server result passes before the
// module loads it.
//
//   cdsParamComis.SetData(Consiste::CheckResultServ(net.Call(...), true, 0));
//
//   auto answer = Consiste::CheckResultServPackets(rdm.SetServicoDel(...), 3, true, 0);
//   cdsErro.SetData(std::move(answer[0]));  // errors, deliveries, services
//
// What a result may be, for kind 0 (a data-packet result, the only kind the module asks for):
// - a data packet: returned, to be loaded;
// - true: the method succeeded with nothing to load (GeraNovoFatur); an empty packet is
//   returned;
// - a text: the server's failure, in its own words, raised as EServerError with that text;
// - anything else (null, false, a number, a date, an array, a change set) is not a result
//   the module can use: raised as EServerError saying so.
//
// `raise` true (the module always passes true) raises on a result that fails the check;
// false returns an empty packet instead (nothing to load), for callers that test for rows.

#include "framework/core/exceptions.h"
#include "framework/wire/value.h"

#include <cstddef>
#include <vector>

namespace Consiste {

// The result kinds CheckResultServ knows.
inline constexpr int kResultDataPacket = 0;

wire::DataPacket CheckResultServ(const wire::Value& result, bool raise, int kind);
// Same, moving the packet out when the caller hands over the only reference (no copy of the
// rows).
wire::DataPacket CheckResultServ(wire::Value&& result, bool raise, int kind);

// A result made of several packets (SetServicoDel answers three): an array of exactly `count`
// elements, each checked as above. With `raise` false a failed check gives `count` empty
// packets.
std::vector<wire::DataPacket> CheckResultServPackets(const wire::Value& result, std::size_t count, bool raise,
                                                     int kind);

}  // namespace Consiste
