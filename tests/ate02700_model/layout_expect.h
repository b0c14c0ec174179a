#pragma once
// Compact expected layouts of persistent fields, and the check of a declared layout against
// one: the plain definitions, then the fields declared on a real dataset and the members of
// the layout's struct pointing at them.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <vector>

namespace layout_expect {

// Compact expectation of one field: type 'S' string, 'F' float, 'D' date-time; flags
// 'h' hidden, 'r' read-only, 'q' required, 'x' fixed length; width 0 = not set.
struct Expect {
    const char16_t* name;
    char type;
    int size;
    const char16_t* label = u"";
    const char16_t* format = u"";
    const char* flags = "";
    int width = 0;
    const char16_t* origin = u"";
};

template <class Fields> struct Row {
    TField* Fields::*member;
    Expect e;
};

inline TFieldType TypeOf(char c)
{
    switch (c) {
    case 'F': return TFieldType::Float;
    case 'D': return TFieldType::DateTime;
    default: return TFieldType::String;
    }
}

inline bool Has(const char* flags, char f) { return QByteArray(flags).contains(f); }

inline void ExpectDef(const TFieldDef& d, const Expect& e, int at)
{
    SCOPED_TRACE(testing::Message() << "field #" << at + 1 << " " << QString::fromUtf16(e.name).toStdString());
    EXPECT_EQ(d.Name, QString::fromUtf16(e.name));
    EXPECT_EQ(d.DataType, TypeOf(e.type));
    // An unsized string would mean the default of 20; every size here is explicit.
    EXPECT_EQ(d.DataType == TFieldType::String && d.Size == 0 ? 20 : d.Size, e.size);
    EXPECT_EQ(d.DisplayLabel, QString::fromUtf16(e.label));
    EXPECT_EQ(d.DisplayFormat, QString::fromUtf16(e.format));
    EXPECT_EQ(d.Visible, !Has(e.flags, 'h'));
    EXPECT_EQ(d.ReadOnly, Has(e.flags, 'r'));
    EXPECT_EQ(d.Required, Has(e.flags, 'q'));
    EXPECT_EQ(d.FixedChar, Has(e.flags, 'x'));
    EXPECT_EQ(d.DisplayWidth, e.width);
    EXPECT_EQ(d.Origin, QString::fromUtf16(e.origin));
    EXPECT_TRUE(d.EditMask.isEmpty()) << "masks come from the host's configuration";
}

// Checks the plain definitions, then declares them on a real dataset and checks that every
// member of the returned struct points at its own field.
template <class Fields> void CheckLayout(const std::vector<TFieldDef>& defs, Fields (*declare)(TClientDataSet&),
                                         const std::vector<Row<Fields>>& expected)
{
    ASSERT_EQ(defs.size(), expected.size());
    for (size_t i = 0; i < defs.size(); ++i) ExpectDef(defs[i], expected[i].e, int(i));

    TClientDataSet cds;
    const Fields fields = declare(cds);
    ASSERT_EQ(cds.FieldCount(), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const TField& field = cds.Fields(int(i));
        ExpectDef(field.Def(), expected[i].e, int(i));
        EXPECT_EQ(fields.*(expected[i].member), &field) << field.FieldName().toStdString();
        if (expected[i].e.type == 'S') {
            EXPECT_EQ(field.Size(), expected[i].e.size);
        }
    }
}

}  // namespace layout_expect
