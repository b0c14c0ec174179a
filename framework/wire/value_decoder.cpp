#include "framework/wire/value_decoder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace wire::detail {

namespace {

using namespace std::string_view_literals;

// What a shared_ptr'd array, packet or change set costs beyond its items: the control block
// and the container, as allocated.
constexpr qsizetype kSharedBlockBytes = 64;

// Where a row stands, for the messages: "row 3", "change 2 (old)".
struct RowPlace {
    const char* part;
    qsizetype index;
    const char* side = nullptr;

    QString text() const
    {
        QString s = QStringLiteral("%1 %2").arg(QLatin1String(part)).arg(index + 1);
        if (side) s += QStringLiteral(" (%1)").arg(QLatin1String(side));
        return s;
    }
};

QString keyText(std::string_view key) { return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())); }

[[noreturn]] void wrongCell(CborReader& reader, const Head& h, const RowPlace& place, const FieldDef& field,
                            const QString& problem)
{
    reader.fail(
        h.offset,
        QStringLiteral("%1, field \"%2\" (%3): %4").arg(place.text(), field.name, fieldTypeName(field.type), problem));
}

Value readCell(CborReader& reader, const FieldDef& field, const RowPlace& place)
{
    if (reader.takeNull()) return Value();
    const Head h = reader.head();
    switch (field.type) {
    case FieldType::String:
        if (h.major != kText) break;
        return Value(reader.text(h, "a string field"));
    case FieldType::Float: {
        if (!h.isInteger() && !h.isFloat()) break;
        const double d = reader.floating(h, "a float field");
        if (!std::isfinite(d))
            wrongCell(reader, h, place, field, QStringLiteral("NaN and infinities are not accepted"));
        return Value(d);
    }
    case FieldType::Integer:
        if (!h.isInteger()) break;
        return Value(reader.integer(h, "an integer field"));
    case FieldType::DateTime:
        if (h.major != kTag || h.arg != 0) break;
        return Value(reader.dateTime(h, "a datetime field"));
    }
    wrongCell(reader, h, place, field, QStringLiteral("found %1").arg(CborReader::describe(h)));
}

Row readRow(CborReader& reader, const std::vector<FieldDef>& fields, const RowPlace& place)
{
    const Head h = reader.head();
    const auto width = static_cast<qsizetype>(fields.size());
    if (h.major != kArray)
        reader.fail(h.offset,
                    QStringLiteral("%1 must be an array, found %2").arg(place.text(), CborReader::describe(h)));
    if (h.arg != static_cast<std::uint64_t>(width))
        reader.fail(h.offset, QStringLiteral("%1 has %2 values for %3 fields").arg(place.text()).arg(h.arg).arg(width));
    reader.enterArray(h);
    reader.charge(width * static_cast<qsizetype>(sizeof(Value)));
    Row row;
    row.reserve(static_cast<size_t>(width));
    for (const FieldDef& field : fields) row.push_back(readCell(reader, field, place));
    reader.leave();
    return row;
}

std::vector<FieldDef> readFields(CborReader& reader)
{
    const Head h = reader.head();
    if (h.major != kArray) reader.wrongItem(h, "an array", "key \"fields\"");
    // [name, type, size] takes at least 4 bytes.
    const qsizetype count = reader.enterArray(h, 4);
    reader.charge(count * static_cast<qsizetype>(sizeof(FieldDef)));
    std::vector<FieldDef> fields;
    fields.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        const Head def = reader.head();
        if (def.major != kArray || def.arg != 3)
            reader.fail(def.offset, QStringLiteral("field %1 must be an array [name, type, size]").arg(i + 1));
        reader.enterArray(def);
        FieldDef field;
        const Head nameHead = reader.head();
        field.name = reader.text(nameHead, "a field name");
        if (field.name.isEmpty()) reader.fail(nameHead.offset, QStringLiteral("field %1 has an empty name").arg(i + 1));
        const Head typeHead = reader.head();
        const auto type = fieldTypeFromName(reader.text(typeHead, "a field type"));
        if (!type) reader.fail(typeHead.offset, QStringLiteral("field \"%1\" has an unknown type").arg(field.name));
        field.type = *type;
        const Head sizeHead = reader.head();
        const qint64 size = reader.integer(sizeHead, "a field size");
        if (size < 0 || size > std::numeric_limits<int>::max())
            reader.fail(sizeHead.offset, QStringLiteral("field \"%1\" has size %2").arg(field.name).arg(size));
        field.size = static_cast<int>(size);
        reader.leave();
        fields.push_back(std::move(field));
    }
    reader.leave();

    std::vector<const QString*> names;
    names.reserve(fields.size());
    for (const FieldDef& field : fields) names.push_back(&field.name);
    std::sort(names.begin(), names.end(), [](const QString* a, const QString* b) { return *a < *b; });
    const auto twin =
        std::adjacent_find(names.begin(), names.end(), [](const QString* a, const QString* b) { return *a == *b; });
    if (twin != names.end()) reader.fail(h.offset, QStringLiteral("field \"%1\" appears twice").arg(**twin));
    return fields;
}

std::vector<Row> readRows(CborReader& reader, const std::vector<FieldDef>& fields)
{
    const Head h = reader.head();
    if (h.major != kArray) reader.wrongItem(h, "an array", "key \"rows\"");
    // Each row takes its array head and at least one byte per value.
    const qsizetype count = reader.enterArray(h, 1 + static_cast<qsizetype>(fields.size()));
    reader.charge(count * static_cast<qsizetype>(sizeof(Row)));
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) rows.push_back(readRow(reader, fields, {"row", i}));
    reader.leave();
    return rows;
}

Change readChange(CborReader& reader, const std::vector<FieldDef>& fields, qsizetype index)
{
    const Head h = reader.head();
    if (h.major != kMap)
        reader.fail(h.offset,
                    QStringLiteral("change %1 must be a map, found %2").arg(index + 1).arg(CborReader::describe(h)));
    const qsizetype count = reader.enterMap(h);
    Change change;
    std::optional<ChangeKind> kind;
    bool hasOld = false;
    bool hasNew = false;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype keyAt = reader.offset();
        const std::string_view key = reader.key();
        const bool repeated = (key == "op"sv && kind) || (key == "old"sv && hasOld) || (key == "new"sv && hasNew);
        if (repeated) reader.fail(keyAt, QStringLiteral("duplicate map key \"%1\"").arg(keyText(key)));
        if (key == "op"sv) {
            const Head opHead = reader.head();
            const QString op = reader.text(opHead, "key \"op\"");
            if (op == u"insert")
                kind = ChangeKind::Insert;
            else if (op == u"update")
                kind = ChangeKind::Update;
            else if (op == u"delete")
                kind = ChangeKind::Delete;
            else
                reader.fail(opHead.offset, QStringLiteral("change %1 has an unknown op \"%2\"").arg(index + 1).arg(op));
        } else if (key == "old"sv) {
            change.oldRow = readRow(reader, fields, {"change", index, "old"});
            hasOld = true;
        } else if (key == "new"sv) {
            change.newRow = readRow(reader, fields, {"change", index, "new"});
            hasNew = true;
        } else {
            reader.fail(keyAt, QStringLiteral("unexpected key \"%1\" in change %2").arg(keyText(key)).arg(index + 1));
        }
    }
    reader.leave();
    if (!kind) reader.fail(h.offset, QStringLiteral("change %1 lacks key \"op\"").arg(index + 1));
    change.kind = *kind;
    const bool wantOld = change.kind != ChangeKind::Insert;
    const bool wantNew = change.kind != ChangeKind::Delete;
    if (wantOld != hasOld)
        reader.fail(h.offset, (wantOld ? QStringLiteral("change %1 lacks key \"old\"")
                                       : QStringLiteral("change %1 (insert) must not carry key \"old\""))
                                  .arg(index + 1));
    if (wantNew != hasNew)
        reader.fail(h.offset, (wantNew ? QStringLiteral("change %1 lacks key \"new\"")
                                       : QStringLiteral("change %1 (delete) must not carry key \"new\""))
                                  .arg(index + 1));
    return change;
}

std::vector<Change> readChanges(CborReader& reader, const std::vector<FieldDef>& fields)
{
    const Head h = reader.head();
    if (h.major != kArray) reader.wrongItem(h, "an array", "key \"changes\"");
    // The smallest change, {"op":"delete","old":[...]}, takes well over 8 bytes.
    const qsizetype count = reader.enterArray(h, 8);
    reader.charge(count * static_cast<qsizetype>(sizeof(Change)));
    std::vector<Change> changes;
    changes.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) changes.push_back(readChange(reader, fields, i));
    reader.leave();
    return changes;
}

// A map among values is a data packet ("fields" and "rows") or a change set ("fields" and
// "changes"). Rows need their fields; when "rows" comes first it is stepped over and read
// once the fields are known.
Value readPacketOrChangeSet(CborReader& reader, const Head& h)
{
    enum class Body { None, Rows, Changes };
    const qsizetype count = reader.enterMap(h);
    reader.charge(kSharedBlockBytes + static_cast<qsizetype>(sizeof(DataPacket)));
    std::optional<std::vector<FieldDef>> fields;
    Body body = Body::None;
    std::optional<CborReader::Mark> deferred;
    std::vector<Row> rows;
    std::vector<Change> changes;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype keyAt = reader.offset();
        const std::string_view key = reader.key();
        if (key == "fields"sv) {
            if (fields) reader.fail(keyAt, QStringLiteral("duplicate map key \"fields\""));
            fields = readFields(reader);
        } else if (key == "rows"sv || key == "changes"sv) {
            const Body found = key == "rows"sv ? Body::Rows : Body::Changes;
            if (body == found) reader.fail(keyAt, QStringLiteral("duplicate map key \"%1\"").arg(keyText(key)));
            if (body != Body::None)
                reader.fail(keyAt, QStringLiteral("a map cannot be both a data packet and a change set"));
            body = found;
            if (!fields) {
                deferred = reader.mark();
                reader.skip();
            } else if (body == Body::Rows) {
                rows = readRows(reader, *fields);
            } else {
                changes = readChanges(reader, *fields);
            }
        } else {
            reader.fail(keyAt,
                        QStringLiteral("unexpected key \"%1\" in a data packet or change set").arg(keyText(key)));
        }
    }
    if (body == Body::None)
        reader.fail(h.offset,
                    QStringLiteral("a map must be a data packet (key \"rows\") or a change set (key \"changes\")"));
    if (!fields) reader.fail(h.offset, QStringLiteral("missing key \"fields\""));
    if (deferred) {
        const CborReader::Mark after = reader.mark();
        reader.reset(*deferred);
        if (body == Body::Rows)
            rows = readRows(reader, *fields);
        else
            changes = readChanges(reader, *fields);
        reader.reset(after);
    }
    reader.leave();
    if (body == Body::Rows) return Value(DataPacket{std::move(*fields), std::move(rows)});
    return Value(ChangeSet{std::move(*fields), std::move(changes)});
}

}  // namespace

Array readArray(CborReader& reader, const Head& h, const char* what)
{
    if (h.major != kArray) reader.wrongItem(h, "an array", what);
    const qsizetype count = reader.enterArray(h);
    reader.charge(kSharedBlockBytes + count * static_cast<qsizetype>(sizeof(Value)));
    Array items;
    items.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) items.push_back(readValue(reader));
    reader.leave();
    return items;
}

Value readValue(CborReader& reader, const Head& h)
{
    switch (h.major) {
    case kUnsigned:
    case kNegative: return Value(reader.integer(h, "a value"));
    case kBytes: reader.fail(h.offset, QStringLiteral("byte strings are not used"));
    case kText: return Value(reader.text(h, "a value"));
    case kArray: return Value(readArray(reader, h, "a value"));
    case kMap: return readPacketOrChangeSet(reader, h);
    case kTag:
        if (h.arg != 0) reader.fail(h.offset, QStringLiteral("unknown tag %1").arg(h.arg));
        return Value(reader.dateTime(h, "a value"));
    default:
        if (h.isNull()) return Value();
        if (h.isBool()) return Value(reader.boolean(h, "a value"));
        if (h.isFloat()) return Value(reader.floating(h, "a value"));
        reader.fail(h.offset, QStringLiteral("%1 is not used").arg(CborReader::describe(h)));
    }
}

}  // namespace wire::detail
