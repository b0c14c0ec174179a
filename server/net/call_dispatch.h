#pragma once
// One call, from the frame that carries it to the frame that answers it, on the thread of the
// worker serving the connection.

#include "framework/wire/codec.h"
#include "server/workstations.h"

#include <QByteArray>
#include <QString>

namespace server::net {

class WorkerContext;
class BufferBudget;

// A decoded call may take this many times its frame's size in memory (a message that would
// take more is refused), plus kDecodeAllowance. The allowance is free; the rest is drawn from
// the server's buffer budget for as long as the call is under way.
inline constexpr qsizetype kDecodeFactor = 16;
inline constexpr qsizetype kDecodeAllowance = 256 * 1024;

struct CallOutcome {
    QByteArray replyFrame;  // the whole frame to send back
    // What the answer was encoded from. Kept until the frame has been sent: freeing a large
    // packet takes time the client need not wait for.
    wire::Message answer;
    QString method;  // empty when the frame was not a readable call
    QString error;   // empty when the call succeeded
    double milliseconds = 0;
    bool closeConnection = false;  // the frame broke the protocol: answer, then close
    // Taken from the buffer budget for the decoded call; given back by whoever ends the call
    // (after the answer and the decoded arguments are freed).
    qsizetype budgetHeld = 0;
};

// Decodes one frame body sent after the opening (freeing it once decoded), runs the call and
// encodes the answer; a call that names a branch outside `branches` is refused before it runs.
// Never throws: every failure becomes an error answer.
CallOutcome dispatchCall(QByteArray body, WorkerContext& worker, const wire::Limits& limits, BufferBudget& budget,
                         const BranchScope& branches);

// The error answer for a frame that could not be read: the text names the problem.
QByteArray protocolErrorFrame(const QString& text);

}  // namespace server::net
