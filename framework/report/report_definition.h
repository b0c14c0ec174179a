#pragma once
// A report definition as read from its file (see report_parser.h for the format): title,
// declared parameters, the SQL of its master rows and of the detail rows of each master row
// per database dialect, and the page layout made of bands.

#include "framework/db/params.h"
#include "framework/db/sql_dialect.h"
#include "framework/report/report_template.h"

#include <QColor>
#include <QLineF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <vector>

// Bands in the order a page shows them. The page header and footer are on every page; a
// master's header opens its rows, the detail header titles its detail lines (repeated after a
// page break), the master footer closes them (totals).
enum class TBandKind { PageHeader, MasterHeader, DetailHeader, Detail, MasterFooter, PageFooter };
inline constexpr std::size_t BandKindCount = 6;
QString BandSectionName(TBandKind kind);  // "page-header", "master-header", ...

struct TReportItem {
    enum class Kind { Text, Line, Box };
    Kind kind = Kind::Text;
    QRectF rect;           // text and box: millimetres from the band's top-left corner
    QLineF line;           // line: the same units
    TReportTemplate text;  // text only
    bool bold = false;
    bool italic = false;
    double fontSize = 0;  // points; 0: the report's size
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool wrap = false;      // break long text into lines (clipped to the box) instead of eliding
    bool frame = false;     // draw the box's outline
    double penWidth = 0.2;  // millimetres
    QColor fill;            // background; invalid: none
    int sourceLine = 0;
};

struct TReportBand {
    bool present = false;
    double height = 0;  // millimetres
    std::vector<TReportItem> items;
    int sourceLine = 0;
};

struct TReportSql {
    bool present = false;
    QStringList generic;  // used where no dialect text is given
    std::map<TSqlDialect, QStringList> byDialect;
    int sourceLine = 0;

    const QStringList& For(TSqlDialect dialect) const;
    // Every text, for checks that must hold in all dialects.
    std::vector<const QStringList*> AllTexts() const;
};

enum class TPageNumbering {
    PerMaster,  // each master row is its own document: "Página 1 de 2" counts its pages
    Report,     // pages count through the whole report
};

struct TReportDefinition {
    QString code;  // from the file name
    QString title;
    QString filePath;

    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10};  // millimetres: left, top, right, bottom
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSize = 8;
    TPageNumbering numbering = TPageNumbering::PerMaster;
    bool masterNewPage = true;
    // How a PDF of the report is named, read on its first master row ("{#CODE}_{CDFILIAL}");
    // empty: the code and the parameters' values.
    TReportTemplate fileName;
    int fileNameLine = 0;

    std::vector<TParamDecl> parameters;
    TReportSql master;
    TReportSql detail;
    std::array<TReportBand, BandKindCount> bands;

    const TReportBand& Band(TBandKind kind) const { return bands[std::size_t(kind)]; }
    TReportBand& Band(TBandKind kind) { return bands[std::size_t(kind)]; }
    QSizeF PageSizeMm() const;  // oriented
    QSizeF BodySizeMm() const;  // inside the margins
};
