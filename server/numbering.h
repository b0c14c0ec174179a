#pragma once
// Invoice numbering of deliveries.
//
// Each emission place of a branch has one or more number ranges (FAIXANUMFAT), used in
// NRSEQFAIXA order; NRPROXIMO is the next number of a range and only moves forward, so a
// number given and later cancelled is never given again, and a range has no gaps. Every
// number given and every number cancelled is written to REGNUMFAT. All of it runs inside the
// caller's write transaction; the place's ranges are locked before anything is read.

#include "server/database.h"
#include "server/transaction.h"

#include <QDateTime>
#include <QString>

#include <span>

namespace server {

// The failure text when the ranges cannot number every delivery (the client matches it).
inline const QString kNoNumbersLeft = QStringLiteral("Numeracao");

class Numbering {
public:
    Numbering(Database& db, WriteTransaction& tx);

    // Locks the ranges of the place; ServerFailure when the place does not exist in the
    // branch. Call before locking the deliveries to number.
    void lockPlace(const QString& branch, const QString& place);

    // Gives the next numbers of the locked place, one per delivery, in the order given
    // (each delivery locked and without a number). ServerFailure(kNoNumbersLeft), with
    // nothing written, when the ranges cannot cover them all.
    void give(std::span<const qint64> deliveries, const QDateTime& when);

    // Takes a delivery's number back (the delivery locked, its number and place as stored)
    // and records the cancellation.
    void cancel(const QString& branch, qint64 delivery, const QString& place, const QString& number,
                const QDateTime& when);

private:
    struct Range {
        int sequence = 0;
        qint64 next = 0;
        qint64 last = 0;
    };

    void record(const QString& branch, const QString& place, const QString& number, qint64 delivery, QChar operation,
                const QDateTime& when);

    Database& db_;
    WriteTransaction& tx_;
    QString branch_;
    QString place_;
    std::vector<Range> ranges_;
};

}  // namespace server
