#pragma once
// Reading the positional arguments of a call, each checked for its kind. A missing or
// mistyped argument is an ArgumentError naming the method, the position and what was
// expected.

#include "framework/wire/value.h"
#include "server/methods.h"

#include <QDateTime>
#include <QString>

namespace server {

class MethodArgs {
public:
    MethodArgs(const QString& method, wire::Array& args, int expected);

    // Text; null reads as empty text. A text holding the NUL character is refused.
    QString text(int index, const char* what) const;
    QDateTime dateTime(int index, const char* what) const;
    double number(int index, const char* what) const;
    qint64 integer(int index, const char* what) const;
    // An integer written as text (a number is taken too).
    qint64 integerText(int index, const char* what) const;
    // A key of an INTEGER column (a delivery number): refused outside that column's range.
    // `asText`: written as text (a number is taken too), as integerText reads it.
    qint64 key(int index, const char* what, bool asText) const;
    const wire::DataPacket& packet(int index, const char* what) const;
    // A packet, or null for an empty dataset (read as a packet without rows).
    wire::DataPacket packetOrEmpty(int index, const char* what) const;
    const wire::ChangeSet& changeSet(int index, const char* what) const;

    [[noreturn]] void fail(int index, const char* what, const QString& expected) const;
    // "METHOD: o argumento N (what) PROBLEM."
    [[noreturn]] void refuse(int index, const char* what, const QString& problem) const;

private:
    const wire::Value& at(int index) const;

    QString method_;
    wire::Array& args_;
};

}  // namespace server
