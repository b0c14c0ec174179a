#pragma once
// A worker's way to send a call's answer straight to the client, without waiting for the
// protocol thread: the worker usually finishes while that thread sleeps, and the hop to wake
// it would add to every round trip.
//
// The channel holds its own duplicate of the socket's descriptor, so the number can never be
// closed and reused for something else (a database file) while a worker writes to it; the
// protocol thread closes the channel (under its lock) when it ends the connection.

#include <QByteArray>

#include <mutex>

namespace server::net {

class ReplyChannel {
public:
    explicit ReplyChannel(qintptr socketDescriptor);
    ~ReplyChannel();
    ReplyChannel(const ReplyChannel&) = delete;
    ReplyChannel& operator=(const ReplyChannel&) = delete;

    // Sends as much of `bytes` as the socket takes without waiting; returns the part left
    // unsent (all of it once the channel is closed). Any thread.
    QByteArray trySend(const QByteArray& bytes);
    // No sending after this. The protocol thread, when it ends the connection.
    void close();

private:
    std::mutex mutex_;
    int fd_ = -1;
};

}  // namespace server::net
