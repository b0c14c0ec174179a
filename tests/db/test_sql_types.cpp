// How result values of every width a driver may hand back are judged: the type a column
// becomes without persistent fields, and the value a typed field takes from it. Both answers
// come from one judgement of what is a number, so a `long` column is a number to both.

#include "framework/core/exceptions.h"
#include "framework/db/sql_values.h"

#include <QDate>
#include <QSqlField>

#include <gtest/gtest.h>

namespace {

QSqlField column(const char* name, QMetaType::Type declared, int length = -1)
{
    QSqlField field(QString::fromLatin1(name), QMetaType(declared));
    field.setLength(length);
    return field;
}

TFieldDef typed(TFieldType type)
{
    TFieldDef def;
    def.Name = QStringLiteral("VALOR");
    def.DataType = type;
    return def;
}

}  // namespace

TEST(SqlTypes, EveryIntegerWidthIsANumberForTheColumnAndForTheField)
{
    const std::vector<QVariant> widths = {QVariant::fromValue<long>(-7),    QVariant::fromValue<unsigned long>(7),
                                          QVariant::fromValue<short>(3),    QVariant::fromValue<unsigned short>(3),
                                          QVariant::fromValue<int>(-2),     QVariant::fromValue<qlonglong>(1LL << 40),
                                          QVariant::fromValue<float>(1.5f), QVariant(2.25)};
    for (const QVariant& v : widths) {
        SCOPED_TRACE(v.typeName());
        EXPECT_TRUE(IsNumericType(v.typeId()));
        // A column that brought only such values is a number column, not text...
        const TFieldDef def = InferFieldDef(column("QTPAX", QMetaType::UnknownType), {v, QVariant()});
        EXPECT_EQ(def.DataType, TFieldType::Float);
        // ...and a float field takes the value as the number it is.
        EXPECT_EQ(SqlResultValue(v, typed(TFieldType::Float)), wire::Value(v.toDouble()));
    }
    // An integer field takes whole numbers of any width, refuses a fraction.
    EXPECT_EQ(SqlResultValue(QVariant::fromValue<long>(-7), typed(TFieldType::Integer)), wire::Value(qint64{-7}));
    EXPECT_EQ(SqlResultValue(QVariant::fromValue<unsigned long>(7), typed(TFieldType::Integer)),
              wire::Value(qint64{7}));
    EXPECT_THROW(SqlResultValue(QVariant(2.5), typed(TFieldType::Integer)), EDatabaseError);
    EXPECT_FALSE(IsNumericType(QMetaType::QString));
    EXPECT_FALSE(IsNumericType(QMetaType::Bool));
}

TEST(SqlTypes, AnEmptyColumnIsJudgedByItsDeclaredType)
{
    EXPECT_EQ(InferFieldDef(column("N", QMetaType::Long), {}).DataType, TFieldType::Float);
    EXPECT_EQ(InferFieldDef(column("N", QMetaType::ULong), {QVariant()}).DataType, TFieldType::Float);
    EXPECT_EQ(InferFieldDef(column("D", QMetaType::QDate), {QVariant()}).DataType, TFieldType::DateTime);
    const TFieldDef text = InferFieldDef(column("T", QMetaType::QString, 12), {});
    EXPECT_EQ(text.DataType, TFieldType::String);
    EXPECT_EQ(text.Size, 12);
}

TEST(SqlTypes, ValuesDecideOverTheDeclaredType)
{
    // A number column that brought text (SQLite keeps what a row holds) is text, as long as
    // its longest value.
    const TFieldDef mixed = InferFieldDef(column("C", QMetaType::LongLong, 4),
                                          {QVariant::fromValue<long>(12), QVariant(QStringLiteral("ABCDEFG"))});
    EXPECT_EQ(mixed.DataType, TFieldType::String);
    EXPECT_EQ(mixed.Size, 7);
    // Any date makes a date-time column.
    EXPECT_EQ(InferFieldDef(column("D", QMetaType::QString), {QVariant(QDate(2026, 11, 5))}).DataType,
              TFieldType::DateTime);
}
