// The stored filter (its language, switching it on and off, the rows it lets through) and
// Locate with its options.

#include "dataset_builders.h"

using namespace testdata;

namespace {

class FilterAndLocate : public ::testing::Test {
protected:
    void SetUp() override
    {
        declareServices(ds);
        ds.AddField({.Name = "MARCA", .DataType = TFieldType::String, .Size = 1});
        ds.SetIndexFieldNames("NR");
        const auto cols = [] {
            auto c = serviceColumns();
            c.push_back({"MARCA", TFieldType::String, 1});
            return c;
        }();
        ds.SetData(packet(cols, {{T("A"), T("Água"), 10.0, 1.0, T("S")},
                                 {T("B"), T("bolo"), 20.0, 2.0, T("N")},
                                 {T("C"), T("O'Hara"), 30.0, 3.0, T("S")},
                                 {T("D"), wire::Value(), 40.0, 4.0, wire::Value()}}));
    }
    QStringList passing(const QString& expression)
    {
        ds.SetFilter(expression);
        ds.SetFiltered(true);
        const QStringList out = codes(ds);
        ds.SetFiltered(false);
        return out;
    }

    TClientDataSet ds;
};

}  // namespace

TEST_F(FilterAndLocate, FilterLanguage)
{
    EXPECT_EQ(passing("MARCA = 'S'"), QStringList({"A", "C"}));
    EXPECT_EQ(passing("marca <> 'S'"), QStringList({"B", "D"}));  // null differs from 'S'
    EXPECT_EQ(passing("QTD >= 20 and QTD < 40"), QStringList({"B", "C"}));
    EXPECT_EQ(passing("NOT (MARCA = 'S') Or NR = 1"), QStringList({"A", "B", "D"}));
    EXPECT_EQ(passing("MARCA = 'S' AND (QTD > 15 OR DESCR = 'Água')"), QStringList({"A", "C"}));
    EXPECT_EQ(passing("DESCR = 'O''Hara'"), QStringList({"C"}));
    EXPECT_EQ(passing("[DESCR] IS NULL OR QTD = -1"), QStringList({"D"}));
    EXPECT_EQ(passing("DESCR IS NOT NULL AND DESCR > 'P'"), QStringList({"A", "B"}));
    EXPECT_EQ(passing("QTD = '20'"), QStringList({"B"}));   // quoted number against a number field
    EXPECT_EQ(passing("DESCR < 'a'"), QStringList({"C"}));  // case-sensitive: 'O' sorts before 'a'

    const auto refused = [&](const char* expression, const char* fragment) {
        try {
            ds.SetFilter(QString::fromUtf8(expression));
            ADD_FAILURE() << "accepted: " << expression;
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(fragment))) << e.Message().toStdString();
        }
    };
    refused("MARCA = 'S", "posição 9");
    refused("MARCA = 'S' AND", "posição 16");
    refused("(MARCA = 'S'", "')' esperado");
    refused("MARCA 'S'", "operador");
    refused("MARCA = 'S'; DROP", "caractere inesperado");
    refused("MARCA == 'S'", "posição 8");
    refused("NAOEXISTE = 1", "NAOEXISTE");
    // A refused expression leaves the stored one in place; an empty one lets every row through.
    ds.SetFilter("MARCA = 'S'");
    EXPECT_THROW(ds.SetFilter("MARCA ="), EDatabaseError);
    EXPECT_EQ(ds.Filter(), "MARCA = 'S'");
    EXPECT_EQ(passing(""), QStringList({"A", "B", "C", "D"}));
}

TEST_F(FilterAndLocate, SwitchingTheFilterKeepsTheRowWhenItPasses)
{
    ds.SetFilter("MARCA = 'S'");
    EventLog log;
    log.attach(ds);
    ds.Last();  // D, not marked
    log.take();

    ds.SetFiltered(true);
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "A");  // first row
    EXPECT_EQ(log.take(), "AfterScroll");
    EXPECT_EQ(ds.RecordCount(), 2);
    const wire::DataPacket marked = ds.Data();
    ASSERT_EQ(marked.rows.size(), 2u);
    EXPECT_EQ(marked.rows[1][0], T("C"));
    ds.Next();
    log.take();
    ds.SetFiltered(false);
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "C");  // still passes: stays
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(log.take(), "");
    EXPECT_EQ(ds.Data().rows.size(), 4u);

    // A posted row the filter no longer lets through leaves the view.
    ds.SetFiltered(true);
    ds.First();
    ds.Edit();
    ds.FieldByName("MARCA").SetAsString("N");
    log.take();
    ds.Post();
    EXPECT_EQ(codes(ds), QStringList({"C"}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "C");
    EXPECT_EQ(log.take(), "BeforePost AfterPost AfterScroll");

    // Loading keeps the filter on.
    ds.SetData(ds.Data());
    EXPECT_TRUE(ds.Filtered());
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(FilterAndLocate, LocateOptions)
{
    EventLog log;
    log.attach(ds);
    // Number fields compare as numbers, whatever form the key has.
    EXPECT_TRUE(ds.Locate(u"NR", wire::Value(qint64{3})));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "C");
    EXPECT_TRUE(ds.Locate(u"nr", T("2")));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "B");
    EXPECT_EQ(log.take(), "BeforeScroll AfterScroll BeforeScroll AfterScroll");
    // Found on the row it is on: still a scroll (the forms rely on it after a reload).
    EXPECT_TRUE(ds.Locate(u"NR", wire::Value(2.0)));
    EXPECT_EQ(log.take(), "BeforeScroll AfterScroll");

    // Not found: false, no move, no event.
    EXPECT_FALSE(ds.Locate(u"DESCR", T("água")));
    EXPECT_FALSE(ds.Locate(u"DESCR", T("Ág")));
    EXPECT_FALSE(ds.Locate(u"NR", T("dois")));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "B");
    EXPECT_EQ(log.take(), "");

    EXPECT_TRUE(ds.Locate(u"DESCR", T("água"), {.CaseInsensitive = true}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "A");
    EXPECT_TRUE(ds.Locate(u"DESCR", T("o'h"), {.CaseInsensitive = true, .PartialKey = true}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "C");
    EXPECT_FALSE(ds.Locate(u"DESCR", T("o'h"), {.PartialKey = true}));
    // A null key finds the first row without a value.
    EXPECT_TRUE(ds.Locate(u"DESCR", wire::Value()));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "D");
    EXPECT_THROW(ds.Locate(u"NAOEXISTE", T("x")), EDatabaseError);

    // Only rows the filter lets through are found.
    ds.SetFilter("MARCA = 'S'");
    ds.SetFiltered(true);
    EXPECT_FALSE(ds.Locate(u"CODIGO", T("B")));
    EXPECT_TRUE(ds.Locate(u"CODIGO", T("C")));
    EXPECT_EQ(ds.RecNo(), 2);
}
