#include "server/seed_scale_airlines.h"

#include "server/sql.h"

#include <QStringList>

namespace server {

namespace {

constexpr int kAirlinesPerSet = 10;      // codes 1000 + 10 * set + index
constexpr int kTablesPerAirline = 1000;  // price-table codes of a copy: 100000 * set + 1000 * index + original
constexpr int kMaxSet = (9999 - kFirstCopiedAirline) / kAirlinesPerSet;

QString firstCopyCode() { return QString::number(kFirstCopiedAirline); }

void exec(Database& db, const QString& sql, const QString& copy, const QString& original, int tableOffset = 0)
{
    Sql q(db, sql);
    if (sql.contains(QLatin1String(":NEW"))) q.bind(QStringLiteral(":NEW"), copy);
    if (sql.contains(QLatin1String(":OFF"))) q.bind(QStringLiteral(":OFF"), tableOffset);
    q.bind(QStringLiteral(":OLD"), original);
    q.exec();
}

// The demo airlines with a price table, in code order.
QStringList originals(Database& db)
{
    Sql q(db, QStringLiteral("SELECT DISTINCT CDCIA FROM TABPRECO WHERE CDCIA < :FIRST ORDER BY CDCIA"));
    q.bind(QStringLiteral(":FIRST"), firstCopyCode());
    q.exec();
    QStringList codes;
    while (q.next()) codes << q.value(0).toString();
    return codes;
}

void copyAirline(Database& db, const QString& copy, const QString& original, int tableOffset)
{
    {
        Sql name(db, QStringLiteral("SELECT NMCIA FROM COMPANHIA WHERE CDCIA = :C"));
        name.bind(QStringLiteral(":C"), original);
        name.exec();
        const QString originalName = name.next() ? name.value(0).toString() : original;
        name.finish();
        Sql add(db, QStringLiteral("INSERT INTO COMPANHIA (CDCIA, NMCIA, SGCIA) VALUES (:C, :N, :S)"));
        add.bind(QStringLiteral(":C"), copy);
        add.bind(QStringLiteral(":N"), originalName.left(44) + QLatin1Char(' ') + copy);
        add.bind(QStringLiteral(":S"), QLatin1Char('S') + copy);
        add.exec();
    }
    exec(db,
         QStringLiteral("INSERT INTO CIAFILI (CDFILIAL, CDCIA, CDLOCAFATCIA, VRPEDESCCIA) SELECT CDFILIAL, CAST(:NEW "
                        "AS VARCHAR(4)), "
                        "CDLOCAFATCIA, VRPEDESCCIA FROM CIAFILI WHERE CDCIA = :OLD"),
         copy, original);
    exec(
        db,
        QStringLiteral(
            "INSERT INTO CLASSECIA (CDFILIAL, CDCIA, CDCLASSE, DSCLASSECIA) SELECT CDFILIAL, CAST(:NEW AS VARCHAR(4)), "
            "CDCLASSE, DSCLASSECIA FROM CLASSECIA WHERE CDCIA = :OLD"),
        copy, original);
    exec(db,
         QStringLiteral("INSERT INTO SERVCIA (CDFILIAL, CDCIA, CDSERVICO, IDATIVO) SELECT CDFILIAL, CAST(:NEW AS "
                        "VARCHAR(4)), CDSERVICO, "
                        "IDATIVO FROM SERVCIA WHERE CDCIA = :OLD"),
         copy, original);
    exec(db,
         QStringLiteral("INSERT INTO TABPRECO (CDTABPRECO, CDFILIAL, CDCIA, DSTABPRECO, DTINIVIGEN, DTFIMVIGEN, "
                        "IDATIVO) SELECT CDTABPRECO + CAST(:OFF AS INTEGER), CDFILIAL, CAST(:NEW AS VARCHAR(4)), "
                        "DSTABPRECO, DTINIVIGEN, DTFIMVIGEN, "
                        "IDATIVO FROM TABPRECO WHERE CDCIA = :OLD"),
         copy, original, tableOffset);
    const QString ofOriginal =
        QStringLiteral(" WHERE CDTABPRECO IN (SELECT CDTABPRECO FROM TABPRECO WHERE CDCIA = :OLD)");
    exec(db,
         QStringLiteral(
             "INSERT INTO ITEMTABPRECO (CDTABPRECO, NRITEMTAB, CDSERVICO, DTINIVIGEN, DTFIMVIGEN, VRPRECO, "
             "VRPRECODOL, VRPRECOSBY, VRPRECOSBYDOL, IDPROPORC) SELECT CDTABPRECO + CAST(:OFF AS INTEGER), NRITEMTAB, "
             "CDSERVICO, DTINIVIGEN, DTFIMVIGEN, VRPRECO, VRPRECODOL, VRPRECOSBY, VRPRECOSBYDOL, "
             "IDPROPORC FROM ITEMTABPRECO")
             + ofOriginal,
         copy, original, tableOffset);
    exec(
        db,
        QStringLiteral(
            "INSERT INTO FAIXAPAX (CDTABPRECO, NRFAIXA, QTPAXINI, QTPAXFIN) SELECT CDTABPRECO + CAST(:OFF AS INTEGER), "
            "NRFAIXA, QTPAXINI, QTPAXFIN FROM FAIXAPAX")
            + ofOriginal,
        copy, original, tableOffset);
    exec(db,
         QStringLiteral("INSERT INTO PRECOPROP (CDTABPRECO, NRFAIXA, CDSERVICO, VRPRECO, VRPRECODOL) SELECT "
                        "CDTABPRECO + CAST(:OFF AS INTEGER), NRFAIXA, CDSERVICO, VRPRECO, VRPRECODOL FROM PRECOPROP")
             + ofOriginal,
         copy, original, tableOffset);
}

}  // namespace

int copiedAirlineSets(Database& db)
{
    Sql q(db, QStringLiteral("SELECT COUNT(*) FROM COMPANHIA WHERE CDCIA >= :FIRST"));
    q.bind(QStringLiteral(":FIRST"), firstCopyCode());
    q.exec();
    const int copies = q.next() ? q.value(0).toInt() : 0;
    const int perSet = std::max<int>(1, static_cast<int>(originals(db).size()));
    return (copies + perSet - 1) / perSet;
}

std::vector<CopiedAirline> addCopiedAirlines(Database& db, int set)
{
    if (set < 1 || set > kMaxSet)
        throw ServerFailure(
            QStringLiteral("Carga scale: volume grande demais (mais de %1 conjuntos de companhias).").arg(kMaxSet));
    const QStringList from = originals(db);
    if (from.size() > kAirlinesPerSet)
        throw ServerFailure(QStringLiteral("Carga scale: companhias demais para copiar (%1).").arg(from.size()));
    {
        Sql top(db, QStringLiteral("SELECT COALESCE(MAX(CDTABPRECO), 0) FROM TABPRECO WHERE CDCIA < :FIRST"));
        top.bind(QStringLiteral(":FIRST"), firstCopyCode());
        top.exec();
        if (top.next() && top.value(0).toInt() >= kTablesPerAirline)
            throw ServerFailure(QStringLiteral("Carga scale: código de tabela de preço alto demais para copiar."));
    }
    std::vector<CopiedAirline> copies;
    for (int i = 0; i < from.size(); ++i) {
        const CopiedAirline c{QString::number(kFirstCopiedAirline + kAirlinesPerSet * set + i), from[i]};
        copyAirline(db, c.code, c.original, 100000 * set + kTablesPerAirline * i);
        copies.push_back(c);
    }
    return copies;
}

}  // namespace server
