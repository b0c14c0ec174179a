#include "framework/ui/timage.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QPixmap& picture)
{
    picture_ = picture;
    updateGeometry();
    update();
}

bool TImage::LoadFromFile(const QString& fileName)
{
    QPixmap loaded;
    if (!loaded.load(fileName)) return false;
    SetPicture(loaded);
    return true;
}

QSize TImage::sizeHint() const { return picture_.isNull() ? QSize(16, 16) : picture_.size(); }

void TImage::paintEvent(QPaintEvent* /*event*/)
{
    if (picture_.isNull()) return;
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
}
