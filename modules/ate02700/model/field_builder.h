#pragma once
// Compact declarations of persistent fields: the record layouts of the module are tables of
// these, one line per field, each tied to the member of the layout's struct that will point
// at the declared field.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <QString>

#include <utility>
#include <vector>

namespace ate02700::detail {

class FieldBuilder {
public:
    FieldBuilder(QString name, TFieldType type, int size)
    {
        def_.Name = std::move(name);
        def_.DataType = type;
        def_.Size = size;
    }

    FieldBuilder Label(QString label) &&
    {
        def_.DisplayLabel = std::move(label);
        return std::move(*this);
    }
    FieldBuilder Format(QString format) &&
    {
        def_.DisplayFormat = std::move(format);
        return std::move(*this);
    }
    FieldBuilder Width(int characters) &&
    {
        def_.DisplayWidth = characters;
        return std::move(*this);
    }
    FieldBuilder Origin(QString origin) &&
    {
        def_.Origin = std::move(origin);
        return std::move(*this);
    }
    FieldBuilder Hidden() &&
    {
        def_.Visible = false;
        return std::move(*this);
    }
    FieldBuilder ReadOnly() &&
    {
        def_.ReadOnly = true;
        return std::move(*this);
    }
    FieldBuilder Required() &&
    {
        def_.Required = true;
        return std::move(*this);
    }
    FieldBuilder FixedLength() &&
    {
        def_.FixedChar = true;
        return std::move(*this);
    }

    operator TFieldDef() && { return std::move(def_); }

private:
    TFieldDef def_;
};

inline FieldBuilder Str(QString name, int size) { return {std::move(name), TFieldType::String, size}; }
inline FieldBuilder Flt(QString name) { return {std::move(name), TFieldType::Float, 0}; }
inline FieldBuilder Dtm(QString name) { return {std::move(name), TFieldType::DateTime, 0}; }

// One persistent field of a layout and the member of `Fields` that points at it.
template <class Fields> struct FieldDecl {
    TField* Fields::*member;
    TFieldDef def;
};

template <class Fields> std::vector<TFieldDef> DefsOf(std::vector<FieldDecl<Fields>> decls)
{
    std::vector<TFieldDef> defs;
    defs.reserve(decls.size());
    for (auto& decl : decls) defs.push_back(std::move(decl.def));
    return defs;
}

// Declares the fields in table order on an inactive dataset without fields of its own.
template <class Fields> Fields DeclareAll(TClientDataSet& dataSet, std::vector<FieldDecl<Fields>> decls)
{
    Fields fields{};
    for (auto& decl : decls) fields.*(decl.member) = &dataSet.AddField(std::move(decl.def));
    return fields;
}

}  // namespace ate02700::detail
