#pragma once
// The error model shared by the framework, the module and the host.
//
// A silent abort (EAbort) stops the action under way and shows nothing. Every other failure
// is an Exception carrying a text meant for the operator; the event guard shows it once.

#include <QByteArray>
#include <QString>

#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Stops the action under way without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// Dataset validation and SQL failures.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A failure raised by the application server; the text is the server's own.
class EServerError : public Exception {
public:
    using Exception::Exception;
};

// The server could not be reached, or the connection broke.
class EConnectionError : public Exception {
public:
    using Exception::Exception;
};

// Raises the silent abort.
[[noreturn]] inline void Abort() { throw EAbort(); }
