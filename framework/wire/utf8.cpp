#include "framework/wire/utf8.h"

#include <cstring>

namespace wire::detail {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Length of the sequence led by `lead` when the bytes that follow are well-formed, else 0.
// Follows the table of well-formed byte sequences of the Unicode standard (D92): the second
// byte's range narrows for E0 (no overlongs), ED (no surrogates), F0 (no overlongs) and
// F4 (nothing above U+10FFFF).
int sequenceLength(const std::uint8_t* p, const std::uint8_t* end)
{
    const std::uint8_t lead = p[0];
    const qsizetype left = end - p;
    if (lead < 0xC2) return 0;  // stray continuation byte or overlong two-byte form
    if (lead < 0xE0) return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (lead < 0xF0) {
        if (left < 3) return 0;
        const std::uint8_t b1 = p[1];
        const std::uint8_t lo = lead == 0xE0 ? 0xA0 : 0x80;
        const std::uint8_t hi = lead == 0xED ? 0x9F : 0xBF;
        return b1 >= lo && b1 <= hi && isContinuation(p[2]) ? 3 : 0;
    }
    if (lead < 0xF5) {
        if (left < 4) return 0;
        const std::uint8_t b1 = p[1];
        const std::uint8_t lo = lead == 0xF0 ? 0x90 : 0x80;
        const std::uint8_t hi = lead == 0xF4 ? 0x8F : 0xBF;
        return b1 >= lo && b1 <= hi && isContinuation(p[2]) && isContinuation(p[3]) ? 4 : 0;
    }
    return 0;
}

}  // namespace

bool isValidUtf8(const std::uint8_t* p, qsizetype n)
{
    const std::uint8_t* const end = p + n;
    while (p < end) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & kHighBits) break;
            p += 8;
        }
        if (p == end) break;
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int len = sequenceLength(p, end);
        if (len == 0) return false;
        p += len;
    }
    return true;
}

std::optional<QString> utf16FromUtf8(const std::uint8_t* p, qsizetype n)
{
    if (n == 0) return QString();
    // One UTF-16 unit per byte is the most a UTF-8 text can need.
    QString text(n, Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const std::uint8_t* const end = p + n;
    while (p < end) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & kHighBits) break;
            for (int i = 0; i < 8; ++i) out[i] = p[i];
            p += 8;
            out += 8;
        }
        if (p == end) break;
        const std::uint8_t lead = *p;
        if (lead < 0x80) {
            *out++ = lead;
            ++p;
            continue;
        }
        switch (sequenceLength(p, end)) {
        case 2:
            *out++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
            break;
        case 3:
            *out++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
            break;
        case 4: {
            const char32_t cp =
                ((lead & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
            *out++ = static_cast<char16_t>(0xD7C0 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
            p += 4;
            break;
        }
        default: return std::nullopt;
        }
    }
    text.truncate(out - begin);
    return text;
}

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

qsizetype utf8Length(QStringView text)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    qsizetype len = 0;
    while (p < end) {
        const char16_t c = *p++;
        if (c < 0x80) {
            len += 1;
        } else if (c < 0x800) {
            len += 2;
        } else if (isHighSurrogate(c) && p < end && isLowSurrogate(*p)) {
            len += 4;
            ++p;
        } else {
            len += 3;  // any other unit, a lone surrogate included (written as U+FFFD)
        }
    }
    return len;
}

void writeUtf8(QStringView text, std::uint8_t* out)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p < end) {
        char16_t c = *p++;
        if (c < 0x80) {
            *out++ = static_cast<std::uint8_t>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<std::uint8_t>(0xC0 | (c >> 6));
            *out++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        } else if (isHighSurrogate(c) && p < end && isLowSurrogate(*p)) {
            const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(*p++) - 0xDC00);
            *out++ = static_cast<std::uint8_t>(0xF0 | (cp >> 18));
            *out++ = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
            *out++ = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            *out++ = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
        } else {
            if (isHighSurrogate(c) || isLowSurrogate(c)) c = 0xFFFD;
            *out++ = static_cast<std::uint8_t>(0xE0 | (c >> 12));
            *out++ = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        }
    }
}

}  // namespace wire::detail
