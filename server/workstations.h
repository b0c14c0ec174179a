#pragma once
// The workstations allowed to use the server, kept in the database (table ESTACAOTRAB) so that
// several servers on one PostgreSQL database share them. A workstation has a name, the
// branches it may act for (or all of them) and a secret key. The key is shown once, when the
// workstation is added; the database keeps only a salted hash of it.

#include "server/database.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace server {

// The branches a workstation may act for.
struct BranchScope {
    bool all = false;
    QStringList codes;  // fitted to 4 as the methods fit them, sorted, each once

    static BranchScope everyBranch() { return BranchScope{true, {}}; }
    // "0001,0002" (codes as operators type them), or "*" / "todas" for every branch.
    // Throws ServerFailure for an empty list or a code that is not a branch code.
    static BranchScope parse(const QString& text);
    // `branch` fitted to 4.
    bool allows(const QString& branch) const { return all || codes.contains(branch); }
    // As stored and listed: "*" or "0001,0002".
    QString text() const;
};

struct Workstation {
    QString name;
    BranchScope branches;
    bool revoked = false;
    QDateTime created;
};

// What an opening with a name and a key comes to.
struct KeyCheck {
    enum class Result { Accepted, Unknown, WrongKey, Revoked };
    Result result = Result::Unknown;
    std::optional<Workstation> workstation;  // Accepted and Revoked
};

class Workstations {
public:
    explicit Workstations(Database& db);

    // Throws ServerFailure when the name is taken or malformed. Returns the new key.
    QString add(const QString& name, const BranchScope& branches);
    std::vector<Workstation> list();
    // Throw ServerFailure for an unknown name.
    void revoke(const QString& name);
    void setBranches(const QString& name, const BranchScope& branches);

    // True once any workstation was ever added (revoked ones count: revoking the last one
    // does not open the server to everybody). False too when the table does not exist yet.
    bool anyDefined();
    // Compares the key in constant time; an unknown name costs the same hashing.
    KeyCheck check(const QString& name, const QString& key);

    // Workstation names: 1 to 40 letters, digits, ".", "_" or "-".
    static bool validName(const QString& name);

private:
    std::optional<Workstation> find(const QString& name, QByteArray* salt, QByteArray* hash);

    Database& db_;
};

}  // namespace server
