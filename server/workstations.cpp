#include "server/workstations.h"

#include "server/code_fit.h"
#include "server/key_hash.h"
#include "server/sql.h"
#include "server/transaction.h"

#include <QRegularExpression>

#include <algorithm>

namespace server {

namespace {

const QString kTable = QStringLiteral("ESTACAOTRAB");
constexpr int kBranchWidth = 4;

[[noreturn]] void unknown(const QString& name)
{
    throw ServerFailure(QStringLiteral("Estação de trabalho não cadastrada: \"%1\".").arg(name));
}

}  // namespace

BranchScope BranchScope::parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == QLatin1String("*") || trimmed.compare(QLatin1String("todas"), Qt::CaseInsensitive) == 0)
        return everyBranch();
    static const QRegularExpression code(QStringLiteral("^[0-9A-Za-z]{1,4}$"));
    BranchScope scope;
    for (const QString& part : trimmed.split(QLatin1Char(','))) {
        const QString typed = part.trimmed();
        if (!code.match(typed).hasMatch())
            throw ServerFailure(
                QStringLiteral("código de filial inválido: \"%1\" (de 1 a 4 letras ou dígitos).").arg(typed));
        const QString fitted = fitCode(typed, kBranchWidth);
        if (!scope.codes.contains(fitted)) scope.codes << fitted;
    }
    std::sort(scope.codes.begin(), scope.codes.end());
    return scope;
}

QString BranchScope::text() const { return all ? QStringLiteral("*") : codes.join(QLatin1Char(',')); }

bool Workstations::validName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._-]{1,40}$"));
    return pattern.match(name).hasMatch();
}

Workstations::Workstations(Database& db) : db_(db) {}

QString Workstations::add(const QString& name, const BranchScope& branches)
{
    if (!validName(name))
        throw ServerFailure(QStringLiteral("Nome de estação inválido: \"%1\" (de 1 a 40 letras, dígitos, \".\", "
                                           "\"_\" ou \"-\").")
                                .arg(name));
    const QString key = keys::newKey();
    const QByteArray salt = keys::newSalt();
    WriteTransaction tx(db_);
    if (find(name, nullptr, nullptr))
        throw ServerFailure(QStringLiteral("A estação de trabalho \"%1\" já está cadastrada.").arg(name));
    Sql q(db_, QStringLiteral("INSERT INTO ESTACAOTRAB (NMESTACAO, DSFILIAIS, DSSALCHAVE, DSHASHCHAVE, IDREVOGADA, "
                              "DTHRCRIACAO) VALUES (:N, :F, :S, :H, 'N', :T)"));
    q.bind(QStringLiteral(":N"), name)
        .bind(QStringLiteral(":F"), branches.text())
        .bind(QStringLiteral(":S"), QString::fromLatin1(salt.toHex()))
        .bind(QStringLiteral(":H"), QString::fromLatin1(keys::hash(salt, key).toHex()))
        .bind(QStringLiteral(":T"), timestampText(QDateTime::currentDateTime()));
    q.exec();
    tx.commit();
    return key;
}

std::vector<Workstation> Workstations::list()
{
    std::vector<Workstation> out;
    if (!db_.tableExists(kTable)) return out;
    Sql q(db_,
          QStringLiteral("SELECT NMESTACAO, DSFILIAIS, IDREVOGADA, DTHRCRIACAO FROM ESTACAOTRAB ORDER BY NMESTACAO"));
    q.exec();
    while (q.next()) {
        Workstation w;
        w.name = q.value(0).toString();
        w.branches = BranchScope::parse(q.value(1).toString());
        w.revoked = q.value(2).toString() == QLatin1String("S");
        w.created = readTimestamp(q.value(3));
        out.push_back(std::move(w));
    }
    return out;
}

void Workstations::revoke(const QString& name)
{
    WriteTransaction tx(db_);
    Sql q(db_, QStringLiteral("UPDATE ESTACAOTRAB SET IDREVOGADA = 'S', DTHRREVOGACAO = :T WHERE NMESTACAO = :N"));
    q.bind(QStringLiteral(":T"), timestampText(QDateTime::currentDateTime())).bind(QStringLiteral(":N"), name);
    q.exec();
    if (q.rowsAffected() != 1) unknown(name);
    tx.commit();
}

void Workstations::setBranches(const QString& name, const BranchScope& branches)
{
    WriteTransaction tx(db_);
    Sql q(db_, QStringLiteral("UPDATE ESTACAOTRAB SET DSFILIAIS = :F WHERE NMESTACAO = :N"));
    q.bind(QStringLiteral(":F"), branches.text()).bind(QStringLiteral(":N"), name);
    q.exec();
    if (q.rowsAffected() != 1) unknown(name);
    tx.commit();
}

bool Workstations::anyDefined()
{
    if (!db_.tableExists(kTable)) return false;
    Sql q(db_, QStringLiteral("SELECT COUNT(*) FROM ESTACAOTRAB"));
    q.exec();
    const bool any = q.next() && q.value(0).toLongLong() > 0;
    q.finish();
    return any;
}

std::optional<Workstation> Workstations::find(const QString& name, QByteArray* salt, QByteArray* hash)
{
    Sql q(db_, QStringLiteral("SELECT NMESTACAO, DSFILIAIS, IDREVOGADA, DTHRCRIACAO, DSSALCHAVE, DSHASHCHAVE "
                              "FROM ESTACAOTRAB WHERE NMESTACAO = :N"));
    q.bind(QStringLiteral(":N"), name);
    q.exec();
    if (!q.next()) return std::nullopt;
    Workstation w;
    w.name = q.value(0).toString();
    w.branches = BranchScope::parse(q.value(1).toString());
    w.revoked = q.value(2).toString() == QLatin1String("S");
    w.created = readTimestamp(q.value(3));
    if (salt) *salt = QByteArray::fromHex(q.value(4).toString().toLatin1());
    if (hash) *hash = QByteArray::fromHex(q.value(5).toString().toLatin1());
    q.finish();
    return w;
}

KeyCheck Workstations::check(const QString& name, const QString& key)
{
    KeyCheck out;
    QByteArray salt;
    QByteArray stored;
    std::optional<Workstation> found =
        validName(name) && db_.tableExists(kTable) ? find(name, &salt, &stored) : std::nullopt;
    if (!found) {
        // The same work as for a known name, so that timing does not tell names apart.
        keys::sameHash(keys::hash(QByteArray(16, '\0'), key), QByteArray(32, '\0'));
        return out;
    }
    if (!keys::sameHash(keys::hash(salt, key), stored)) {
        out.result = KeyCheck::Result::WrongKey;
        return out;
    }
    out.result = found->revoked ? KeyCheck::Result::Revoked : KeyCheck::Result::Accepted;
    out.workstation = std::move(found);
    return out;
}

}  // namespace server
