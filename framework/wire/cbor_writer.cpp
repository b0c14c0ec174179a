#include "framework/wire/cbor_writer.h"

#include "framework/wire/codec.h"
#include "framework/wire/datetime_text.h"
#include "framework/wire/utf8.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace wire::detail {

namespace {

[[noreturn]] void refuse(const QString& problem)
{
    throw WireError(QStringLiteral("Cannot encode for the wire: %1.").arg(problem));
}

}  // namespace

std::uint8_t* CborWriter::grow(qsizetype bytes)
{
    const qsizetype used = out_.size();
    if (out_.capacity() - used < bytes) out_.reserve(std::max(2 * out_.capacity(), used + bytes));
    out_.resize(used + bytes);
    return reinterpret_cast<std::uint8_t*>(out_.data()) + used;
}

void CborWriter::head(std::uint8_t major, std::uint64_t arg)
{
    const auto initial = static_cast<std::uint8_t>(major << 5);
    if (arg < 24) {
        *grow(1) = static_cast<std::uint8_t>(initial | arg);
        return;
    }
    int bytes = 8;
    std::uint8_t info = 27;
    if (arg <= 0xFF) {
        bytes = 1;
        info = 24;
    } else if (arg <= 0xFFFF) {
        bytes = 2;
        info = 25;
    } else if (arg <= 0xFFFFFFFF) {
        bytes = 4;
        info = 26;
    }
    std::uint8_t* p = grow(1 + bytes);
    *p++ = initial | info;
    for (int i = bytes - 1; i >= 0; --i) *p++ = static_cast<std::uint8_t>(arg >> (8 * i));
}

void CborWriter::null() { *grow(1) = 0xF6; }

void CborWriter::boolean(bool b) { *grow(1) = b ? 0xF5 : 0xF4; }

void CborWriter::integer(qint64 i)
{
    if (i >= 0)
        head(0, static_cast<std::uint64_t>(i));
    else
        head(1, static_cast<std::uint64_t>(-1 - i));  // -1 - i cannot overflow for i < 0
}

void CborWriter::floating(double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    std::uint8_t* p = grow(9);
    *p++ = 0xFB;
    for (int i = 7; i >= 0; --i) *p++ = static_cast<std::uint8_t>(bits >> (8 * i));
}

void CborWriter::text(QStringView s)
{
    const qsizetype length = utf8Length(s);
    head(3, static_cast<std::uint64_t>(length));
    writeUtf8(s, grow(length));
}

void CborWriter::ascii(std::string_view asciiText)
{
    head(3, asciiText.size());
    std::memcpy(grow(static_cast<qsizetype>(asciiText.size())), asciiText.data(), asciiText.size());
}

void CborWriter::dateTime(const QDateTime& dt)
{
    std::uint8_t* p = grow(2 + 1 + kDateTimeTextLength);
    p[0] = 0xC0;  // tag 0
    p[1] = 0x78;  // text, one-byte length
    p[2] = kDateTimeTextLength;
    if (!writeDateTimeText(naive(dt), p + 3))
        refuse(QStringLiteral("date-time %1 is outside the years 1 to 9999").arg(dt.toString(Qt::ISODate)));
}

void CborWriter::value(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null: null(); return;
    case Value::Kind::Bool: boolean(v.toBool()); return;
    case Value::Kind::Integer: integer(v.toInteger()); return;
    case Value::Kind::Double: floating(v.toDouble()); return;
    case Value::Kind::Text: text(v.text()); return;
    case Value::Kind::DateTime: dateTime(v.dateTime()); return;
    case Value::Kind::Array:
        head(4, v.array().size());
        for (const Value& item : v.array()) value(item);
        return;
    case Value::Kind::Packet: packet(v.packet()); return;
    case Value::Kind::ChangeSet: changeSet(v.changeSet()); return;
    }
}

void CborWriter::fields(const std::vector<FieldDef>& defs)
{
    std::vector<const QString*> names;
    names.reserve(defs.size());
    for (const FieldDef& def : defs) {
        if (def.name.isEmpty()) refuse(QStringLiteral("a field has an empty name"));
        if (def.size < 0) refuse(QStringLiteral("field \"%1\" has size %2").arg(def.name).arg(def.size));
        names.push_back(&def.name);
    }
    std::sort(names.begin(), names.end(), [](const QString* a, const QString* b) { return *a < *b; });
    const auto twin =
        std::adjacent_find(names.begin(), names.end(), [](const QString* a, const QString* b) { return *a == *b; });
    if (twin != names.end()) refuse(QStringLiteral("field \"%1\" appears twice").arg(**twin));

    ascii("fields");
    head(4, defs.size());
    for (const FieldDef& def : defs) {
        head(4, 3);
        text(def.name);
        text(fieldTypeName(def.type));
        integer(def.size);
    }
}

void CborWriter::row(const std::vector<FieldDef>& defs, const Row& cells, qsizetype index, const char* part)
{
    const auto where = [&](const FieldDef& def) {
        return QStringLiteral("%1 %2, field \"%3\"").arg(QLatin1String(part)).arg(index + 1).arg(def.name);
    };
    if (cells.size() != defs.size())
        refuse(QStringLiteral("%1 %2 has %3 values for %4 fields")
                   .arg(QLatin1String(part))
                   .arg(index + 1)
                   .arg(cells.size())
                   .arg(defs.size()));
    head(4, cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const Value& cell = cells[i];
        const FieldDef& def = defs[i];
        if (cell.isNull()) {
            null();
            continue;
        }
        switch (def.type) {
        case FieldType::String:
            if (cell.kind() != Value::Kind::Text) break;
            text(cell.text());
            continue;
        case FieldType::Float:
            if (!cell.isNumber()) break;
            if (!std::isfinite(cell.toDouble()))
                refuse(QStringLiteral("%1 holds %2").arg(where(def), cell.debugString()));
            floating(cell.toDouble());
            continue;
        case FieldType::Integer:
            if (cell.kind() == Value::Kind::Integer) {
                integer(cell.toInteger());
                continue;
            }
            if (cell.kind() != Value::Kind::Double) break;
            if (const double d = cell.toDouble();
                std::isfinite(d) && std::trunc(d) == d && d >= -9.2233720368547758e18 && d < 9.2233720368547758e18) {
                integer(static_cast<qint64>(d));
                continue;
            }
            refuse(QStringLiteral("%1 holds the non-integral %2").arg(where(def), cell.debugString()));
        case FieldType::DateTime:
            if (cell.kind() != Value::Kind::DateTime) break;
            dateTime(cell.dateTime());
            continue;
        }
        refuse(QStringLiteral("%1 (%2) holds %3").arg(where(def), fieldTypeName(def.type), cell.debugString()));
    }
}

void CborWriter::packet(const DataPacket& p)
{
    head(5, 2);
    fields(p.fields);
    ascii("rows");
    head(4, p.rows.size());
    for (size_t i = 0; i < p.rows.size(); ++i) row(p.fields, p.rows[i], static_cast<qsizetype>(i), "row");
}

void CborWriter::changeSet(const ChangeSet& c)
{
    head(5, 2);
    fields(c.fields);
    ascii("changes");
    head(4, c.changes.size());
    for (size_t i = 0; i < c.changes.size(); ++i) {
        const Change& change = c.changes[i];
        const auto index = static_cast<qsizetype>(i);
        switch (change.kind) {
        case ChangeKind::Insert:
            head(5, 2);
            ascii("op");
            ascii("insert");
            ascii("new");
            row(c.fields, change.newRow, index, "change");
            break;
        case ChangeKind::Update:
            head(5, 3);
            ascii("op");
            ascii("update");
            ascii("old");
            row(c.fields, change.oldRow, index, "change");
            ascii("new");
            row(c.fields, change.newRow, index, "change");
            break;
        case ChangeKind::Delete:
            head(5, 2);
            ascii("op");
            ascii("delete");
            ascii("old");
            row(c.fields, change.oldRow, index, "change");
            break;
        }
    }
}

}  // namespace wire::detail
