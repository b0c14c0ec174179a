#include "framework/ui/edit_mask.h"

#include <algorithm>

namespace {

// Positions of the field separators ";" that are not escaped.
std::vector<int> Separators(const QString& mask)
{
    std::vector<int> found;
    for (int i = 0; i < mask.size(); ++i) {
        if (mask[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (mask[i] == QLatin1Char(';')) found.push_back(i);
        if (found.size() == 2) break;
    }
    return found;
}

// Characters with a meaning of their own in a QLineEdit input mask.
bool SpecialForInputMask(QChar c)
{
    static const QString special = QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{};");
    return special.contains(c);
}

}  // namespace

TEditMask TEditMask::Parse(const QString& mask)
{
    TEditMask m;
    m.source_ = mask;
    if (mask.isEmpty()) return m;

    const std::vector<int> seps = Separators(mask);
    const QString body = seps.empty() ? mask : mask.left(seps[0]);
    if (!seps.empty()) {
        const int saveAt = seps[0] + 1;
        const int saveEnd = seps.size() > 1 ? seps[1] : static_cast<int>(mask.size());
        if (saveAt < saveEnd) m.keepLiterals_ = mask[saveAt] != QLatin1Char('0');
        if (seps.size() > 1 && seps[1] + 1 < mask.size()) m.blank_ = mask[seps[1] + 1];
    }

    Case charCase = Case::Keep;
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        Position p;
        p.charCase = charCase;
        switch (c.unicode()) {
        case '\\':
            if (i + 1 < body.size()) {
                p.literal = body[++i];
                m.positions_.push_back(p);
            }
            continue;
        case '<':
            if (i + 1 < body.size() && body[i + 1] == QLatin1Char('>')) {
                charCase = Case::Keep;
                ++i;
            } else {
                charCase = Case::Lower;
            }
            continue;
        case '>': charCase = Case::Upper; continue;
        case '!': m.leadingBlanks_ = true; continue;
        case 'L':
            p.kind = Kind::Letter;
            p.required = true;
            break;
        case 'l': p.kind = Kind::Letter; break;
        case 'A':
            p.kind = Kind::LetterOrDigit;
            p.required = true;
            break;
        case 'a': p.kind = Kind::LetterOrDigit; break;
        case 'C':
            p.kind = Kind::Any;
            p.required = true;
            break;
        case 'c': p.kind = Kind::Any; break;
        case '0':
            p.kind = Kind::Digit;
            p.required = true;
            break;
        case '9': p.kind = Kind::Digit; break;
        case '#': p.kind = Kind::DigitOrSign; break;
        case '_': p.literal = QLatin1Char(' '); break;
        default: p.literal = c; break;
        }
        m.positions_.push_back(p);
    }
    return m;
}

QString TEditMask::InputMask() const
{
    if (!IsMasked()) return {};
    QString out;
    Case current = Case::Keep;
    for (const Position& p : positions_) {
        if (p.charCase != current) {
            out += p.charCase == Case::Upper   ? QStringLiteral(">")
                   : p.charCase == Case::Lower ? QStringLiteral("<")
                                               : QStringLiteral("!");
            current = p.charCase;
        }
        switch (p.kind) {
        case Kind::Literal:
            if (SpecialForInputMask(p.literal)) out += QLatin1Char('\\');
            out += p.literal;
            break;
        case Kind::Letter: out += QLatin1Char(p.required ? 'A' : 'a'); break;
        case Kind::LetterOrDigit: out += QLatin1Char(p.required ? 'N' : 'n'); break;
        case Kind::Any: out += QLatin1Char(p.required ? 'X' : 'x'); break;
        case Kind::Digit: out += QLatin1Char(p.required ? '9' : '0'); break;
        case Kind::DigitOrSign: out += QLatin1Char('#'); break;
        }
    }
    out += QLatin1Char(';');
    out += blank_;
    return out;
}

bool TEditMask::Accepts(int pos, QChar c) const
{
    if (pos < 0 || pos >= Length() || c == blank_) return false;
    switch (positions_[static_cast<std::size_t>(pos)].kind) {
    case Kind::Literal: return false;
    case Kind::Letter: return c.isLetter();
    case Kind::LetterOrDigit: return c.isLetterOrNumber();
    case Kind::Any: return c.isPrint();
    case Kind::Digit: return c.isDigit();
    case Kind::DigitOrSign: return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
    }
    return false;
}

QChar TEditMask::Stored(int pos, QChar c) const
{
    switch (positions_[static_cast<std::size_t>(pos)].charCase) {
    case Case::Upper: return c.toUpper();
    case Case::Lower: return c.toLower();
    case Case::Keep: return c;
    }
    return c;
}

QString TEditMask::BlankEditText() const
{
    QString out;
    for (const Position& p : positions_) out += p.kind == Kind::Literal ? p.literal : blank_;
    return out;
}

bool TEditMask::IsBlank(const QString& editText) const
{
    for (int i = 0; i < Length() && i < editText.size(); ++i) {
        if (IsInput(i) && editText[i] != blank_ && editText[i] != QLatin1Char(' ')) return false;
    }
    return true;
}

int TEditMask::FirstMissing(const QString& editText) const
{
    for (int i = 0; i < Length(); ++i) {
        const Position& p = positions_[static_cast<std::size_t>(i)];
        if (p.kind == Kind::Literal || !p.required) continue;
        if (i >= editText.size() || editText[i] == blank_) return i;
    }
    return -1;
}

QString TEditMask::TextOf(const QString& editText) const
{
    if (!IsMasked()) return editText;
    if (keepLiterals_) return editText;
    QString inputs;
    for (int i = 0; i < Length() && i < editText.size(); ++i) {
        if (IsInput(i)) inputs += editText[i];
    }
    // The incomplete end holds blanks: trailing ones, or leading ones with "!".
    if (leadingBlanks_) {
        int first = 0;
        while (first < inputs.size() && inputs[first] == blank_) ++first;
        inputs = inputs.mid(first);
    } else {
        int end = static_cast<int>(inputs.size());
        while (end > 0 && inputs[end - 1] == blank_) --end;
        inputs.truncate(end);
    }
    inputs.replace(blank_, QLatin1Char(' '));
    return inputs;
}

QString TEditMask::EditTextOf(const QString& text) const
{
    if (!IsMasked()) return text;
    QString out = BlankEditText();
    auto place = [&](int pos, QChar c) {
        if (Accepts(pos, c)) out[pos] = Stored(pos, c);
    };
    if (keepLiterals_) {
        for (int i = 0; i < Length() && i < text.size(); ++i) {
            if (IsInput(i)) place(i, text[i]);
        }
        return out;
    }
    std::vector<int> inputs;
    for (int i = 0; i < Length(); ++i) {
        if (IsInput(i)) inputs.push_back(i);
    }
    const int count = static_cast<int>(std::min<std::size_t>(inputs.size(), static_cast<std::size_t>(text.size())));
    // With leading blanks the characters fill the last positions.
    const int offset = leadingBlanks_ ? static_cast<int>(inputs.size()) - count : 0;
    for (int k = 0; k < count; ++k) place(inputs[static_cast<std::size_t>(offset + k)], text[k]);
    return out;
}
