#pragma once
// The application object of the host: a QApplication whose notify() is the last line of
// defence of the event guard. Controls already guard their handlers; anything that still
// escapes an event (a timer lambda, a slot of a plain QObject) is shown the same way, and
// the event loop goes on.

#include <QApplication>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
