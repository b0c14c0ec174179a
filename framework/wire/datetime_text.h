#pragma once
// The wire text of a date-time: "yyyy-MM-ddTHH:mm:ss.zzzZ", the branch's wall-clock reading
// (the "Z" marks no offset to apply, not a conversion). Parsed and written by hand: the
// packets carry a date-time in many rows and QDateTime's generic parser is far too slow.

#include <QDateTime>

#include <cstdint>
#include <optional>

namespace wire::detail {

constexpr qsizetype kDateTimeTextLength = 24;  // with milliseconds

// The naive date-time of "yyyy-MM-ddTHH:mm:ss.zzzZ" or "yyyy-MM-ddTHH:mm:ssZ"; nothing for
// any other text or an impossible date or time.
std::optional<QDateTime> parseDateTimeText(const std::uint8_t* p, qsizetype n);

// Writes kDateTimeTextLength bytes; false when the year is outside 1..9999.
bool writeDateTimeText(const QDateTime& dt, std::uint8_t* out);

}  // namespace wire::detail
