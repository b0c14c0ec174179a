#pragma once
// Decoding of wire values straight from CBOR into Value, DataPacket and ChangeSet, without an
// intermediate tree. Rows are checked against their fields while they are read:
//  - every row has exactly one value per field;
//  - a value is null or of its field's type: text in "string", a date-time in "datetime", an
//    integer in "integer" (a floating-point number is refused there, even an integral one:
//    the encoder writes integers for integer fields, so a float there is a type confusion),
//    a finite number in "float" (an integer is accepted and held as a double; NaN and the
//    infinities are refused, as no column can store them faithfully);
//  - field names are non-empty and unique, types are known, sizes are non-negative integers.
// String lengths are not checked against the field size here: the dataset and the server's
// storage own that rule.

#include "framework/wire/cbor_reader.h"
#include "framework/wire/value.h"

namespace wire::detail {

// One value; the head of its first item has been read.
Value readValue(CborReader& reader, const Head& head);
inline Value readValue(CborReader& reader) { return readValue(reader, reader.head()); }
// The items of an array whose head was just read; `what` names it in a refusal.
Array readArray(CborReader& reader, const Head& head, const char* what);

}  // namespace wire::detail
