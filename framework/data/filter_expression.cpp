#include "framework/data/filter_expression.h"

#include "framework/core/exceptions.h"
#include "framework/data/value_text.h"

#include <cmath>

namespace datafilter {

enum class Op : std::uint8_t { Eq, Ne, Lt, Gt, Le, Ge };

struct Operand {
    enum class Kind : std::uint8_t { Field, Text, Number } kind = Kind::Text;
    int slot = -1;  // Field: entry of fieldNames_
    QString text;
    double number = 0;
};

struct Node {
    enum class Kind : std::uint8_t { And, Or, Not, Compare, IsNull } kind = Kind::Compare;
    std::vector<std::shared_ptr<const Node>> children;
    Op op = Op::Eq;
    Operand lhs, rhs;
    bool negate = false;  // IS NOT NULL
};

namespace {

struct Token {
    enum class Kind : std::uint8_t { End, Name, Text, Number, Op, LParen, RParen, Minus } kind = Kind::End;
    QString text;
    double number = 0;
    Op op = Op::Eq;
    qsizetype pos = 0;
};

[[noreturn]] void fail(qsizetype pos, const QString& what)
{
    throw EDatabaseError(QStringLiteral("Expressão de filtro inválida (posição %1): %2.").arg(pos + 1).arg(what));
}

bool isNameStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'.'; }

// A quoted text starting at s[i] ('' stands for one apostrophe); the position after it.
qsizetype readText(const QString& s, qsizetype i, Token& t)
{
    t.kind = Token::Kind::Text;
    ++i;
    while (true) {
        if (i >= s.size()) fail(t.pos, QStringLiteral("texto sem o apóstrofo de fechamento"));
        if (s[i] == u'\'') {
            if (i + 1 < s.size() && s[i + 1] == u'\'') {
                t.text += u'\'';
                i += 2;
                continue;
            }
            return i + 1;
        }
        t.text += s[i++];
    }
}

// A number starting at s[i] (digits, a point, an exponent); the position after it.
qsizetype readNumber(const QString& s, qsizetype i, Token& t)
{
    qsizetype j = i;
    while (j < s.size() && (s[j].isDigit() || s[j] == u'.')) ++j;
    if (j < s.size() && (s[j] == u'e' || s[j] == u'E')) {
        qsizetype k = j + 1;
        if (k < s.size() && (s[k] == u'+' || s[k] == u'-')) ++k;
        if (k < s.size() && s[k].isDigit()) {
            while (k < s.size() && s[k].isDigit()) ++k;
            j = k;
        }
    }
    const auto value = datatext::parseNumber(QStringView(s).mid(i, j - i));
    if (!value) fail(t.pos, QStringLiteral("número inválido"));
    if (j < s.size() && isNameChar(s[j])) fail(t.pos, QStringLiteral("número inválido"));
    t.kind = Token::Kind::Number;
    t.number = *value;
    return j;
}

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
    qsizetype i = 0;
    while (true) {
        while (i < s.size() && s[i].isSpace()) ++i;
        Token t;
        t.pos = i;
        if (i >= s.size()) {
            out.push_back(t);
            return out;
        }
        const QChar c = s[i];
        if (c == u'(') {
            t.kind = Token::Kind::LParen;
            ++i;
        } else if (c == u')') {
            t.kind = Token::Kind::RParen;
            ++i;
        } else if (c == u'-') {
            t.kind = Token::Kind::Minus;
            ++i;
        } else if (c == u'=') {
            t.kind = Token::Kind::Op;
            t.op = Op::Eq;
            ++i;
        } else if (c == u'<') {
            t.kind = Token::Kind::Op;
            if (i + 1 < s.size() && s[i + 1] == u'>') {
                t.op = Op::Ne;
                i += 2;
            } else if (i + 1 < s.size() && s[i + 1] == u'=') {
                t.op = Op::Le;
                i += 2;
            } else {
                t.op = Op::Lt;
                ++i;
            }
        } else if (c == u'>') {
            t.kind = Token::Kind::Op;
            if (i + 1 < s.size() && s[i + 1] == u'=') {
                t.op = Op::Ge;
                i += 2;
            } else {
                t.op = Op::Gt;
                ++i;
            }
        } else if (c == u'\'') {
            i = readText(s, i, t);
        } else if (c == u'[' || c == u'"') {
            const QChar close = c == u'[' ? u']' : u'"';
            const qsizetype end = s.indexOf(close, i + 1);
            if (end < 0) fail(t.pos, QStringLiteral("nome de campo sem delimitador de fechamento"));
            t.kind = Token::Kind::Name;
            t.text = s.mid(i + 1, end - i - 1).trimmed();
            if (t.text.isEmpty()) fail(t.pos, QStringLiteral("nome de campo vazio"));
            i = end + 1;
        } else if (c.isDigit() || (c == u'.' && i + 1 < s.size() && s[i + 1].isDigit())) {
            i = readNumber(s, i, t);
        } else if (isNameStart(c)) {
            qsizetype j = i;
            while (j < s.size() && isNameChar(s[j])) ++j;
            t.kind = Token::Kind::Name;
            t.text = s.mid(i, j - i);
            i = j;
        } else {
            fail(t.pos, QStringLiteral("caractere inesperado '%1'").arg(c));
        }
        out.push_back(t);
    }
}

bool isKeyword(const Token& t, QLatin1String word)
{
    return t.kind == Token::Kind::Name && t.text.compare(word, Qt::CaseInsensitive) == 0;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, QStringList& names) : tokens_(std::move(tokens)), names_(names) {}

    std::shared_ptr<const Node> parseAll()
    {
        if (peek().kind == Token::Kind::End) fail(peek().pos, QStringLiteral("expressão vazia"));
        auto node = parseOr();
        if (peek().kind != Token::Kind::End) fail(peek().pos, QStringLiteral("AND, OR ou fim da expressão esperado"));
        return node;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

    std::shared_ptr<const Node> parseOr()
    {
        auto left = parseAnd();
        if (!isKeyword(peek(), QLatin1String("OR"))) return left;
        auto node = std::make_shared<Node>();
        node->kind = Node::Kind::Or;
        node->children.push_back(std::move(left));
        while (isKeyword(peek(), QLatin1String("OR"))) {
            take();
            node->children.push_back(parseAnd());
        }
        return node;
    }

    std::shared_ptr<const Node> parseAnd()
    {
        auto left = parseNot();
        if (!isKeyword(peek(), QLatin1String("AND"))) return left;
        auto node = std::make_shared<Node>();
        node->kind = Node::Kind::And;
        node->children.push_back(std::move(left));
        while (isKeyword(peek(), QLatin1String("AND"))) {
            take();
            node->children.push_back(parseNot());
        }
        return node;
    }

    std::shared_ptr<const Node> parseNot()
    {
        if (isKeyword(peek(), QLatin1String("NOT"))) {
            take();
            auto node = std::make_shared<Node>();
            node->kind = Node::Kind::Not;
            node->children.push_back(parseNot());
            return node;
        }
        if (peek().kind == Token::Kind::LParen) {
            take();
            auto inner = parseOr();
            if (peek().kind != Token::Kind::RParen) fail(peek().pos, QStringLiteral("')' esperado"));
            take();
            return inner;
        }
        return parseComparison();
    }

    std::shared_ptr<const Node> parseComparison()
    {
        auto node = std::make_shared<Node>();
        node->lhs = parseOperand();
        if (isKeyword(peek(), QLatin1String("IS"))) {
            take();
            node->kind = Node::Kind::IsNull;
            if (isKeyword(peek(), QLatin1String("NOT"))) {
                take();
                node->negate = true;
            }
            if (!isKeyword(peek(), QLatin1String("NULL"))) fail(peek().pos, QStringLiteral("NULL esperado"));
            take();
            return node;
        }
        if (peek().kind != Token::Kind::Op) fail(peek().pos, QStringLiteral("operador de comparação esperado"));
        node->kind = Node::Kind::Compare;
        node->op = take().op;
        node->rhs = parseOperand();
        return node;
    }

    Operand parseOperand()
    {
        const Token& t = peek();
        Operand o;
        switch (t.kind) {
        case Token::Kind::Text:
            o.kind = Operand::Kind::Text;
            o.text = take().text;
            return o;
        case Token::Kind::Number:
            o.kind = Operand::Kind::Number;
            o.number = take().number;
            return o;
        case Token::Kind::Minus: {
            take();
            if (peek().kind != Token::Kind::Number) fail(peek().pos, QStringLiteral("número esperado após '-'"));
            o.kind = Operand::Kind::Number;
            o.number = -take().number;
            return o;
        }
        case Token::Kind::Name: {
            static constexpr const char* reserved[] = {"AND", "OR", "NOT", "IS", "NULL"};
            for (const char* word : reserved)
                if (isKeyword(t, QLatin1String(word)))
                    fail(t.pos, QStringLiteral("campo ou valor esperado antes de %1").arg(t.text));
            o.kind = Operand::Kind::Field;
            const QString name = take().text;
            qsizetype slot = -1;
            for (qsizetype i = 0; i < names_.size(); ++i)
                if (names_[i].compare(name, Qt::CaseInsensitive) == 0) slot = i;
            if (slot < 0) {
                names_.append(name);
                slot = names_.size() - 1;
            }
            o.slot = static_cast<int>(slot);
            return o;
        }
        default: fail(t.pos, QStringLiteral("campo ou valor esperado"));
        }
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    QStringList& names_;
};

// An operand's value in a row, with the type it compares as.
struct Cell {
    const wire::Value* value = nullptr;  // null pointer: null
    QString text;                        // for literals
    double number = 0;
    enum class Kind : std::uint8_t { Null, Text, Number, DateTime } kind = Kind::Null;
};

int compareNumbers(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

bool applyOp(Op op, int cmp)
{
    switch (op) {
    case Op::Eq: return cmp == 0;
    case Op::Ne: return cmp != 0;
    case Op::Lt: return cmp < 0;
    case Op::Gt: return cmp > 0;
    case Op::Le: return cmp <= 0;
    case Op::Ge: return cmp >= 0;
    }
    return false;
}

}  // namespace

FilterExpression FilterExpression::parse(const QString& text)
{
    FilterExpression e;
    Parser parser(tokenize(text), e.fieldNames_);
    e.root_ = parser.parseAll();
    e.columns_.assign(static_cast<size_t>(e.fieldNames_.size()), Column{});
    return e;
}

void FilterExpression::bind(const std::function<Column(const QString&)>& resolve)
{
    columns_.clear();
    for (const QString& name : fieldNames_) columns_.push_back(resolve(name));
}

namespace {

Cell cellOf(const Operand& o, const std::vector<FilterExpression::Column>& columns, const wire::Row& row)
{
    Cell c;
    switch (o.kind) {
    case Operand::Kind::Text:
        if (!o.text.isEmpty()) {
            c.kind = Cell::Kind::Text;
            c.text = o.text;
        }
        return c;
    case Operand::Kind::Number:
        c.kind = Cell::Kind::Number;
        c.number = o.number;
        return c;
    case Operand::Kind::Field: {
        const auto& col = columns[static_cast<size_t>(o.slot)];
        if (col.index < 0 || col.index >= static_cast<int>(row.size())) return c;
        const wire::Value& v = row[static_cast<size_t>(col.index)];
        switch (v.kind()) {
        case wire::Value::Kind::Text:
            if (!v.text().isEmpty()) {
                c.kind = Cell::Kind::Text;
                c.text = v.text();
            }
            break;
        case wire::Value::Kind::Integer:
        case wire::Value::Kind::Double:
            c.kind = Cell::Kind::Number;
            c.number = v.toDouble();
            break;
        case wire::Value::Kind::DateTime:
            c.kind = Cell::Kind::DateTime;
            c.value = &v;
            break;
        default: break;
        }
        return c;
    }
    }
    return c;
}

QString textOf(const Cell& c)
{
    switch (c.kind) {
    case Cell::Kind::Text: return c.text;
    case Cell::Kind::Number: return datatext::shortestNumber(c.number);
    case Cell::Kind::DateTime: return datatext::formatDateTime(c.value->dateTime());
    case Cell::Kind::Null: return {};
    }
    return {};
}

bool compareCells(Op op, const Cell& a, const Cell& b)
{
    if (a.kind == Cell::Kind::Null || b.kind == Cell::Kind::Null) {
        const bool bothNull = a.kind == b.kind;
        if (op == Op::Eq) return bothNull;
        if (op == Op::Ne) return !bothNull;
        return false;
    }
    if (a.kind == Cell::Kind::Number && b.kind == Cell::Kind::Number)
        return applyOp(op, compareNumbers(a.number, b.number));
    if (a.kind == Cell::Kind::Number && b.kind == Cell::Kind::Text) {
        if (const auto n = datatext::parseNumber(b.text)) return applyOp(op, compareNumbers(a.number, *n));
    }
    if (a.kind == Cell::Kind::Text && b.kind == Cell::Kind::Number) {
        if (const auto n = datatext::parseNumber(a.text)) return applyOp(op, compareNumbers(*n, b.number));
    }
    if (a.kind == Cell::Kind::DateTime || b.kind == Cell::Kind::DateTime) {
        const auto asDate = [](const Cell& c) -> std::optional<QDateTime> {
            if (c.kind == Cell::Kind::DateTime) return c.value->dateTime();
            if (c.kind == Cell::Kind::Text) return datatext::parseDateTime(c.text);
            return std::nullopt;
        };
        const auto x = asDate(a), y = asDate(b);
        if (x && y) return applyOp(op, *x < *y ? -1 : (*y < *x ? 1 : 0));
    }
    return applyOp(op, QString::compare(textOf(a), textOf(b), Qt::CaseSensitive));
}

bool evaluate(const Node& n, const std::vector<FilterExpression::Column>& columns, const wire::Row& row)
{
    switch (n.kind) {
    case Node::Kind::And:
        for (const auto& c : n.children)
            if (!evaluate(*c, columns, row)) return false;
        return true;
    case Node::Kind::Or:
        for (const auto& c : n.children)
            if (evaluate(*c, columns, row)) return true;
        return false;
    case Node::Kind::Not: return !evaluate(*n.children.front(), columns, row);
    case Node::Kind::IsNull: {
        const bool isNull = cellOf(n.lhs, columns, row).kind == Cell::Kind::Null;
        return n.negate ? !isNull : isNull;
    }
    case Node::Kind::Compare: return compareCells(n.op, cellOf(n.lhs, columns, row), cellOf(n.rhs, columns, row));
    }
    return false;
}

}  // namespace

bool FilterExpression::matches(const wire::Row& row) const
{
    if (!root_) return true;
    return evaluate(*root_, columns_, row);
}

}  // namespace datafilter
