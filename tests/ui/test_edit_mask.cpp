// Reading edit masks and converting between the text a form reads and the text shown.

#include "framework/ui/edit_mask.h"

#include <gtest/gtest.h>

namespace {

TEST(EditMask, BranchMaskForcesUpperCaseAndDropsLiteralsWithBlankAsFill)
{
    const TEditMask m = TEditMask::Parse(QStringLiteral(">aaaa;0; "));
    ASSERT_TRUE(m.IsMasked());
    EXPECT_EQ(m.Length(), 4);
    EXPECT_FALSE(m.KeepsLiterals());
    EXPECT_EQ(m.Blank(), QLatin1Char(' '));
    EXPECT_EQ(m.InputMask(), QStringLiteral(">nnnn; "));
    EXPECT_EQ(m.EditTextOf(QStringLiteral("ab1")), QStringLiteral("AB1 "));
    EXPECT_EQ(m.TextOf(QStringLiteral("AB1 ")), QStringLiteral("AB1"));
    EXPECT_EQ(m.TextOf(QStringLiteral("    ")), QString());
    // Characters the mask refuses leave their place blank; extra ones are dropped.
    EXPECT_EQ(m.EditTextOf(QStringLiteral("a-bcde")), QStringLiteral("A BC"));
    EXPECT_EQ(m.TextOf(QStringLiteral("A BC")), QStringLiteral("A BC"));
}

TEST(EditMask, DigitMaskAcceptsDigitsOnly)
{
    const TEditMask m = TEditMask::Parse(QStringLiteral("9999;0; "));
    EXPECT_EQ(m.InputMask(), QStringLiteral("0000; "));
    EXPECT_TRUE(m.Accepts(0, QLatin1Char('7')));
    EXPECT_FALSE(m.Accepts(0, QLatin1Char('a')));
    EXPECT_FALSE(m.Accepts(4, QLatin1Char('7')));
    EXPECT_EQ(m.EditTextOf(QStringLiteral("7")), QStringLiteral("7   "));
    EXPECT_EQ(m.TextOf(QStringLiteral("7   ")), QStringLiteral("7"));
    EXPECT_EQ(m.FirstMissing(QStringLiteral("    ")), -1) << "every position is optional";
}

TEST(EditMask, DateMaskKeepsLiteralsAndItsBlankFormIsEmpty)
{
    const TEditMask m = TEditMask::Parse(QStringLiteral("99/99/9999;1; "));
    EXPECT_TRUE(m.KeepsLiterals());
    EXPECT_EQ(m.BlankEditText(), QStringLiteral("  /  /    "));
    EXPECT_EQ(m.TextOf(m.BlankEditText()), QStringLiteral("  /  /    "));
    EXPECT_TRUE(m.IsBlank(QStringLiteral("  /  /    ")));
    EXPECT_FALSE(m.IsBlank(QStringLiteral("  /  /2   ")));
    EXPECT_EQ(m.EditTextOf(QStringLiteral("31/12/2026")), QStringLiteral("31/12/2026"));
    EXPECT_EQ(m.EditTextOf(QStringLiteral("31/1")), QStringLiteral("31/1 /    "));
    // "/" is no mask character of QLineEdit, so it goes unescaped.
    EXPECT_EQ(m.InputMask(), QStringLiteral("00/00/0000; "));
}

TEST(EditMask, RequiredPositionsAndTheirFirstMissingPlace)
{
    const TEditMask m = TEditMask::Parse(QStringLiteral("LL-000;1;_"));
    EXPECT_EQ(m.Blank(), QLatin1Char('_'));
    EXPECT_EQ(m.InputMask(), QStringLiteral("AA-999;_"));
    EXPECT_EQ(m.FirstMissing(QStringLiteral("AB-12_")), 5);
    EXPECT_EQ(m.FirstMissing(QStringLiteral("AB-123")), -1);
    EXPECT_EQ(m.FirstMissing(QStringLiteral("_B-123")), 0);
    EXPECT_FALSE(m.Accepts(0, QLatin1Char('1')));
    EXPECT_FALSE(m.Accepts(3, QLatin1Char('_'))) << "the blank is never a typed character";
}

TEST(EditMask, CaseSwitchesEscapesAndQLineEditSpecialLiterals)
{
    // "<>" ends the case change; "\\L" is a literal L (no mask character of QLineEdit, so
    // unescaped there); "X" and "H" are literals here but QLineEdit's mask characters, so
    // they are escaped there.
    const TEditMask m = TEditMask::Parse(QStringLiteral(">l<l<>l\\LXH;0;*"));
    ASSERT_EQ(m.Length(), 6);
    EXPECT_EQ(m.Stored(0, QLatin1Char('a')), QLatin1Char('A'));
    EXPECT_EQ(m.Stored(1, QLatin1Char('B')), QLatin1Char('b'));
    EXPECT_EQ(m.Stored(2, QLatin1Char('c')), QLatin1Char('c'));
    EXPECT_EQ(m.Positions()[3].kind, TEditMask::Kind::Literal);
    EXPECT_EQ(m.Positions()[3].literal, QLatin1Char('L'));
    EXPECT_EQ(m.InputMask(), QStringLiteral(">a<a!aL\\X\\H;*"));
    EXPECT_EQ(m.TextOf(QStringLiteral("AbcLXH")), QStringLiteral("Abc"));
    EXPECT_EQ(m.EditTextOf(QStringLiteral("xyz")), QStringLiteral("XyzLXH"));
}

TEST(EditMask, LeadingBlanksFillFromTheRight)
{
    const TEditMask m = TEditMask::Parse(QStringLiteral("!9999;0;_"));
    EXPECT_TRUE(m.LeadingBlanks());
    EXPECT_EQ(m.EditTextOf(QStringLiteral("42")), QStringLiteral("__42"));
    EXPECT_EQ(m.TextOf(QStringLiteral("__42")), QStringLiteral("42"));
    EXPECT_EQ(m.TextOf(QStringLiteral("4_2_")), QStringLiteral("4 2 ")) << "only the leading blanks go";
}

TEST(EditMask, MissingFieldsTakeTheirDefaultsAndEmptyMeansNoMask)
{
    const TEditMask plain = TEditMask::Parse(QString());
    EXPECT_FALSE(plain.IsMasked());
    EXPECT_EQ(plain.TextOf(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(plain.InputMask(), QString());

    const TEditMask bare = TEditMask::Parse(QStringLiteral("000"));
    EXPECT_TRUE(bare.KeepsLiterals());
    EXPECT_EQ(bare.Blank(), QLatin1Char('_'));

    // An escaped separator belongs to the mask.
    const TEditMask escaped = TEditMask::Parse(QStringLiteral("9\\;9;1; "));
    EXPECT_EQ(escaped.Length(), 3);
    EXPECT_EQ(escaped.Positions()[1].literal, QLatin1Char(';'));
    EXPECT_EQ(escaped.Blank(), QLatin1Char(' '));
}

}  // namespace
