#pragma once
// The stored filter of a client dataset: a small expression language, parsed once and
// evaluated per row. Nothing is ever evaluated as code.
//
//   expression := term { OR term }
//   term       := factor { AND factor }
//   factor     := NOT factor | '(' expression ')' | comparison
//   comparison := operand ( '=' | '<>' | '<' | '>' | '<=' | '>=' ) operand
//               | operand IS [NOT] NULL
//   operand    := field name | [field name] | "field name" | 'text' | number
//
// Keywords are case-insensitive; text literals double a quote to contain one ('d''Ávila').
// Comparisons are exact (text is case-sensitive); a number compares with a number field
// numerically and with a text field through its C-locale text. A null value is equal only to
// null: "=" and the ordering operators give false, "<>" gives true.

#include "framework/wire/value.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace datafilter {

struct Node;

class FilterExpression {
public:
    // Throws EDatabaseError with a Portuguese message naming the problem and its position.
    static FilterExpression parse(const QString& text);

    // Field names the expression reads, as written.
    const QStringList& fieldNames() const { return fieldNames_; }

    // Binds the field names to column indexes (-1 when unknown: the field then reads null).
    // `resolve` maps a name to its column and type.
    struct Column {
        int index = -1;
        wire::FieldType type = wire::FieldType::String;
    };
    void bind(const std::function<Column(const QString&)>& resolve);

    // True when the row passes. The expression must be bound.
    bool matches(const wire::Row& row) const;

private:
    std::shared_ptr<const Node> root_;
    QStringList fieldNames_;
    std::vector<Column> columns_;  // per entry of fieldNames_
};

}  // namespace datafilter
