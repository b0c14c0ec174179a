// Consiste's text helpers: code fitting, emptiness of masked texts, decimal rounding.

#include "framework/units/core/consiste_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Consiste::Ajusta;
using Consiste::EmptyString;
using Consiste::RoundDec;

TEST(Ajusta, FitsCodesToTheirWidth)
{
    EXPECT_EQ(Ajusta(QStringLiteral("1"), 4), QStringLiteral("0001"));
    EXPECT_EQ(Ajusta(QStringLiteral("7"), 4), QStringLiteral("0007"));
    EXPECT_EQ(Ajusta(QStringLiteral("  12 "), 4), QStringLiteral("0012"));
    EXPECT_EQ(Ajusta(QStringLiteral("0001"), 4), QStringLiteral("0001"));
    EXPECT_EQ(Ajusta(QStringLiteral("AB"), 4), QStringLiteral("00AB"));
    EXPECT_EQ(Ajusta(QStringLiteral("1234"), 10), QStringLiteral("0000001234"));
    // Inner blanks are part of the code.
    EXPECT_EQ(Ajusta(QStringLiteral(" 1 2 "), 4), QStringLiteral("01 2"));
}

TEST(Ajusta, EmptyStaysEmptyAndLongerIsNeverCut)
{
    EXPECT_EQ(Ajusta(QString(), 4), QString());
    EXPECT_EQ(Ajusta(QStringLiteral("    "), 4), QString());
    EXPECT_EQ(Ajusta(QStringLiteral("\t"), 4), QString());
    EXPECT_EQ(Ajusta(QStringLiteral("12345"), 4), QStringLiteral("12345"));
    EXPECT_EQ(Ajusta(QStringLiteral(" 12345 "), 4), QStringLiteral("12345"));
    EXPECT_EQ(Ajusta(QStringLiteral("5"), 0), QStringLiteral("5"));
}

TEST(EmptyString, BlankAndUntouchedMaskTexts)
{
    EXPECT_TRUE(EmptyString(QString()));
    EXPECT_TRUE(EmptyString(QStringLiteral("")));
    EXPECT_TRUE(EmptyString(QStringLiteral("   ")));
    EXPECT_TRUE(EmptyString(QStringLiteral(" \t\r\n")));
    EXPECT_TRUE(EmptyString(QStringLiteral("  /  /    ")));
    EXPECT_TRUE(EmptyString(QStringLiteral("  /  /       :  :  ")));
    EXPECT_TRUE(EmptyString(QStringLiteral("__/__/____")));
    EXPECT_TRUE(EmptyString(QStringLiteral("   .   ,  ")));

    EXPECT_FALSE(EmptyString(QStringLiteral("a")));
    EXPECT_FALSE(EmptyString(QStringLiteral("0")));
    EXPECT_FALSE(EmptyString(QStringLiteral("01/  /    ")));
    EXPECT_FALSE(EmptyString(QStringLiteral("  /  /2024")));
    EXPECT_FALSE(EmptyString(QStringLiteral("  /  /       :  :0 ")));
    EXPECT_FALSE(EmptyString(QStringLiteral(" ç ")));
}

TEST(RoundDec, HalfAwayFromZeroOnTheDecimalValue)
{
    EXPECT_EQ(RoundDec(1234.567, 2), 1234.57);
    EXPECT_EQ(RoundDec(1234.6, 0), 1235.0);
    EXPECT_EQ(RoundDec(1234.4, 0), 1234.0);
    EXPECT_EQ(RoundDec(2.675, 2), 2.68);  // binary 2.67499999...
    EXPECT_EQ(RoundDec(1.0005, 3), 1.001);
    EXPECT_EQ(RoundDec(1.005, 2), 1.01);
    EXPECT_EQ(RoundDec(0.285, 2), 0.29);
    EXPECT_EQ(RoundDec(8.345, 2), 8.35);
    EXPECT_EQ(RoundDec(0.5, 0), 1.0);
    EXPECT_EQ(RoundDec(2.5, 0), 3.0);          // not to even
    EXPECT_EQ(RoundDec(1.07 * 2.5, 2), 2.68);  // noise of the product does not decide
    EXPECT_EQ(RoundDec(0.1 + 0.2, 2), 0.3);
    EXPECT_EQ(RoundDec(9.995, 2), 10.0);  // carry across the point
    EXPECT_EQ(RoundDec(99999.9999, 3), 100000.0);
    EXPECT_EQ(RoundDec(1.23, 2), 1.23);
    EXPECT_EQ(RoundDec(1.2, 5), 1.2);
}

TEST(RoundDec, NegativeValuesAreSymmetric)
{
    EXPECT_EQ(RoundDec(-1234.567, 2), -1234.57);
    EXPECT_EQ(RoundDec(-2.675, 2), -2.68);
    EXPECT_EQ(RoundDec(-2.5, 0), -3.0);
    EXPECT_EQ(RoundDec(-1.0005, 3), -1.001);
    EXPECT_EQ(RoundDec(-0.004, 2), 0.0);
    EXPECT_FALSE(std::signbit(RoundDec(-0.004, 2)));  // no "-0,00" on screen
}

TEST(RoundDec, EveryThreePlaceValueRoundsLikeIntegerArithmetic)
{
    // i / 1000 read as a decimal: at 2 places it is (i + 5) / 10 hundredths, half up in magnitude.
    // Small amounts and amounts in the hundreds of thousands.
    for (const long long first : {0LL, 987'654'000LL}) {
        for (long long i = first; i <= first + 200'000; ++i) {
            const double x = static_cast<double>(i) / 1000.0;
            const double expected = static_cast<double>((i + 5) / 10) / 100.0;
            ASSERT_EQ(RoundDec(x, 2), expected) << x;
            ASSERT_EQ(RoundDec(-x, 2), -expected) << -x;
        }
    }
}

TEST(RoundDec, AllDecimalsUpToTenAndExtremeValues)
{
    const double x = 0.12345678905;
    const double expected[] = {0.0,      0.1,       0.12,       0.123,       0.1235,      0.12346,
                               0.123457, 0.1234568, 0.12345679, 0.123456789, 0.1234567891};
    for (int d = 0; d <= 10; ++d) EXPECT_EQ(RoundDec(x, d), expected[d]) << d;
    EXPECT_EQ(RoundDec(5e-11, 10), 1e-10);
    EXPECT_EQ(RoundDec(4e-11, 10), 0.0);
    EXPECT_EQ(RoundDec(1e-300, 2), 0.0);

    EXPECT_EQ(RoundDec(123456789012.345, 2), 123456789012.35);
    EXPECT_EQ(RoundDec(9007199254740993.0, 2), 9007199254740993.0);  // no fraction to drop
    EXPECT_EQ(RoundDec(1e20, 2), 1e20);
    EXPECT_EQ(RoundDec(1e300, 10), 1e300);
    const double max = std::numeric_limits<double>::max();
    EXPECT_EQ(RoundDec(max, 2), max);
    EXPECT_EQ(RoundDec(-max, 0), -max);
    EXPECT_EQ(RoundDec(max, -308), max);  // rounding up would leave the doubles

    EXPECT_EQ(RoundDec(1234.0, -2), 1200.0);
    EXPECT_EQ(RoundDec(1250.0, -2), 1300.0);
    EXPECT_EQ(RoundDec(0.0, 2), 0.0);
    EXPECT_TRUE(std::isnan(RoundDec(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_EQ(RoundDec(std::numeric_limits<double>::infinity(), 2), std::numeric_limits<double>::infinity());
}
