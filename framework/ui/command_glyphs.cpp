#include "framework/ui/command_glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace CommandGlyphs {

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(192, 0, 0);
const QColor kBlue(0, 70, 160);
const QColor kDark(60, 60, 60);

QPen Stroke(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

}  // namespace

QPixmap Draw(TCommandGlyph glyph, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 20.0, size / 20.0);  // drawn on a 20 × 20 grid
    switch (glyph) {
    case TCommandGlyph::Incluir:
        p.setPen(Stroke(kGreen, 3));
        p.drawLine(QPointF(10, 4), QPointF(10, 16));
        p.drawLine(QPointF(4, 10), QPointF(16, 10));
        break;
    case TCommandGlyph::Alterar: {
        p.setPen(Stroke(kDark, 1));
        p.setBrush(QColor(230, 180, 40));
        QPainterPath pencil;
        pencil.moveTo(13, 3);
        pencil.lineTo(17, 7);
        pencil.lineTo(7, 17);
        pencil.lineTo(3, 17);
        pencil.lineTo(3, 13);
        pencil.closeSubpath();
        p.drawPath(pencil);
        p.drawLine(QPointF(5, 13), QPointF(7, 15));
        break;
    }
    case TCommandGlyph::Excluir:
        p.setPen(Stroke(kRed, 3));
        p.drawLine(QPointF(4, 10), QPointF(16, 10));
        break;
    case TCommandGlyph::Gravar:
        p.setPen(Stroke(kGreen, 3));
        p.drawPolyline(QPolygonF({QPointF(4, 10), QPointF(8, 15), QPointF(16, 5)}));
        break;
    case TCommandGlyph::Cancelar:
        p.setPen(Stroke(kRed, 3));
        p.drawLine(QPointF(5, 5), QPointF(15, 15));
        p.drawLine(QPointF(15, 5), QPointF(5, 15));
        break;
    case TCommandGlyph::Procurar:
        p.setPen(Stroke(kDark, 2));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QPointF(8, 8), 5, 5);
        p.setPen(Stroke(kDark, 3));
        p.drawLine(QPointF(12, 12), QPointF(17, 17));
        break;
    case TCommandGlyph::Verificar: {
        p.setPen(Stroke(kBlue, 2));
        p.drawArc(QRectF(4, 4, 12, 12), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(10, 1), QPointF(14, 4), QPointF(10, 7)}));
        break;
    }
    case TCommandGlyph::Imprimir:
        p.setPen(Stroke(kDark, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 2, 8, 6));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(2, 8, 16, 7), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 13, 8, 5));
        break;
    case TCommandGlyph::Ajuda: {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(10, 10), 8, 8);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(13);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case TCommandGlyph::Fechar:
        p.setPen(Stroke(kDark, 1));
        p.setBrush(QColor(150, 100, 60));
        p.drawRect(QRectF(3, 2, 9, 16));
        p.setPen(Stroke(kRed, 2));
        p.drawLine(QPointF(10, 10), QPointF(18, 10));
        p.drawPolyline(QPolygonF({QPointF(15, 7), QPointF(18, 10), QPointF(15, 13)}));
        break;
    }
    p.end();
    return pixmap;
}

}  // namespace CommandGlyphs
