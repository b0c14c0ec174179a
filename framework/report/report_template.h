#pragma once
// The text of a report item: literal text with values in braces.
//
//   {NAME}              a column of the current row (detail lines: the detail row, then the
//                       master row; other bands: the master row)
//   {NAME:FORMAT}       the same, formatted: numbers with a display format ("#,##0.00", "0",
//                       "0.00%"), dates with a date format ("dd/mm/yyyy hh:nn")
//   {@PARAM[:FORMAT]}   a report parameter
//   {SUM(NAME)[:FORMAT]} the sum of a detail column over the current master's detail rows
//   {#COUNT}            the number of detail rows of the current master
//   {#PAGE} {#PAGES}    page number and page count (of the master's document or of the report)
//   {#NOW[:FORMAT]}     the moment the report was run
//   {#TITLE} {#CODE}    the report's title and code
//   {{ and }}           literal braces

#include <QString>
#include <QStringList>

#include <vector>

struct TTemplatePart {
    enum class Kind { Literal, Field, Param, Sum, Count, Page, Pages, Now, Title, Code };
    Kind kind = Kind::Literal;
    QString text;    // the literal text, or the column/parameter name
    QString format;  // empty: the value's plain text
};

class TReportTemplate {
public:
    TReportTemplate() = default;
    // EReportError with a Portuguese description of the first fault.
    static TReportTemplate Parse(const QString& text);

    const std::vector<TTemplatePart>& Parts() const { return parts_; }
    bool IsConstant() const;
    // Names used, by kind (each once, as written).
    QStringList Names(TTemplatePart::Kind kind) const;

private:
    std::vector<TTemplatePart> parts_;
};
