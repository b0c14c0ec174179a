#include "framework/wire/cbor_reader.h"

#include "framework/wire/datetime_text.h"
#include "framework/wire/utf8.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace wire::detail {

namespace {

constexpr int kSmallKeySet = 16;

std::uint64_t readBigEndian(const std::uint8_t* p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

double halfToDouble(std::uint16_t half)
{
    const int exponent = (half >> 10) & 0x1F;
    const int mantissa = half & 0x3FF;
    double value;
    if (exponent == 0)
        value = std::ldexp(mantissa, -24);
    else if (exponent != 31)
        value = std::ldexp(mantissa + 1024, exponent - 25);
    else
        value = mantissa == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
    return (half & 0x8000) ? -value : value;
}

}  // namespace

bool KeySet::insert(std::string_view key)
{
    if (many_.empty()) {
        for (const auto& seen : few_)
            if (seen == key) return false;
        few_.push_back(key);
        if (few_.size() > kSmallKeySet) many_.insert(few_.begin(), few_.end());
        return true;
    }
    return many_.insert(key).second;
}

CborReader::CborReader(QByteArrayView bytes, const Limits& limits)
    : begin_(reinterpret_cast<const std::uint8_t*>(bytes.data())),
      p_(begin_),
      end_(begin_ + bytes.size()),
      maxDepth_(limits.maxDepth),
      maxDecoded_(limits.maxDecodedBytes)
{
    if (bytes.size() > limits.maxFrameBytes)
        throw WireError(QStringLiteral("Wire data refused: %1 bytes exceed the limit of %2 bytes.")
                            .arg(bytes.size())
                            .arg(limits.maxFrameBytes));
}

void CborReader::charge(qsizetype bytes)
{
    decoded_ += bytes;
    if (maxDecoded_ > 0 && decoded_ > maxDecoded_)
        throw WireMemoryError(QStringLiteral("Wire data refused: a message of %1 bytes would take more than %2 bytes "
                                             "of memory once decoded.")
                                  .arg(end_ - begin_)
                                  .arg(maxDecoded_));
}

void CborReader::fail(qsizetype at, const QString& problem) const
{
    throw WireError(QStringLiteral("Wire data refused at byte %1: %2.").arg(at).arg(problem));
}

QString CborReader::describe(const Head& h)
{
    switch (h.major) {
    case kUnsigned:
    case kNegative: return QStringLiteral("an integer");
    case kBytes: return QStringLiteral("a byte string");
    case kText: return QStringLiteral("a text");
    case kArray: return QStringLiteral("an array");
    case kMap: return QStringLiteral("a map");
    case kTag: return QStringLiteral("tag %1").arg(h.arg);
    default: break;
    }
    switch (h.info) {
    case 20:
    case 21: return QStringLiteral("a boolean");
    case 22: return QStringLiteral("null");
    case 23: return QStringLiteral("undefined");
    case 25:
    case 26:
    case 27: return QStringLiteral("a floating-point number");
    default: return QStringLiteral("simple value %1").arg(h.arg);
    }
}

void CborReader::wrongItem(const Head& h, const char* expected, const char* what) const
{
    fail(h.offset,
         QStringLiteral("%1 must be %2, found %3").arg(QString::fromUtf8(what), QLatin1String(expected), describe(h)));
}

bool CborReader::takeNull()
{
    if (p_ < end_ && *p_ == 0xF6) {
        ++p_;
        return true;
    }
    return false;
}

Head CborReader::head()
{
    Head h;
    h.offset = offset();
    if (p_ == end_) fail(h.offset, QStringLiteral("input ends where a data item was expected"));
    const std::uint8_t initial = *p_++;
    h.major = initial >> 5;
    h.info = initial & 0x1F;
    if (h.info < 24) {
        h.arg = h.info;
    } else if (h.info <= 27) {
        const int bytes = 1 << (h.info - 24);
        if (end_ - p_ < bytes) fail(h.offset, QStringLiteral("input ends inside the head of a data item"));
        h.arg = readBigEndian(p_, bytes);
        p_ += bytes;
    } else if (h.info < 31) {
        fail(h.offset, QStringLiteral("reserved additional information %1").arg(h.info));
    } else if (h.major == kSimple) {
        fail(h.offset, QStringLiteral("a break code outside an indefinite-length item"));
    } else if (h.major == kBytes || h.major == kText || h.major == kArray || h.major == kMap) {
        fail(h.offset, QStringLiteral("indefinite-length items are not accepted"));
    } else {
        fail(h.offset, QStringLiteral("malformed data item (indefinite length on major type %1)").arg(h.major));
    }
    return h;
}

void CborReader::need(qsizetype bytes, const Head& h, const char* what) const
{
    if (bytes > remaining())
        fail(h.offset,
             QStringLiteral("%1 declares more than the %2 bytes left").arg(QLatin1String(what)).arg(remaining()));
}

void CborReader::enter(const Head& h)
{
    if (++depth_ > maxDepth_) fail(h.offset, QStringLiteral("nesting deeper than %1 levels").arg(maxDepth_));
}

qsizetype CborReader::enterArray(const Head& h, qsizetype minItemBytes)
{
    // A declared count is only believed once the input could hold it.
    if (h.arg > static_cast<std::uint64_t>(remaining()) / static_cast<std::uint64_t>(minItemBytes))
        fail(h.offset,
             QStringLiteral("an array of %1 items declares more than the %2 bytes left").arg(h.arg).arg(remaining()));
    enter(h);
    return static_cast<qsizetype>(h.arg);
}

qsizetype CborReader::enterMap(const Head& h)
{
    if (h.arg > static_cast<std::uint64_t>(remaining()) / 2)
        fail(h.offset,
             QStringLiteral("a map of %1 entries declares more than the %2 bytes left").arg(h.arg).arg(remaining()));
    enter(h);
    return static_cast<qsizetype>(h.arg);
}

QString CborReader::text(const Head& h, const char* what)
{
    if (h.major != kText) wrongItem(h, "a text", what);
    if (h.arg > static_cast<std::uint64_t>(remaining()))
        fail(h.offset,
             QStringLiteral("a text of %1 bytes declares more than the %2 bytes left").arg(h.arg).arg(remaining()));
    const auto length = static_cast<qsizetype>(h.arg);
    auto decoded = utf16FromUtf8(p_, length);
    if (!decoded) fail(h.offset, QStringLiteral("invalid UTF-8 in a text"));
    // Counted once made: one text takes at most twice its bytes, and the frame bounds those.
    if (length > 0) charge(32 + 2 * decoded->size());
    p_ += length;
    return std::move(*decoded);
}

std::string_view CborReader::key()
{
    const Head h = head();
    if (h.major != kText) fail(h.offset, QStringLiteral("a map key must be a text, found %1").arg(describe(h)));
    if (h.arg > static_cast<std::uint64_t>(remaining()))
        fail(h.offset,
             QStringLiteral("a map key of %1 bytes declares more than the %2 bytes left").arg(h.arg).arg(remaining()));
    const auto length = static_cast<qsizetype>(h.arg);
    if (!isValidUtf8(p_, length)) fail(h.offset, QStringLiteral("invalid UTF-8 in a map key"));
    const std::string_view key(reinterpret_cast<const char*>(p_), static_cast<size_t>(length));
    p_ += length;
    return key;
}

qint64 CborReader::integer(const Head& h, const char* what)
{
    if (!h.isInteger()) wrongItem(h, "an integer", what);
    if (h.arg > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max()))
        fail(h.offset, QStringLiteral("integer out of the 64-bit signed range"));
    const auto magnitude = static_cast<qint64>(h.arg);
    return h.major == kUnsigned ? magnitude : -1 - magnitude;
}

double CborReader::floating(const Head& h, const char* what)
{
    if (h.isInteger()) return static_cast<double>(integer(h, what));
    if (!h.isFloat()) wrongItem(h, "a number", what);
    switch (h.info) {
    case 25: return halfToDouble(static_cast<std::uint16_t>(h.arg));
    case 26: {
        const auto bits = static_cast<std::uint32_t>(h.arg);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    default: {
        double d;
        std::memcpy(&d, &h.arg, sizeof d);
        return d;
    }
    }
}

QDateTime CborReader::dateTime(const Head& h, const char* what)
{
    if (h.major != kTag || h.arg != 0) wrongItem(h, "a date-time", what);
    const Head inner = head();
    if (inner.major != kText)
        fail(inner.offset, QStringLiteral("a date-time must be a text, found %1").arg(describe(inner)));
    if (inner.arg > static_cast<std::uint64_t>(remaining()))
        fail(inner.offset, QStringLiteral("input ends inside a date-time"));
    const auto length = static_cast<qsizetype>(inner.arg);
    auto dt = parseDateTimeText(p_, length);
    if (!dt) {
        // Quote the text when it is readable, to say what was wrong with it.
        const bool readable = isValidUtf8(p_, length) && length <= 64;
        fail(inner.offset, readable ? QStringLiteral("malformed date-time \"%1\"")
                                          .arg(QString::fromUtf8(reinterpret_cast<const char*>(p_), length))
                                    : QStringLiteral("malformed date-time"));
    }
    p_ += length;
    return *dt;
}

bool CborReader::boolean(const Head& h, const char* what)
{
    if (!h.isBool()) wrongItem(h, "a boolean", what);
    return h.info == 21;
}

void CborReader::skip()
{
    const Head h = head();
    switch (h.major) {
    case kUnsigned:
    case kNegative: return;
    case kBytes:
    case kText:
        if (h.arg > static_cast<std::uint64_t>(remaining()))
            fail(h.offset, QStringLiteral("a string of %1 bytes declares more than the %2 bytes left")
                               .arg(h.arg)
                               .arg(remaining()));
        p_ += h.arg;
        return;
    case kArray: {
        const qsizetype count = enterArray(h);
        for (qsizetype i = 0; i < count; ++i) skip();
        leave();
        return;
    }
    case kMap: {
        const qsizetype count = enterMap(h);
        for (qsizetype i = 0; i < 2 * count; ++i) skip();
        leave();
        return;
    }
    case kTag:
        // A chain of tags nests like containers, so it is bounded the same way.
        enter(h);
        skip();
        leave();
        return;
    default:
        // A two-byte simple value below 32 is not well-formed CBOR (RFC 8949, 3.3).
        if (h.info == 24 && h.arg < 32) fail(h.offset, QStringLiteral("malformed simple value %1").arg(h.arg));
        return;
    }
}

void CborReader::expectEnd()
{
    if (p_ != end_) fail(offset(), QStringLiteral("%1 bytes after the end of the data item").arg(remaining()));
}

}  // namespace wire::detail
