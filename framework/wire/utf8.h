#pragma once
// Strict UTF-8 <-> UTF-16 conversion for the wire: text arrives from untrusted peers, so an
// overlong form, a surrogate code point, a value above U+10FFFF or a cut sequence is refused
// rather than replaced.

#include <QString>

#include <cstdint>
#include <optional>

namespace wire::detail {

// True when bytes [p, p + n) are well-formed UTF-8.
bool isValidUtf8(const std::uint8_t* p, qsizetype n);

// The text of well-formed UTF-8, or nothing. A byte order mark is kept as a character.
std::optional<QString> utf16FromUtf8(const std::uint8_t* p, qsizetype n);

// Number of UTF-8 bytes `text` needs; a lone surrogate counts as U+FFFD.
qsizetype utf8Length(QStringView text);
// Writes exactly utf8Length(text) bytes at `out`.
void writeUtf8(QStringView text, std::uint8_t* out);

}  // namespace wire::detail
