#pragma once
// TImage: a picture on a form; hidden ones hold the glyphs that grids and buttons draw.

#include <QPixmap>
#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    const QPixmap& Picture() const { return picture_; }
    void SetPicture(const QPixmap& picture);
    // Loads the picture from a file or a resource; false when it cannot be read.
    bool LoadFromFile(const QString& fileName);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};
