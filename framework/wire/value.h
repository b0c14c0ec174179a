#pragma once
// Values that travel between the client and the application server: null, boolean,
// integer, double, text, date-time, arrays, data packets and change sets.
//
// Date-times are wall-clock times of the branch. They are held as QDateTime in Qt::UTC
// spec, used as a naive date and time: nothing in the product converts time zones.

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace wire {

enum class FieldType : std::uint8_t { String, Float, DateTime, Integer };

// "string", "float", "datetime", "integer"
QString fieldTypeName(FieldType type);
std::optional<FieldType> fieldTypeFromName(QStringView name);

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;  // maximum length of a string, 0 otherwise
    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

class Value;
struct DataPacket;
struct ChangeSet;
using Array = std::vector<Value>;
using Row = std::vector<Value>;

// A naive date-time (Qt::UTC spec) from its parts.
QDateTime makeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0);
// The same wall-clock reading in the naive representation, whatever the spec of `dt`.
QDateTime naive(const QDateTime& dt);

class Value {
public:
    enum class Kind : std::uint8_t { Null, Bool, Integer, Double, Text, DateTime, Array, Packet, ChangeSet };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(qint64{i}) {}
    Value(qint64 i) : v_(i) {}
    Value(double d) : v_(d) {}
    Value(QString s) : v_(std::move(s)) {}
    Value(const char*) = delete;  // say QStringLiteral: the encoding must be explicit
    Value(const QDateTime& dt);   // stored naive
    Value(Array a);
    Value(DataPacket p);
    Value(ChangeSet c);

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Double; }

    // Typed access; each throws WireError when the kind does not match.
    bool toBool() const;
    qint64 toInteger() const;  // an integral double is accepted
    double toDouble() const;   // an integer is accepted
    const QString& text() const;
    const QDateTime& dateTime() const;
    const Array& array() const;
    const DataPacket& packet() const;
    const ChangeSet& changeSet() const;

    // Moves the packet out when this value is its only owner, copies it otherwise.
    DataPacket takePacket();

    // Text for logs and test failure messages.
    QString debugString() const;

    friend bool operator==(const Value& a, const Value& b);
    friend bool operator!=(const Value& a, const Value& b) { return !(a == b); }

private:
    std::variant<std::monostate, bool, qint64, double, QString, QDateTime, std::shared_ptr<const Array>,
                 std::shared_ptr<DataPacket>, std::shared_ptr<const ChangeSet>>
        v_;
};

// {"fields":[[NAME,TYPE,SIZE],...],"rows":[[v1,v2,...],...]}
struct DataPacket {
    std::vector<FieldDef> fields;
    std::vector<Row> rows;

    int fieldIndex(QStringView name) const;  // exact name; -1 when absent
    friend bool operator==(const DataPacket&, const DataPacket&) = default;
};

enum class ChangeKind : std::uint8_t { Insert, Update, Delete };

// One entry of a change set: `oldRow` is the row as last loaded (update, delete),
// `newRow` the row as posted (insert, update).
struct Change {
    ChangeKind kind = ChangeKind::Insert;
    Row oldRow;
    Row newRow;
    friend bool operator==(const Change&, const Change&) = default;
};

// {"fields":[...],"changes":[{"op":"insert","new":[...]},{"op":"update","old":[...],"new":[...]},
//  {"op":"delete","old":[...]}]}
struct ChangeSet {
    std::vector<FieldDef> fields;
    std::vector<Change> changes;

    int fieldIndex(QStringView name) const;
    friend bool operator==(const ChangeSet&, const ChangeSet&) = default;
};

}  // namespace wire
