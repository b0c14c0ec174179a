#include "server/net/access_control.h"

#include <algorithm>

namespace server::net {

namespace {

// Failures an address may have before its attempts are spaced out.
constexpr int kFreeFailures = 3;
constexpr std::chrono::milliseconds kFirstDelay{250};
constexpr std::chrono::milliseconds kLongestDelay{8'000};
// Attempts queued further than this ahead are refused at once.
constexpr std::chrono::seconds kLongestQueue{20};
// An address forgiven after this long without a failure.
constexpr std::chrono::minutes kForgetAfter{15};

const QString kRefusedCredentials = QStringLiteral(
    "Estação de trabalho não autorizada: nome ou chave inválidos. Verifique --client e --client-key (ou client "
    "e client-key em ate-host.ini).");

}  // namespace

QString addressOf(const QString& peer)
{
    const qsizetype colon = peer.lastIndexOf(QLatin1Char(':'));
    return colon > 0 ? peer.left(colon) : peer;
}

std::optional<AccessControl::Clock::time_point> AccessControl::admitAt(const QString& address)
{
    const auto now = Clock::now();
    const std::lock_guard lock(mutex_);
    const auto it = failures_.find(address);
    if (it == failures_.end()) return now;
    Failures& f = it->second;
    if (now - f.last > kForgetAfter) {
        failures_.erase(it);
        return now;
    }
    if (f.count < kFreeFailures) return now;
    const int doublings = std::min(f.count - kFreeFailures, 5);
    const auto delay = std::min<std::chrono::milliseconds>(kFirstDelay * (1 << doublings), kLongestDelay);
    const auto slot = std::max(now, f.nextSlot);
    if (slot - now > kLongestQueue) return std::nullopt;
    f.nextSlot = slot + delay;
    return slot;
}

void AccessControl::recordFailure(const QString& address)
{
    const auto now = Clock::now();
    const std::lock_guard lock(mutex_);
    Failures& f = failures_[address];
    f.count += 1;
    f.last = now;
    // Bounded memory under a scan from many addresses: the forgiven go first.
    if (failures_.size() > 10'000)
        std::erase_if(failures_, [&](const auto& entry) { return now - entry.second.last > kForgetAfter; });
}

Admission AccessControl::admit(Database& db, const wire::OpenRequest& open, const QString& address)
{
    Admission out;
    Workstations workstations(db);
    if (!open.client || open.client->isEmpty()) {
        if (open.key) {
            out.refusal = QStringLiteral("A mensagem de abertura traz uma chave sem o nome da estação de trabalho.");
            out.logText = QStringLiteral("key without a workstation name");
            recordFailure(address);
            return out;
        }
        if (anonymousAllowed_ && !workstations.anyDefined()) {
            out.accepted = true;
            out.branches = BranchScope::everyBranch();
            return out;
        }
        out.refusal = QStringLiteral(
            "Este servidor só atende estações de trabalho cadastradas: informe o nome e a "
            "chave da estação (--client e --client-key, ou client e client-key em "
            "ate-host.ini).");
        out.logText = QStringLiteral("no workstation named");
        return out;
    }
    // A name that cannot be a workstation's is not written to the log as sent.
    const QString name = Workstations::validName(*open.client) ? *open.client : QStringLiteral("(invalid name)");
    out.workstation = name;
    if (!open.key || open.key->isEmpty()) {
        out.refusal = QStringLiteral(
                          "A estação de trabalho \"%1\" não informou sua chave (--client-key, ou "
                          "client-key em ate-host.ini).")
                          .arg(name);
        out.logText = QStringLiteral("workstation \"%1\": no key").arg(name);
        recordFailure(address);
        return out;
    }
    const KeyCheck check = workstations.check(*open.client, *open.key);
    switch (check.result) {
    case KeyCheck::Result::Accepted:
        out.accepted = true;
        out.branches = check.workstation->branches;
        out.logText = QStringLiteral("workstation \"%1\" (branches %2)").arg(name, out.branches.text());
        return out;
    case KeyCheck::Result::Revoked:
        out.refusal =
            QStringLiteral("A estação de trabalho \"%1\" foi revogada pelo administrador do servidor.").arg(name);
        out.logText = QStringLiteral("workstation \"%1\": revoked").arg(name);
        break;
    case KeyCheck::Result::WrongKey:
        out.refusal = kRefusedCredentials;
        out.logText = QStringLiteral("workstation \"%1\": wrong key").arg(name);
        break;
    case KeyCheck::Result::Unknown:
        out.refusal = kRefusedCredentials;
        out.logText = QStringLiteral("workstation \"%1\": unknown").arg(name);
        break;
    }
    recordFailure(address);
    return out;
}

}  // namespace server::net
