#include "server/numbering.h"

#include "server/sql.h"

namespace server {

Numbering::Numbering(Database& db, WriteTransaction& tx) : db_(db), tx_(tx) {}

void Numbering::lockPlace(const QString& branch, const QString& place)
{
    {
        Sql q(db_, QStringLiteral("SELECT COUNT(*) FROM LOCALEMISS WHERE CDFILIAL = :F AND CDLOCALDELIV = :L"));
        q.bind(QStringLiteral(":F"), branch).bind(QStringLiteral(":L"), place);
        q.exec();
        if (!q.next() || q.value(0).toInt() == 0)
            throw ServerFailure(QStringLiteral("Tipo de emissão não cadastrado."));
    }
    Sql q(db_, QStringLiteral("SELECT NRSEQFAIXA, NRPROXIMO, NRFINAL FROM FAIXANUMFAT "
                              "WHERE CDFILIAL = :F AND CDLOCALDELIV = :L ORDER BY NRSEQFAIXA")
                   + QLatin1String(tx_.forUpdate()));
    q.bind(QStringLiteral(":F"), branch).bind(QStringLiteral(":L"), place);
    q.exec();
    ranges_.clear();
    while (q.next()) ranges_.push_back({q.value(0).toInt(), q.value(1).toLongLong(), q.value(2).toLongLong()});
    branch_ = branch;
    place_ = place;
}

void Numbering::give(std::span<const qint64> deliveries, const QDateTime& when)
{
    if (deliveries.empty()) return;
    qint64 available = 0;
    for (const Range& r : ranges_) available += std::max<qint64>(0, r.last - r.next + 1);
    if (available < static_cast<qint64>(deliveries.size())) throw ServerFailure(kNoNumbersLeft);

    Sql number(db_, QStringLiteral("UPDATE DELIVERY SET NRDELIVERYFA = :N, CDLOCALDELIV = :L, DTHRFATUR = :T "
                                   "WHERE NRDELIVERY = :D AND NRDELIVERYFA IS NULL"));
    // Numbers are unique in the branch: ranges of two places that overlap would collide.
    Sql used(db_, QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE CDFILIAL = :F AND NRDELIVERYFA = :N "
                                 "AND IDOPERACAO = 'E'"));
    auto range = ranges_.begin();
    for (const qint64 delivery : deliveries) {
        while (range->next > range->last) ++range;  // the count above guarantees one is left
        const QString text = QString::number(range->next++);
        used.bind(QStringLiteral(":F"), branch_).bind(QStringLiteral(":N"), text);
        used.exec();
        const bool taken = used.next() && used.value(0).toInt() > 0;
        used.finish();
        if (taken)
            throw ServerFailure(QStringLiteral("O número de faturamento %1 do local %2 já foi usado na filial. "
                                               "Verifique as faixas de numeração dos locais de emissão.")
                                    .arg(text, place_));
        number.bind(QStringLiteral(":N"), text).bind(QStringLiteral(":L"), place_);
        number.bindTimestamp(QStringLiteral(":T"), when).bind(QStringLiteral(":D"), delivery);
        number.exec();
        if (number.rowsAffected() != 1)
            throw ServerFailure(QStringLiteral("A delivery %1 já recebeu número de faturamento.").arg(delivery));
        record(branch_, place_, text, delivery, QLatin1Char('E'), when);
    }

    Sql advance(db_, QStringLiteral("UPDATE FAIXANUMFAT SET NRPROXIMO = :P "
                                    "WHERE CDFILIAL = :F AND CDLOCALDELIV = :L AND NRSEQFAIXA = :S"));
    for (const Range& r : ranges_) {
        advance.bind(QStringLiteral(":P"), r.next).bind(QStringLiteral(":F"), branch_);
        advance.bind(QStringLiteral(":L"), place_).bind(QStringLiteral(":S"), r.sequence);
        advance.exec();
    }
}

void Numbering::cancel(const QString& branch, qint64 delivery, const QString& place, const QString& number,
                       const QDateTime& when)
{
    Sql clear(db_, QStringLiteral("UPDATE DELIVERY SET NRDELIVERYFA = NULL, CDLOCALDELIV = NULL, DTHRFATUR = NULL "
                                  "WHERE NRDELIVERY = :D AND NRDELIVERYFA = :N"));
    clear.bind(QStringLiteral(":D"), delivery).bind(QStringLiteral(":N"), number);
    clear.exec();
    if (clear.rowsAffected() != 1)
        throw ServerFailure(
            QStringLiteral("O número de faturamento da delivery %1 mudou durante o cancelamento.").arg(delivery));
    record(branch, place, number, delivery, QLatin1Char('C'), when);
}

void Numbering::record(const QString& branch, const QString& place, const QString& number, qint64 delivery,
                       QChar operation, const QDateTime& when)
{
    Sql q(db_, QStringLiteral("INSERT INTO REGNUMFAT (CDFILIAL, CDLOCALDELIV, NRDELIVERYFA, NRDELIVERY, "
                              "IDOPERACAO, DTHROPERACAO) VALUES (:F, :L, :N, :D, :O, :T)"));
    q.bind(QStringLiteral(":F"), branch).bind(QStringLiteral(":L"), place).bind(QStringLiteral(":N"), number);
    q.bind(QStringLiteral(":D"), delivery).bind(QStringLiteral(":O"), QString(operation));
    q.bindTimestamp(QStringLiteral(":T"), when);
    q.exec();
}

}  // namespace server
