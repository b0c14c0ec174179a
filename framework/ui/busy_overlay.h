#pragma once
// The busy indicator: a veil over a window with a turning wheel and, when given, a caption.
// It covers the whole window (and follows its size), takes the mouse and shows the wait
// cursor. It appears only once the wait has lasted a short grace period (a timer, fired by
// the local loop a blocking server call runs while it waits); the wheel then turns on a
// timer too, so it moves whenever the event loop runs.

#include <QTimer>
#include <QWidget>

class TBusyOverlay : public QWidget {
    Q_OBJECT
public:
    explicit TBusyOverlay(QWidget& target);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // Shows the veil on top of the window once the wait has lasted a moment (a short wait
    // shows nothing), then paints it at once.
    void Start();
    // Hides the veil, or keeps it from appearing when the grace period is still running.
    void Stop();
    // Frames drawn so far (the animation moves when this grows).
    int Frame() const { return frame_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Appear();

    QTimer timer_;
    QTimer grace_;
    QString caption_;
    int frame_ = 0;
};
