#include "framework/ui/tlabel.h"

TLabel::TLabel(QWidget* parent) : QLabel(parent) {}

TLabel::TLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

void TLabel::SetBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

void TLabel::SetFontSize(int pointSize)
{
    QFont f = font();
    f.setPointSize(pointSize);
    setFont(f);
}

void TLabel::SetFontColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}
