#include "framework/wire/codec.h"

#include <algorithm>

namespace wire {

namespace {

constexpr qsizetype kHeaderBytes = 4;

qsizetype bodyLength(const char* header)
{
    const auto* b = reinterpret_cast<const unsigned char*>(header);
    return static_cast<qsizetype>((quint32{b[0]} << 24) | (quint32{b[1]} << 16) | (quint32{b[2]} << 8) | quint32{b[3]});
}

}  // namespace

void FrameReader::checkHeader() const
{
    if (buffered() < kHeaderBytes) return;
    const qsizetype length = bodyLength(buffer_.constData() + start_);
    if (length > limits_.maxFrameBytes)
        throw WireError(QStringLiteral("Wire data refused: a frame of %1 bytes exceeds the limit of %2 bytes.")
                            .arg(length)
                            .arg(limits_.maxFrameBytes));
}

bool FrameReader::hasFrame() const
{
    if (buffered() < kHeaderBytes) return false;
    return buffered() >= kHeaderBytes + bodyLength(buffer_.constData() + start_);
}

// Room for `needed` bytes (counted from the start of the buffer once compacted): doubling,
// but not past the end of the frame under way when that is known and far enough.
qsizetype FrameReader::grownCapacity(qsizetype needed, qsizetype start) const
{
    qsizetype target = std::max(needed, 2 * buffer_.capacity());
    if (buffered() >= kHeaderBytes) {
        const qsizetype frameEnd = start + kHeaderBytes + bodyLength(buffer_.constData() + start_);
        if (frameEnd >= needed) target = std::min(target, frameEnd);
    }
    return target;
}

qsizetype FrameReader::capacityAfter(qsizetype more) const
{
    const bool compact = start_ > 0 && start_ >= buffer_.size() - start_;
    const qsizetype needed = (compact ? buffered() : buffer_.size()) + more;
    if (needed <= buffer_.capacity()) return buffer_.capacity();
    return grownCapacity(needed, compact ? 0 : start_);
}

void FrameReader::append(QByteArrayView bytes)
{
    // Taken frames are dropped once they are the larger part of the buffer, so each byte is
    // moved a bounded number of times however many frames one chunk holds.
    if (start_ > 0 && start_ >= buffer_.size() - start_) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    const qsizetype needed = buffer_.size() + bytes.size();
    if (needed > buffer_.capacity()) buffer_.reserve(grownCapacity(needed, start_));
    buffer_.append(bytes.data(), bytes.size());
    // An oversize length is refused on arrival, before its body can pile up.
    checkHeader();
}

std::optional<QByteArray> FrameReader::takeFrame()
{
    if (buffered() < kHeaderBytes) return std::nullopt;
    checkHeader();
    const qsizetype length = bodyLength(buffer_.constData() + start_);
    if (buffered() < kHeaderBytes + length) return std::nullopt;
    if (start_ == 0 && buffer_.size() == kHeaderBytes + length) {
        // The buffer holds this frame alone (the usual case): it becomes the body, without a
        // copy of a possibly large frame.
        QByteArray body = std::exchange(buffer_, QByteArray());
        body.remove(0, kHeaderBytes);
        return body;
    }
    QByteArray body = buffer_.mid(start_ + kHeaderBytes, length);
    start_ += kHeaderBytes + length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return body;
}

}  // namespace wire
