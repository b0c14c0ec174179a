#pragma once
// What the application object asks of a standard form (the base form of the forms folder
// implements it): its creation step, the size it was designed at, and closing as the
// operator would. The application object knows standard forms only through this, so it
// sits below the forms it owns.

#include <QSize>

class TStandardForm {
public:
    // Runs the form's creation handler once it is built; raises when the form refuses.
    virtual void RunCreate() = 0;
    // The size given by the form's design (invalid when never given).
    virtual QSize DesignedSize() const = 0;
    // Closes as the operator would (the form decides); true when the form closed.
    virtual bool Close() = 0;

protected:
    virtual ~TStandardForm() = default;
};
