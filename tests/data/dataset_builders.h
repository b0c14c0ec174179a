#pragma once
// Small builders shared by the dataset suites: a service-like dataset with persistent fields,
// packets written row by row, and a recorder of the events a dataset fires.

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
namespace wire {
inline void PrintTo(const Value& v, std::ostream* os) { *os << v.debugString().toStdString(); }
}  // namespace wire

namespace testdata {

inline wire::Value T(const char* text) { return wire::Value(QString::fromUtf8(text)); }

// Fields: CODIGO string 10 required "Código", DESCR string 5 "Descrição", QTD float, NR float.
inline void declareServices(TClientDataSet& ds)
{
    ds.AddField(
        {.Name = "CODIGO", .DataType = TFieldType::String, .Size = 10, .DisplayLabel = "Código", .Required = true});
    ds.AddField({.Name = "DESCR", .DataType = TFieldType::String, .Size = 5, .DisplayLabel = "Descrição"});
    ds.AddField({.Name = "QTD", .DataType = TFieldType::Float});
    ds.AddField({.Name = "NR", .DataType = TFieldType::Float});
}

inline std::vector<wire::FieldDef> serviceColumns()
{
    return {{"CODIGO", TFieldType::String, 10},
            {"DESCR", TFieldType::String, 5},
            {"QTD", TFieldType::Float, 0},
            {"NR", TFieldType::Float, 0}};
}

inline wire::Row service(const char* code, double qtd, double nr, const char* descr = "d")
{
    return {T(code), T(descr), wire::Value(qtd), wire::Value(nr)};
}

inline wire::DataPacket packet(std::vector<wire::FieldDef> fields, std::vector<wire::Row> rows)
{
    return wire::DataPacket{std::move(fields), std::move(rows)};
}

// A services dataset with index on NR, loaded with rows A(nr 1), B(2), C(3).
inline void loadABC(TClientDataSet& ds)
{
    ds.SetData(packet(serviceColumns(), {service("C", 30, 3), service("A", 10, 1), service("B", 20, 2)}));
}

// The codes of the rows in cursor order, read without moving the cursor.
inline QStringList codes(const TClientDataSet& ds, const QString& field = QStringLiteral("CODIGO"))
{
    QStringList out;
    for (int row = 0; row < ds.ViewRowCount(); ++row) ds.ReadRow(row, [&] { out << ds.FieldByName(field).AsString(); });
    return out;
}

// Records the name of every event a dataset fires, in order.
struct EventLog {
    QStringList names;
    void attach(TClientDataSet& ds)
    {
        const auto rec = [this](const char* n) {
            return [this, n](TClientDataSet&) { names << QString::fromLatin1(n); };
        };
        ds.BeforeInsert = rec("BeforeInsert");
        ds.AfterInsert = rec("AfterInsert");
        ds.BeforeEdit = rec("BeforeEdit");
        ds.AfterEdit = rec("AfterEdit");
        ds.BeforePost = rec("BeforePost");
        ds.AfterPost = rec("AfterPost");
        ds.AfterCancel = rec("AfterCancel");
        ds.BeforeDelete = rec("BeforeDelete");
        ds.AfterDelete = rec("AfterDelete");
        ds.BeforeScroll = rec("BeforeScroll");
        ds.AfterScroll = rec("AfterScroll");
        ds.AfterOpen = rec("AfterOpen");
        ds.AfterClose = rec("AfterClose");
    }
    QString take()
    {
        const QString s = names.join(QLatin1Char(' '));
        names.clear();
        return s;
    }
};

// Sets the default locale for the life of the object.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : saved_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

}  // namespace testdata
