#pragma once
// A read-only SQL lookup described as data: its text per database dialect, its parameters and
// its result fields. The form applies it to its query component; the texts run unchanged.

#include "framework/data/field.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace ate02700 {

struct ParamSpec {
    QString name;
    std::optional<TFieldType> type;  // nullopt: the type comes from the value bound
    friend bool operator==(const ParamSpec&, const ParamSpec&) = default;
};

struct LookupQuerySpec {
    QString name;           // component name, for messages
    QStringList sql;        // generic text, one entry per line
    QStringList sqlOracle;  // empty: the generic text serves Oracle too
    QStringList sqlIb;      // empty: the generic text serves InterBase too
    QList<ParamSpec> params;
    std::vector<TFieldDef> fields;  // persistent result fields, in order
};

}  // namespace ate02700
