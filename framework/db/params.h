#pragma once
// Parameters of a query or a report: each has a name, a value and an optional declared type.
//
// A TParams holds exactly the parameters it was built with: there is no way to add one
// afterwards, so code that fills parameters by name can never create a parameter its query
// or report does not declare. Names match without regard to letter case.

#include "framework/data/field.h"
#include "framework/wire/value.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

struct TParamDecl {
    QString Name;
    std::optional<TFieldType> DataType;  // none: the value is bound as it was set
};

class TParam {
public:
    explicit TParam(TParamDecl decl);

    const QString& Name() const { return decl_.Name; }
    std::optional<TFieldType> DataType() const { return decl_.DataType; }
    // Declares the type the value is converted to; a value the new type refuses is cleared.
    void SetDataType(std::optional<TFieldType> type);

    const wire::Value& Value() const { return value_; }
    bool IsNull() const { return value_.isNull(); }
    // Text of the value: "" for null, numbers in their shortest C-locale form.
    QString AsString() const;

    // Sets the value, converted to the declared type when there is one (numeric text to a
    // number, a number to its text, ISO text to a date-time). A value that cannot be
    // converted is refused with EDatabaseError and the old value stays.
    void SetValue(const wire::Value& value);
    void SetAsString(const QString& text) { SetValue(wire::Value(text)); }
    void SetAsFloat(double value) { SetValue(wire::Value(value)); }
    void SetAsInteger(qint64 value) { SetValue(wire::Value(value)); }
    void SetAsDateTime(const QDateTime& value) { SetValue(wire::Value(value)); }
    void Clear() { value_ = wire::Value(); }

private:
    TParamDecl decl_;
    wire::Value value_;
};

class TParams {
public:
    TParams() = default;
    // Duplicate names (in any letter case) are kept once, the first declaration winning.
    explicit TParams(const std::vector<TParamDecl>& declarations);
    TParams(TParams&&) noexcept = default;
    TParams& operator=(TParams&&) noexcept = default;
    TParams(const TParams&) = delete;
    TParams& operator=(const TParams&) = delete;

    int Count() const { return int(items_.size()); }
    TParam& Items(int index) const { return *items_.at(std::size_t(index)); }
    QStringList Names() const;

    TParam* FindParam(QStringView name) const;    // nullptr when absent
    TParam& ParamByName(QStringView name) const;  // EDatabaseError when absent
    bool Exists(QStringView name) const { return FindParam(name) != nullptr; }

    // Copies the values of the parameters `other` also has (by name); others keep theirs.
    void AssignValues(const TParams& other);

private:
    std::vector<std::unique_ptr<TParam>> items_;  // the objects never move: references stay valid
};
