#include "framework/ui/tpanel.h"

TPanel::TPanel(QWidget* parent) : QFrame(parent), TFocusEvents(static_cast<QWidget&>(*this))
{
    SetBevelOuter(TBevel::Raised);
}

void TPanel::SetBevelOuter(TBevel bevel)
{
    bevel_ = bevel;
    switch (bevel) {
    case TBevel::None: setFrameStyle(QFrame::NoFrame); break;
    case TBevel::Lowered: setFrameStyle(QFrame::Panel | QFrame::Sunken); break;
    case TBevel::Raised: setFrameStyle(QFrame::Panel | QFrame::Raised); break;
    }
}

void TPanel::SetColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
}
