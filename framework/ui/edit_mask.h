#pragma once
// An edit mask in the form forms and fields declare it: "mask;keepLiterals;blank", for
// example ">aaaa;0; " or "99/99/9999;1; ".
//
// Mask characters: ">" upper case from here, "<" lower case, "<>" no case change, "!" blanks
// of an incomplete text lead rather than trail, "\" the next character is a literal;
// "L"/"l" a letter (required/optional), "A"/"a" a letter or digit, "C"/"c" any character,
// "0"/"9" a digit, "#" a digit or a sign (optional), "_" a literal blank; every other
// character is a literal. The second field is "0" when the text is given without the
// literals (anything else keeps them), the third the character shown in empty positions
// ("_" when absent).
//
// The edit text has one character per position (literals included, blanks in empty
// positions). The text drops the literals when they are not kept, trims the blanks of
// the incomplete end and shows inner blanks as spaces; when literals are kept it is the edit
// text itself.

#include <QChar>
#include <QString>

#include <vector>

class TEditMask {
public:
    enum class Kind { Literal, Letter, LetterOrDigit, Any, Digit, DigitOrSign };
    enum class Case { Keep, Upper, Lower };

    struct Position {
        Kind kind = Kind::Literal;
        bool required = false;
        QChar literal;  // for Kind::Literal
        Case charCase = Case::Keep;
    };

    TEditMask() = default;
    // Reads a mask; an empty text gives "no mask".
    static TEditMask Parse(const QString& mask);

    bool IsMasked() const { return !positions_.empty(); }
    const QString& Source() const { return source_; }
    bool KeepsLiterals() const { return keepLiterals_; }
    QChar Blank() const { return blank_; }
    bool LeadingBlanks() const { return leadingBlanks_; }
    const std::vector<Position>& Positions() const { return positions_; }
    int Length() const { return static_cast<int>(positions_.size()); }

    // The same mask in the notation of QLineEdit::setInputMask.
    QString InputMask() const;

    // Whether `c` may be typed at input position `pos`, and the character stored for it.
    bool Accepts(int pos, QChar c) const;
    QChar Stored(int pos, QChar c) const;

    QString BlankEditText() const;
    // True when no input position holds a character.
    bool IsBlank(const QString& editText) const;
    // The first required position left blank, or -1 when every required position is filled.
    int FirstMissing(const QString& editText) const;

    QString TextOf(const QString& editText) const;
    // The edit text that shows `text` (given as TextOf would give it). Characters the mask
    // refuses leave their position blank.
    QString EditTextOf(const QString& text) const;

private:
    bool IsInput(int pos) const { return positions_[static_cast<std::size_t>(pos)].kind != Kind::Literal; }

    QString source_;
    std::vector<Position> positions_;
    bool keepLiterals_ = true;
    QChar blank_ = QLatin1Char('_');
    bool leadingBlanks_ = false;
};
