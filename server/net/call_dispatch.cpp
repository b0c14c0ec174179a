#include "server/net/call_dispatch.h"

#include "server/branch_authorisation.h"
#include "server/methods.h"
#include "server/net/buffer_budget.h"
#include "server/net/worker_context.h"

#include <QElapsedTimer>

#include <algorithm>
#include <exception>

namespace server::net {

namespace {

QByteArray errorFrame(std::optional<qint64> id, const QString& text)
{
    return wire::encodeFrame(wire::ErrorReply{id, text});
}

QString internalError(const QString& detail) { return QStringLiteral("Erro interno do servidor: %1").arg(detail); }

// Runs the method and encodes its answer (left in `answer`); anything that escapes is the
// caller's to report.
QByteArray runCall(const Command& command, wire::CallRequest& call, WorkerContext& worker, const wire::Limits& limits,
                   wire::Message& answer, const BranchScope& branches)
{
    authoriseBranches(worker.database(), branches, call.method, call.args);
    wire::Value result = worker.methods().call(command, call.args);
    answer = wire::CallReply{call.id, std::move(result), std::move(call.args)};
    QByteArray frame = wire::encodeFrame(answer);
    // The client would refuse an answer over the frame limit as a broken protocol; say why.
    if (frame.size() - 4 > limits.maxFrameBytes)
        throw ServerFailure(QStringLiteral("A resposta de %1 tem %2 bytes e excede o limite de %3 bytes "
                                           "por mensagem.")
                                .arg(call.method)
                                .arg(frame.size() - 4)
                                .arg(limits.maxFrameBytes));
    return frame;
}

}  // namespace

QByteArray protocolErrorFrame(const QString& text) { return errorFrame(std::nullopt, text); }

CallOutcome dispatchCall(QByteArray body, WorkerContext& worker, const wire::Limits& limits, BufferBudget& budget,
                         const BranchScope& branches)
{
    QElapsedTimer clock;
    clock.start();
    CallOutcome out;
    const auto fail = [&](std::optional<qint64> id, QString text) {
        out.replyFrame = errorFrame(id, text);
        out.error = std::move(text);
    };

    // Memory for the decoded call: the allowance, and from the budget what it can give of
    // the rest.
    const qsizetype wanted = kDecodeFactor * body.size();
    const qsizetype granted = budget.takeUpTo(wanted);
    wire::Limits decodeLimits = limits;
    decodeLimits.maxDecodedBytes = kDecodeAllowance + granted;
    wire::Message message;
    qsizetype decodedBytes = 0;
    try {
        message = wire::decodeMessage(body, decodeLimits, decodedBytes);
    } catch (const wire::WireError& e) {
        budget.give(granted);
        const bool budgetShort = granted < wanted && dynamic_cast<const wire::WireMemoryError*>(&e);
        fail(std::nullopt, budgetShort ? QStringLiteral("Servidor ocupado: a memória reservada para mensagens "
                                                        "(%1 bytes) está em uso. Tente novamente em instantes.")
                                             .arg(budget.limit())
                                       : QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
        out.closeConnection = true;
        out.milliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        return out;
    }
    body = QByteArray();  // the call's arguments are all decoded now
    out.budgetHeld = std::clamp<qsizetype>(decodedBytes - kDecodeAllowance, 0, granted);
    budget.give(granted - out.budgetHeld);

    auto* call = std::get_if<wire::CallRequest>(&message);
    const Command* command = call ? Methods::find(call->method) : nullptr;
    if (!call) {
        fail(std::nullopt, QStringLiteral("Mensagem inesperada: depois da abertura só são aceitas chamadas "
                                          "(op \"call\")."));
        out.closeConnection = true;
    } else if (out.method = call->method; command == nullptr) {
        fail(call->id, QStringLiteral("Método desconhecido: \"%1\".").arg(call->method));
    } else {
        try {
            out.replyFrame = runCall(*command, *call, worker, limits, out.answer, branches);
        } catch (const BranchRefused& f) {
            fail(call->id, f.Message());
        } catch (const ArgumentError& f) {
            fail(call->id, f.Message());
        } catch (const DatabaseBusy& f) {
            fail(call->id, f.Message());
        } catch (const ServerFailure& f) {
            // Business refusals and database failures: the text goes to the operator unchanged.
            // A failure may also mean the database went away; then this call is the only one
            // to say so.
            fail(call->id, f.Message());
            worker.checkConnection();
        } catch (const Exception& e) {
            fail(call->id, internalError(e.Message()));
            worker.discardConnection();
        } catch (const std::exception& e) {
            fail(call->id, internalError(QString::fromLocal8Bit(e.what())));
            worker.discardConnection();
        } catch (...) {
            fail(call->id, internalError(QStringLiteral("exceção desconhecida.")));
            worker.discardConnection();
        }
    }
    out.milliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return out;
}

}  // namespace server::net
