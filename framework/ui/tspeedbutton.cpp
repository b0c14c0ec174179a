#include "framework/ui/tspeedbutton.h"

#include "framework/ui/glyph.h"
#include "framework/ui/guard.h"

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
    connect(this, &QToolButton::clicked, this, [this] { Guard::Run([this] { DoClick(); }); });
}

void TSpeedButton::SetCaption(const QString& caption)
{
    setText(caption);
    ShowStyle();
}

void TSpeedButton::SetGlyph(const QPixmap& strip, int count)
{
    setIcon(Glyph::FromStrip(strip, count));
    ShowStyle();
}

void TSpeedButton::SetGlyphs(const QPixmap& enabled, const QPixmap& disabled)
{
    setIcon(Glyph::FromPair(enabled, disabled));
    ShowStyle();
}

void TSpeedButton::ShowStyle()
{
    if (icon().isNull())
        setToolButtonStyle(Qt::ToolButtonTextOnly);
    else if (text().isEmpty())
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    else
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void TSpeedButton::Click() { DoClick(); }

void TSpeedButton::DoClick()
{
    if (OnClick) OnClick(*this);
}
