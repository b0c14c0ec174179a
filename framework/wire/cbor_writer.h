#pragma once
// Writes CBOR data items: integers in their shortest form, every double as float64, text as
// UTF-8, date-times as tag 0 text, arrays and maps of definite length. Packets and change
// sets are checked as they are written, by the rules the decoder applies, so nothing leaves
// that the peer would refuse (an integral double in an integer field goes out as an integer,
// an integer in a float field as a double).

#include "framework/wire/value.h"

#include <QByteArray>

#include <cstdint>
#include <string_view>

namespace wire::detail {

class CborWriter {
public:
    explicit CborWriter(QByteArray& out) : out_(out) {}

    void head(std::uint8_t major, std::uint64_t arg);
    void null();
    void boolean(bool b);
    void integer(qint64 i);
    void floating(double d);
    void text(QStringView s);
    void ascii(std::string_view asciiText);  // a text known to be ASCII (keys, ops)
    void dateTime(const QDateTime& dt);
    void value(const Value& v);

private:
    std::uint8_t* grow(qsizetype bytes);
    void fields(const std::vector<FieldDef>& defs);
    void row(const std::vector<FieldDef>& defs, const Row& cells, qsizetype index, const char* part);
    void packet(const DataPacket& p);
    void changeSet(const ChangeSet& c);

    QByteArray& out_;
};

}  // namespace wire::detail
