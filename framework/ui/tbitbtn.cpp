#include "framework/ui/tbitbtn.h"

#include "framework/ui/glyph.h"
#include "framework/ui/guard.h"

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { Guard::Fire(OnClick, *this); });
}

TBitBtn::TBitBtn(const QString& caption, QWidget* parent) : TBitBtn(parent) { setText(caption); }

void TBitBtn::SetGlyph(const QPixmap& strip, int count) { setIcon(Glyph::FromStrip(strip, count)); }

void TBitBtn::SetGlyphs(const QPixmap& enabled, const QPixmap& disabled)
{
    setIcon(Glyph::FromPair(enabled, disabled));
}

void TBitBtn::Click()
{
    if (OnClick) OnClick(*this);
}
