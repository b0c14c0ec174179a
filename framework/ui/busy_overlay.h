#pragma once
// The busy indicator: a veil over a window with a turning wheel and, when given, a caption.
// It covers the whole window (and follows its size), takes the mouse and shows the wait
// cursor. The wheel turns on a timer, so it moves whenever the event loop runs, including
// the local loop a blocking server call runs while it waits.

#include <QTimer>
#include <QWidget>

class TBusyOverlay : public QWidget {
    Q_OBJECT
public:
    explicit TBusyOverlay(QWidget& target);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // Shows the veil on top of the window and paints it at once.
    void Start();
    // Frames drawn so far (the animation moves when this grows).
    int Frame() const { return frame_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    QString caption_;
    int frame_ = 0;
};
