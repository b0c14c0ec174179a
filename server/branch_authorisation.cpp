#include "server/branch_authorisation.h"

#include "server/code_fit.h"
#include "server/marked_deliveries.h"
#include "server/sql.h"

namespace server {

namespace {

constexpr int kBranchWidth = 4;

class Names {
public:
    void add(const QString& typed)
    {
        const QString code = fitCode(typed.trimmed(), kBranchWidth);
        if (!list_.contains(code)) list_ << code;
    }
    // A text argument; null reads as empty text, as the methods read it.
    void argument(const wire::Array& args, std::size_t index)
    {
        if (index >= args.size()) return;
        const wire::Value& v = args[index];
        if (v.kind() == wire::Value::Kind::Text)
            add(v.text());
        else if (v.kind() == wire::Value::Kind::Null)
            add(QString());
    }
    void row(const wire::Row& row, int column)
    {
        if (column < 0 || static_cast<std::size_t>(column) >= row.size()) return;
        const wire::Value& v = row[static_cast<std::size_t>(column)];
        if (v.kind() == wire::Value::Kind::Text) add(v.text());
    }
    void packetRows(const wire::Array& args, std::size_t index)
    {
        if (index >= args.size() || args[index].kind() != wire::Value::Kind::Packet) return;
        const wire::DataPacket& packet = args[index].packet();
        const int column = packet.fieldIndex(u"CDFILIAL");
        for (const wire::Row& r : packet.rows) row(r, column);
    }
    void changeRows(const wire::Array& args, std::size_t index)
    {
        if (index >= args.size() || args[index].kind() != wire::Value::Kind::ChangeSet) return;
        const wire::ChangeSet& changes = args[index].changeSet();
        const int column = changes.fieldIndex(u"CDFILIAL");
        for (const wire::Change& c : changes.changes) {
            row(c.oldRow, column);
            row(c.newRow, column);
        }
    }
    // The branches of the stored deliveries the packet marks.
    void markedStored(Database& db, const wire::Array& args, std::size_t index, const QString& method)
    {
        if (index >= args.size() || args[index].kind() != wire::Value::Kind::Packet) return;
        const std::vector<qint64> marked = markedDeliveries(args[index].packet(), method);
        if (marked.empty()) return;
        Sql q(db, QStringLiteral("SELECT CDFILIAL FROM DELIVERY WHERE NRDELIVERY = :D"));
        for (const qint64 delivery : marked) {
            q.bind(QStringLiteral(":D"), delivery);
            q.exec();
            if (q.next()) add(q.value(0).toString());
            q.finish();
        }
    }
    const QStringList& list() const { return list_; }

private:
    QStringList list_;
};

}  // namespace

QStringList branchesNamedBy(Database& db, const QString& method, const wire::Array& args)
{
    Names names;
    if (method == QLatin1String("GetParamComis") || method == QLatin1String("GetDelivery")
        || method == QLatin1String("GetServicoDel") || method == QLatin1String("CalculaPreco")
        || method == QLatin1String("GetPesqServico") || method == QLatin1String("GetLocalEmissDel")) {
        names.argument(args, 0);
    } else if (method == QLatin1String("SetServicoDel")) {
        names.argument(args, 1);
        names.changeRows(args, 0);
    } else if (method == QLatin1String("SetCancelDel")) {
        names.argument(args, 1);
        names.packetRows(args, 0);
    } else if (method == QLatin1String("GeraNovoFatur")) {
        names.packetRows(args, 0);
        names.markedStored(db, args, 0, method);
    }
    return names.list();
}

void authoriseBranches(Database& db, const BranchScope& scope, const QString& method, const wire::Array& args)
{
    if (scope.all) return;
    for (const QString& branch : branchesNamedBy(db, method, args)) {
        if (scope.allows(branch)) continue;
        throw BranchRefused(
            branch.isEmpty()
                ? QStringLiteral("Esta estação de trabalho não está autorizada a operar sem filial "
                                 "informada (%1).")
                      .arg(method)
                : QStringLiteral("Esta estação de trabalho não está autorizada a operar na filial %1.").arg(branch));
    }
}

}  // namespace server
