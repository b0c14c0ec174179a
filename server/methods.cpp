#include "server/methods.h"

#include "framework/wire/codec.h"
#include "server/code_fit.h"
#include "server/method_impl.h"

#include <array>
#include <chrono>
#include <random>
#include <thread>

namespace server {

namespace {

constexpr std::array<Command, 9> kCommands = {{
    {u"GetParamComis", &method::getParamComis, false},
    {u"GetDelivery", &method::getDelivery, false},
    {u"GetServicoDel", &method::getServicoDel, false},
    {u"SetServicoDel", &method::setServicoDel, true},
    {u"CalculaPreco", &method::calculaPreco, false},
    {u"GetPesqServico", &method::getPesqServico, false},
    {u"SetCancelDel", &method::setCancelDel, true},
    {u"GetLocalEmissDel", &method::getLocalEmissDel, false},
    {u"GeraNovoFatur", &method::geraNovoFatur, true},
}};

// A transaction the database rolled back to break a deadlock is run again, a few times,
// after a short random pause so that the two sides do not meet again at once.
constexpr int kConflictAttempts = 4;

void pauseBeforeRetry(int attempt)
{
    thread_local std::minstd_rand random(std::random_device{}());
    const int ms = 5 * attempt + static_cast<int>(random() % 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

QString method::branchCode(const QString& typed) { return fitCode(typed.trimmed(), 4); }

Methods::Methods(Database& db) : db_(db) {}

const Command* Methods::find(QStringView name)
{
    for (const Command& command : kCommands)
        if (command.name == name) return &command;
    return nullptr;
}

std::span<const Command> Methods::commands() { return kCommands; }

wire::Value Methods::call(const Command& command, wire::Array& args)
{
    for (int attempt = 1;; ++attempt) {
        try {
            return command.handler(db_, args);
        } catch (const wire::WireError& e) {
            // A value of the wrong kind inside a packet or change set.
            throw ArgumentError(QStringLiteral("%1: %2").arg(command.name, e.Message()));
        } catch (const DatabaseBusy& busy) {
            if (!command.writes || !busy.conflict() || attempt >= kConflictAttempts) throw;
            pauseBeforeRetry(attempt);
        }
    }
}

wire::Value Methods::call(const QString& name, wire::Array& args)
{
    const Command* command = find(name);
    if (command == nullptr) throw ArgumentError(QStringLiteral("Método desconhecido: %1.").arg(name));
    return call(*command, args);
}

}  // namespace server
