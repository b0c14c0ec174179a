#pragma once
// Who may open a connection. While no workstation is defined in the database, a server on
// loopback (or on a network its administrator declared trusted) takes every opening, as a
// single workstation's server always did; once any workstation is defined, every opening must
// carry a workstation's name and key. Openings with credentials from an address that failed
// several times are let through one at a time, further apart with every failure.

#include "server/database.h"
#include "server/workstations.h"

#include "framework/wire/codec.h"

#include <QString>

#include <chrono>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace server::net {

struct Admission {
    bool accepted = false;
    QString refusal;      // for the client (Portuguese)
    QString logText;      // for the log: the workstation, never the key
    QString workstation;  // empty: no credentials given
    BranchScope branches;
};

class AccessControl {
public:
    using Clock = std::chrono::steady_clock;

    // `anonymousAllowed`: loopback or a trusted network.
    explicit AccessControl(bool anonymousAllowed) : anonymousAllowed_(anonymousAllowed) {}

    // When an opening with credentials from `address` may be checked; nullopt when the
    // address has failed so often that it must try again later.
    std::optional<Clock::time_point> admitAt(const QString& address);
    // Checks an opening on the caller's database connection; records failures.
    Admission admit(Database& db, const wire::OpenRequest& open, const QString& address);

    bool anonymousAllowed() const { return anonymousAllowed_; }

private:
    void recordFailure(const QString& address);

    struct Failures {
        int count = 0;
        Clock::time_point last;
        Clock::time_point nextSlot;
    };

    const bool anonymousAllowed_;
    std::mutex mutex_;
    std::unordered_map<QString, Failures> failures_;
};

// "192.0.2.7:51200" or "::1:51200" without the port.
QString addressOf(const QString& peer);

}  // namespace server::net
