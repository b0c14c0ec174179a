#include "framework/report/report_painter.h"

#include "framework/report/report_error.h"
#include "framework/report/report_value_text.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

namespace {

constexpr double kPaddingMm = 0.6;

wire::Value sumOf(const TReportRowSet& rows, int column)
{
    double sum = 0;
    for (const wire::Row& row : rows.rows) {
        const wire::Value& v = row[std::size_t(column)];
        if (v.isNumber()) {
            sum += v.toDouble();
        } else if (v.kind() == wire::Value::Kind::Text) {
            bool ok = false;
            const double d = v.text().trimmed().toDouble(&ok);
            if (ok) sum += d;
        }
    }
    return wire::Value(sum);
}

class Painter {
public:
    Painter(const TPreparedReport& report, QPainter& painter, QPagedPaintDevice& device, const QLocale& locale)
        : report_(report), painter_(painter), device_(device), locale_(locale)
    {
        dotsPerMm_ = device.logicalDpiX() / 25.4;
        dotsPerMmY_ = device.logicalDpiY() / 25.4;
    }

    void Run()
    {
        const TReportDefinition& def = report_.definition;
        for (std::size_t p = 0; p < report_.pages.size(); ++p) {
            if (p > 0 && !device_.newPage())
                throw EReportError(QStringLiteral("Não foi possível iniciar a página %1 do relatório.").arg(p + 1));
            const TReportPage& page = report_.pages[p];
            for (const TBandPlacement& placed : page.bands) {
                const TReportBand& band = def.Band(placed.kind);
                const QPointF origin(def.margins.left(), def.margins.top() + placed.top);
                for (const TReportItem& item : band.items) PaintItem(item, origin, page, placed);
            }
        }
    }

private:
    QRectF Device(const QRectF& mm) const
    {
        return QRectF(mm.left() * dotsPerMm_, mm.top() * dotsPerMmY_, mm.width() * dotsPerMm_,
                      mm.height() * dotsPerMmY_);
    }
    QPointF Device(const QPointF& mm) const { return QPointF(mm.x() * dotsPerMm_, mm.y() * dotsPerMmY_); }

    QPen Pen(double widthMm) const
    {
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, widthMm * dotsPerMm_));
        pen.setCapStyle(Qt::FlatCap);
        return pen;
    }

    void PaintItem(const TReportItem& item, const QPointF& origin, const TReportPage& page,
                   const TBandPlacement& placed)
    {
        painter_.save();
        switch (item.kind) {
        case TReportItem::Kind::Line:
            painter_.setPen(Pen(item.penWidth));
            painter_.drawLine(Device(item.line.p1() + origin), Device(item.line.p2() + origin));
            break;
        case TReportItem::Kind::Box: {
            const QRectF box = Device(item.rect.translated(origin));
            if (item.fill.isValid()) painter_.fillRect(box, item.fill);
            painter_.setPen(Pen(item.penWidth));
            painter_.setBrush(Qt::NoBrush);
            painter_.drawRect(box);
            break;
        }
        case TReportItem::Kind::Text: PaintText(item, origin, page, placed); break;
        }
        painter_.restore();
    }

    void PaintText(const TReportItem& item, const QPointF& origin, const TReportPage& page,
                   const TBandPlacement& placed)
    {
        const TReportDefinition& def = report_.definition;
        const QRectF box = Device(item.rect.translated(origin));
        if (item.fill.isValid()) painter_.fillRect(box, item.fill);
        if (item.frame) {
            painter_.setPen(Pen(0.2));
            painter_.drawRect(box);
        }
        QString text = ReportTemplateText(report_, item.text, page, placed.master, placed.detail, locale_);
        if (text.isEmpty()) return;

        QFont font(def.fontFamily);
        // Pages are vector output: hinting only costs time (FreeType runs the font's
        // bytecode for every glyph of every new device).
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setPointSizeF(item.fontSize > 0 ? item.fontSize : def.fontSize);
        font.setBold(item.bold);
        font.setItalic(item.italic);
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        const QRectF inner = box.adjusted(kPaddingMm * dotsPerMm_, 0, -kPaddingMm * dotsPerMm_, 0);
        painter_.setClipRect(box, Qt::IntersectClip);
        if (item.wrap) {
            PaintWrapped(text, inner, item.align);
        } else {
            text.replace(QLatin1Char('\n'), QLatin1Char(' '));
            const QFontMetricsF metrics(painter_.font(), &device_);
            text = metrics.elidedText(text, Qt::ElideRight, inner.width());
            painter_.drawText(inner, int(item.align) | Qt::TextSingleLine, text);
        }
    }

    // Breaks the text into the lines that fit the box's width and draws as many whole lines
    // as its height holds; when some are left over, the last line drawn ends with an ellipsis.
    void PaintWrapped(const QString& text, const QRectF& box, Qt::Alignment align)
    {
        const QFontMetricsF metrics(painter_.font(), &device_);
        QTextLayout layout(text, painter_.font(), &device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        std::vector<std::pair<int, int>> spans;  // start, length
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(box.width());
            spans.emplace_back(line.textStart(), line.textLength());
        }
        layout.endLayout();

        const double lineHeight = metrics.lineSpacing();
        const int room = std::max(1, int((box.height() + 0.01) / lineHeight));
        QStringList lines;
        for (std::size_t i = 0; i < spans.size() && int(i) < room; ++i)
            lines << text.mid(spans[i].first, spans[i].second).trimmed();
        if (int(spans.size()) > room)
            lines.last() = metrics.elidedText(text.mid(spans[std::size_t(room - 1)].first).simplified(), Qt::ElideRight,
                                              box.width());

        const double used = lines.size() * lineHeight;
        double y = box.top();
        if (align & Qt::AlignVCenter)
            y += (box.height() - used) / 2;
        else if (align & Qt::AlignBottom)
            y += box.height() - used;
        const Qt::Alignment horizontal = align & Qt::AlignHorizontal_Mask;
        for (const QString& line : lines) {
            painter_.drawText(QRectF(box.left(), y, box.width(), lineHeight),
                              int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, line);
            y += lineHeight;
        }
    }

    const TPreparedReport& report_;
    QPainter& painter_;
    QPagedPaintDevice& device_;
    const QLocale& locale_;
    double dotsPerMm_ = 1, dotsPerMmY_ = 1;
};

}  // namespace

QString ReportTemplateText(const TPreparedReport& report, const TReportTemplate& text, const TReportPage& page,
                           int master, int detail, const QLocale& locale)
{
    using K = TTemplatePart::Kind;
    const TReportData& data = report.data;
    const TReportRowSet* details =
        master >= 0 && std::size_t(master) < data.details.size() ? &data.details[std::size_t(master)] : nullptr;
    QString out;
    for (const TTemplatePart& part : text.Parts()) {
        wire::Value value;
        switch (part.kind) {
        case K::Literal: out += part.text; continue;
        case K::Field: {
            int column = -1;
            if (detail >= 0 && details && (column = details->FieldIndex(part.text)) >= 0) {
                value = details->rows[std::size_t(detail)][std::size_t(column)];
            } else if (master >= 0 && (column = data.master.FieldIndex(part.text)) >= 0) {
                value = data.master.rows[std::size_t(master)][std::size_t(column)];
            }
            break;
        }
        case K::Param:
            if (const TParam* p = report.params.FindParam(part.text)) value = p->Value();
            break;
        case K::Sum:
            if (details) {
                const int column = details->FieldIndex(part.text);
                if (column >= 0) value = sumOf(*details, column);
            }
            break;
        case K::Count: value = wire::Value(qint64(details ? details->rows.size() : 0)); break;
        case K::Page: value = wire::Value(qint64(page.number)); break;
        case K::Pages: value = wire::Value(qint64(page.count)); break;
        case K::Now:
            value = wire::Value(report.runAt);
            if (part.format.isEmpty()) {
                out += report.runAt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
                continue;
            }
            break;
        case K::Title: out += report.definition.title; continue;
        case K::Code: out += report.definition.code; continue;
        }
        out += ReportValueText(value, part.format, locale);
    }
    return out;
}

void SetupReportPage(const TPreparedReport& report, QPagedPaintDevice& device)
{
    const TReportDefinition& def = report.definition;
    if (!device.setPageSize(QPageSize(def.paper)) || !device.setPageOrientation(def.orientation))
        throw EReportError(QStringLiteral("O dispositivo de saída não aceita o papel do relatório."));
    // A printer may keep margins it cannot print in; it is then used full-page, so the
    // origin is still the paper's corner.
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void PaintReport(const TPreparedReport& report, QPainter& painter, QPagedPaintDevice& device, const QLocale& locale)
{
    Painter(report, painter, device, locale).Run();
}
