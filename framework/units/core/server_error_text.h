#pragma once
// Server error texts: a failure of the application server may name a message key of the
// client's catalogue and one argument for the key's "%s". Every caller decodes it here.
//
// Rule: when the text holds "¿" (U+00BF), the key is the 10 characters after the first "¿"
// and the argument the 20 characters that end just before the first "*"; otherwise the key is
// the 10 characters after the first "#" (the first 10 of the text when there is no "#") and
// the argument the 5 characters that end just before the first "*". The argument is trimmed
// of blanks and control characters at both ends.
//
// Where the rule would read outside the text or into the key, it is bounded: fewer than 10
// characters after the marker give a shorter key; no "*" gives an empty argument; a "*"
// nearer the key than the argument's width gives only the characters between the key and the
// "*"; a "*" inside or before the key gives an empty argument.

#include <QString>

struct ServerErrorText {
    QString key;
    QString argument;
    friend bool operator==(const ServerErrorText&, const ServerErrorText&) = default;
};

ServerErrorText DecodeServerErrorText(const QString& text);

// The catalogue text with its first "%s" replaced by `argument` (a printf-style single
// substitution); a text without "%s" comes back unchanged, and a "%" in the argument is
// taken literally.
QString FormatServerErrorText(const QString& catalogueText, const QString& argument);

// True when the failure comes from the database ("ORA" anywhere, upper case): such a text
// reaches the operator in its own words instead of being decoded.
bool IsDatabaseErrorText(const QString& text);
