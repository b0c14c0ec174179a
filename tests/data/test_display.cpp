// Texts of field values: display formats in two locales, the C-locale text the server gets,
// dates, typed text, and text handlers reading other fields of the same row.

#include "dataset_builders.h"
#include "framework/data/value_text.h"

using namespace testdata;

namespace {

const QLocale enUS(QLocale::English, QLocale::UnitedStates);
const QLocale ptBR(QLocale::Portuguese, QLocale::Brazil);

struct FormatCase {
    double value;
    const char* format;
    const char* en;
    const char* pt;
};

}  // namespace

TEST(Display, FloatFormatsUseTheSeparatorsOfTheLocale)
{
    const FormatCase cases[] = {
        {1234.567, "#,##0.00", "1,234.57", "1.234,57"},
        {1234567.891, "#,##0.00", "1,234,567.89", "1.234.567,89"},
        {-1234.5, "#,##0.00", "-1,234.50", "-1.234,50"},
        {999.999, "#,##0.00", "1,000.00", "1.000,00"},
        {0, "#,##0.00", "0.00", "0,00"},
        {-0.001, "#,##0.00", "0.00", "0,00"},  // rounds to zero: no sign
        {2.675, "0.00", "2.68", "2,68"},       // decimal half up, not the binary value's
        {1.005, "0.00", "1.01", "1,01"},
        {1234.5, "0", "1235", "1235"},
        {-2.5, "0", "-3", "-3"},
        {12.5, "0.00%", "12.50%", "12,50%"},  // '%' is text: no scaling
        {0.5, "#.##", ".5", ",5"},
        {5, "0.0#", "5.0", "5,0"},
        {5.125, "0.0#", "5.13", "5,13"},
        {7, "000", "007", "007"},
        {1234.5, "'R$ '#,##0.00", "R$ 1,234.50", "R$ 1.234,50"},
        {-5, "0.00;(0.00);\"zero\"", "(5.00)", "(5,00)"},
        {0, "0.00;(0.00);\"zero\"", "zero", "zero"},
        {1e15, "#,##0", "1,000,000,000,000,000", "1.000.000.000.000.000"},
    };
    for (const auto& c : cases) {
        const QString format = QString::fromUtf8(c.format);
        EXPECT_EQ(datatext::formatFloat(c.value, format, enUS), QString::fromUtf8(c.en)) << c.value << " " << c.format;
        EXPECT_EQ(datatext::formatFloat(c.value, format, ptBR), QString::fromUtf8(c.pt)) << c.value << " " << c.format;
    }
}

TEST(Display, FieldTextsForOperatorAndServer)
{
    TClientDataSet ds;
    TField& total = ds.AddField({.Name = "TOTAL", .DataType = TFieldType::Float, .DisplayFormat = "#,##0.00"});
    TField& qtd = ds.AddField({.Name = "QTD", .DataType = TFieldType::Float});
    TField& when = ds.AddField({.Name = "QUANDO", .DataType = TFieldType::DateTime});
    TField& n = ds.AddField({.Name = "N", .DataType = TFieldType::Integer, .DisplayFormat = "#,##0"});
    ds.SetData(packet({{"TOTAL", TFieldType::Float, 0},
                       {"QTD", TFieldType::Float, 0},
                       {"QUANDO", TFieldType::DateTime, 0},
                       {"N", TFieldType::Integer, 0}},
                      {{1234.5, 1234.0, wire::makeDateTime(2024, 1, 5), qint64{12345}},
                       {wire::Value(), 0.1, wire::makeDateTime(2024, 1, 5, 13, 45, 7), wire::Value()}}));

    // en_US (the tests' default).
    EXPECT_EQ(total.DisplayText(), "1,234.50");
    EXPECT_EQ(total.Text(), "1234.5");  // editing shows no format
    EXPECT_EQ(qtd.DisplayText(), "1234");
    EXPECT_EQ(qtd.AsString(), "1234");
    EXPECT_EQ(when.DisplayText(), "05/01/2024");
    EXPECT_EQ(n.DisplayText(), "12,345");
    EXPECT_EQ(n.AsString(), "12345");
    ds.Next();
    EXPECT_EQ(total.DisplayText(), "");
    EXPECT_EQ(qtd.AsString(), "0.1");
    EXPECT_EQ(when.DisplayText(), "05/01/2024 13:45:07");
    EXPECT_EQ(when.Text(), "05/01/2024 13:45:07");

    {
        const LocaleScope pt(ptBR);
        ds.First();
        EXPECT_EQ(total.DisplayText(), "1.234,50");
        EXPECT_EQ(total.Text(), "1234,5");
        EXPECT_EQ(n.DisplayText(), "12.345");
        // The text the server gets does not depend on the operator's locale.
        EXPECT_EQ(total.AsString(), "1234.5");
        ds.Edit();
        total.SetText("2.345,75");
        EXPECT_EQ(total.AsFloat(), 2345.75);
        total.SetText(" 12,5 ");
        EXPECT_EQ(total.AsFloat(), 12.5);
        EXPECT_THROW(total.SetText("12,5x"), EDatabaseError);
        // AsString and SetAsString round-trip whatever the locale.
        qtd.SetAsString(total.AsString());
        EXPECT_EQ(qtd.AsFloat(), 12.5);
        ds.Cancel();
    }

    ds.Edit();
    total.SetText("1,234.5");
    EXPECT_EQ(total.AsFloat(), 1234.5);
    total.SetText("");
    EXPECT_TRUE(total.IsNull());
    when.SetText("5/2/2024 8:30");
    EXPECT_EQ(when.AsDateTime(), wire::makeDateTime(2024, 2, 5, 8, 30));
    when.SetText("29/02/2024");
    EXPECT_EQ(when.DisplayText(), "29/02/2024");
    try {
        when.SetText("31/02/2024");
        ADD_FAILURE() << "accepted 31/02";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("'31/02/2024' não é uma data válida para o campo 'QUANDO'."));
    }
    EXPECT_THROW(when.SetText("2024-02-05"), EDatabaseError);
    EXPECT_THROW(n.SetText("1.5"), EDatabaseError);
    n.SetText("1,500");
    EXPECT_EQ(n.AsInteger(), 1500);
    // Text written through SetAsString on a number field is C form.
    qtd.SetAsString("1234.25");
    EXPECT_EQ(qtd.AsFloat(), 1234.25);
    EXPECT_THROW(qtd.SetAsString("1,5"), EDatabaseError);
    EXPECT_EQ(datatext::shortestNumber(1e21), "1E+21");
    EXPECT_EQ(datatext::shortestNumber(-0.00001), "-1E-5");
    EXPECT_EQ(datatext::shortestNumber(123456789012345.0), "123456789012345");
}

TEST(Display, TextHandlersReadOtherFieldsOfTheRowBeingShown)
{
    // The money rule of the delivery list: rounded by the row's currency, then formatted.
    TClientDataSet ds;
    ds.AddField({.Name = "IDTIPNACDEL", .DataType = TFieldType::String, .Size = 1});
    TField& total = ds.AddField({.Name = "VRTOTDELIV", .DataType = TFieldType::Float, .DisplayFormat = "#,##0.00"});
    std::vector<bool> flags;
    total.OnGetText = [&](TField& f, QString& text, bool display) {
        flags.push_back(display);
        const bool dollars = f.DataSet().FieldByName("IDTIPNACDEL").AsString() == "2";
        const double v = f.AsFloat();
        text = datatext::formatFloat(dollars ? v : std::round(v), u"#,##0.00", QLocale());
    };
    ds.SetData(packet({{"IDTIPNACDEL", TFieldType::String, 1}, {"VRTOTDELIV", TFieldType::Float, 0}},
                      {{T("2"), 1234.567}, {T("1"), 1234.567}}));
    QStringList shown;
    for (int row = 0; row < ds.ViewRowCount(); ++row) ds.ReadRow(row, [&] { shown << total.DisplayText(); });
    EXPECT_EQ(shown, QStringList({"1,234.57", "1,235.00"}));
    EXPECT_EQ(total.Text(), "1,234.57");  // current row, edit text
    EXPECT_EQ(flags, (std::vector<bool>{true, true, false}));
}
