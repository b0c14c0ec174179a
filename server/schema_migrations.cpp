#include "server/schema_migrations.h"

#include "server/sql.h"
#include "server/transaction.h"

namespace server {

namespace {

// Tables whose SQL is the same on both engines. Types are chosen to mean the same on both:
// VARCHAR(n), INTEGER/BIGINT, NUMERIC(p,s) (exact on PostgreSQL, numeric affinity on
// SQLite), DATE and TIMESTAMP (ISO text on SQLite, "yyyy-MM-dd HH:mm:ss.zzz", so text order
// is time order).
const QStringList kBaseTables = {
    // Branches and their parameters for valued deliveries.
    R"(CREATE TABLE FILIAL (
        CDFILIAL      VARCHAR(4)  NOT NULL PRIMARY KEY,
        NMFILIAL      VARCHAR(30) NOT NULL
    ))",
    R"(CREATE TABLE PARAMCOMIS (
        CDFILIAL      VARCHAR(4)  NOT NULL PRIMARY KEY REFERENCES FILIAL (CDFILIAL),
        IDUTDELVALO   VARCHAR(1)  NOT NULL DEFAULT 'N' CHECK (IDUTDELVALO IN ('S', 'N')),
        IDINTATEPCP   VARCHAR(1)  NOT NULL DEFAULT 'N' CHECK (IDINTATEPCP IN ('S', 'N'))
    ))",
    // General parameters: exactly one row.
    R"(CREATE TABLE PARAMGERAL (
        CDPARAMGERAL  INTEGER     NOT NULL PRIMARY KEY CHECK (CDPARAMGERAL = 1),
        IDALTERDELIV  VARCHAR(1)  NOT NULL DEFAULT 'S' CHECK (IDALTERDELIV IN ('S', 'N'))
    ))",

    // Airlines, the airlines each branch serves, and service classes.
    R"(CREATE TABLE COMPANHIA (
        CDCIA         VARCHAR(4)  NOT NULL PRIMARY KEY,
        NMCIA         VARCHAR(50) NOT NULL,
        SGCIA         VARCHAR(5)  NOT NULL UNIQUE
    ))",
    R"(CREATE TABLE CIAFILI (
        CDFILIAL      VARCHAR(4)  NOT NULL REFERENCES FILIAL (CDFILIAL),
        CDCIA         VARCHAR(4)  NOT NULL REFERENCES COMPANHIA (CDCIA),
        CDLOCAFATCIA  VARCHAR(20),
        VRPEDESCCIA   NUMERIC(7,4) NOT NULL DEFAULT 0 CHECK (VRPEDESCCIA >= 0 AND VRPEDESCCIA <= 100),
        PRIMARY KEY (CDFILIAL, CDCIA)
    ))",
    R"(CREATE TABLE CLASSE (
        CDCLASSE      VARCHAR(4)  NOT NULL PRIMARY KEY,
        SGCLASSE      VARCHAR(5)  NOT NULL UNIQUE,
        NMCLASSE      VARCHAR(30) NOT NULL
    ))",
    R"(CREATE TABLE CLASSECIA (
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        CDCLASSE      VARCHAR(4)  NOT NULL REFERENCES CLASSE (CDCLASSE),
        DSCLASSECIA   VARCHAR(30) NOT NULL,
        PRIMARY KEY (CDFILIAL, CDCIA, CDCLASSE),
        FOREIGN KEY (CDFILIAL, CDCIA) REFERENCES CIAFILI (CDFILIAL, CDCIA)
    ))",

    // The service catalogue and the services each airline is offered at a branch.
    // IDTIPMANUAL: "1" national service (priced in local currency), "2" international
    // (priced in dollars). IDTPPRECO "2": priced once per flight.
    R"(CREATE TABLE SERVICO (
        CDSERVICO     VARCHAR(10) NOT NULL PRIMARY KEY,
        CDARVSERV     VARCHAR(20) NOT NULL UNIQUE,
        DSSERVICO     VARCHAR(50) NOT NULL,
        SGUNIDADE     VARCHAR(10) NOT NULL,
        IDSERVICO     VARCHAR(1)  NOT NULL DEFAULT 'S',
        IDSERVESP     VARCHAR(1)  NOT NULL DEFAULT 'N',
        VRPESOSE      NUMERIC(12,3) NOT NULL DEFAULT 0,
        IDFATSE       VARCHAR(1)  NOT NULL DEFAULT 'S',
        IDTIPMANUAL   VARCHAR(1)  NOT NULL CHECK (IDTIPMANUAL IN ('1', '2')),
        CDCLASSE      VARCHAR(4)  REFERENCES CLASSE (CDCLASSE),
        IDCICLO       VARCHAR(10),
        IDTPPRECO     VARCHAR(1)
    ))",
    R"(CREATE TABLE SERVCIA (
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        CDSERVICO     VARCHAR(10) NOT NULL REFERENCES SERVICO (CDSERVICO),
        IDATIVO       VARCHAR(1)  NOT NULL DEFAULT 'S' CHECK (IDATIVO IN ('S', 'N')),
        PRIMARY KEY (CDFILIAL, CDCIA, CDSERVICO),
        FOREIGN KEY (CDFILIAL, CDCIA) REFERENCES CIAFILI (CDFILIAL, CDCIA)
    ))",

    // Flights, their legs, and the flight plan: one leg flown on one date, with its
    // passenger count (the base of proportional prices).
    R"(CREATE TABLE VOO (
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        NRVOO         VARCHAR(5)  NOT NULL,
        IDTIPNACVOO   VARCHAR(1)  NOT NULL CHECK (IDTIPNACVOO IN ('1', '2')),
        PRIMARY KEY (CDFILIAL, CDCIA, NRVOO),
        FOREIGN KEY (CDFILIAL, CDCIA) REFERENCES CIAFILI (CDFILIAL, CDCIA)
    ))",
    R"(CREATE TABLE TRECHO (
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        NRVOO         VARCHAR(5)  NOT NULL,
        CDTRECHO      VARCHAR(4)  NOT NULL,
        SGAEROORI     VARCHAR(5)  NOT NULL,
        SGAERODES     VARCHAR(5)  NOT NULL,
        PRIMARY KEY (CDFILIAL, CDCIA, NRVOO, CDTRECHO),
        FOREIGN KEY (CDFILIAL, CDCIA, NRVOO) REFERENCES VOO (CDFILIAL, CDCIA, NRVOO)
    ))",
    R"(CREATE TABLE PLANOVOO (
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        NRVOO         VARCHAR(5)  NOT NULL,
        CDTRECHO      VARCHAR(4)  NOT NULL,
        DTHRPLAVOOPV  TIMESTAMP   NOT NULL,
        QTPAX         INTEGER     NOT NULL DEFAULT 0 CHECK (QTPAX >= 0),
        PRIMARY KEY (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV),
        FOREIGN KEY (CDFILIAL, CDCIA, NRVOO, CDTRECHO)
            REFERENCES TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO)
    ))",

    // Emission places of a branch and their invoice-number ranges. NRPROXIMO is the next
    // number the range gives; it only moves forward, so a number is never given twice.
    R"(CREATE TABLE LOCALEMISS (
        CDFILIAL      VARCHAR(4)  NOT NULL REFERENCES FILIAL (CDFILIAL),
        CDLOCALDELIV  VARCHAR(4)  NOT NULL,
        NMLOCALDELIV  VARCHAR(20) NOT NULL,
        PRIMARY KEY (CDFILIAL, CDLOCALDELIV)
    ))",
    R"(CREATE TABLE FAIXANUMFAT (
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDLOCALDELIV  VARCHAR(4)  NOT NULL,
        NRSEQFAIXA    INTEGER     NOT NULL,
        NRINICIAL     BIGINT      NOT NULL CHECK (NRINICIAL > 0),
        NRFINAL       BIGINT      NOT NULL,
        NRPROXIMO     BIGINT      NOT NULL,
        PRIMARY KEY (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA),
        FOREIGN KEY (CDFILIAL, CDLOCALDELIV) REFERENCES LOCALEMISS (CDFILIAL, CDLOCALDELIV),
        CHECK (NRINICIAL <= NRFINAL),
        CHECK (NRPROXIMO >= NRINICIAL AND NRPROXIMO <= NRFINAL + 1)
    ))",

    // Deliveries. The money columns are the delivery's totals in its own currency
    // (IDTIPNACDEL "2": dollars, otherwise local currency). NRDELIVERYFA is the invoice
    // number, unique in the branch; CDLOCALDELIV the emission place that gave it.
    R"(CREATE TABLE DELIVERY (
        NRDELIVERY    INTEGER     NOT NULL PRIMARY KEY,
        CDFILIAL      VARCHAR(4)  NOT NULL,
        NUMERO        VARCHAR(40) NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        NRVOO         VARCHAR(5)  NOT NULL,
        CDTRECHO      VARCHAR(4)  NOT NULL,
        DTHRPLAVOOPV  TIMESTAMP   NOT NULL,
        IDSITDEL      VARCHAR(1)  NOT NULL DEFAULT '1',
        IDTIPNACDEL   VARCHAR(1)  NOT NULL CHECK (IDTIPNACDEL IN ('1', '2')),
        NRDELIVERYFA  VARCHAR(40),
        CDLOCALDELIV  VARCHAR(20),
        DTHRFATUR     TIMESTAMP,
        CDLOCAFATCIA  VARCHAR(20),
        VRPETXAERO    NUMERIC(7,4)  NOT NULL DEFAULT 0 CHECK (VRPETXAERO >= 0),
        VRBACATX      NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRTXAERO      NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRTOTDESC     NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRTOTDELIV    NUMERIC(15,2) NOT NULL DEFAULT 0,
        NRMAXSERVDEL  INTEGER     NOT NULL DEFAULT 0 CHECK (NRMAXSERVDEL >= 0),
        UNIQUE (CDFILIAL, NUMERO),
        UNIQUE (CDFILIAL, NRDELIVERYFA),
        FOREIGN KEY (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV)
            REFERENCES PLANOVOO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV),
        CHECK (NRDELIVERYFA IS NULL OR NRDELIVERYFA <> ''),
        CHECK ((NRDELIVERYFA IS NULL) = (CDLOCALDELIV IS NULL))
    ))",
    R"(CREATE INDEX IXDELIVERY_CIADATA ON DELIVERY (CDFILIAL, CDCIA, DTHRPLAVOOPV))",

    // The service lines of a delivery. Descriptions, unit and class of the service come
    // from SERVICO; the flight columns from DELIVERY. Quantities have 3 decimals, money 2.
    R"(CREATE TABLE SERVDEL (
        NRDELIVERY      INTEGER     NOT NULL REFERENCES DELIVERY (NRDELIVERY),
        NRITEMPLANSP    INTEGER     NOT NULL CHECK (NRITEMPLANSP > 0),
        CDSERVICO       VARCHAR(10) NOT NULL REFERENCES SERVICO (CDSERVICO),
        CDAGRDECO       VARCHAR(4),
        CDAGRDEDE       VARCHAR(4)  REFERENCES CLASSE (CDCLASSE),
        CDCLASSE        VARCHAR(4),
        CDCICLO         VARCHAR(4),
        IDSITSERSP      VARCHAR(1),
        VRALTXPORT      NUMERIC(15,2),
        IDTIPSCBOSP     VARCHAR(1),
        QTSESOLICSP     NUMERIC(15,3),
        QTSERVFIXSP     NUMERIC(15,3),
        QTATUAPRODSP    NUMERIC(15,3),
        QTSERFATSP      NUMERIC(15,3) NOT NULL DEFAULT 0 CHECK (QTSERFATSP >= 0),
        QTSESBYUTSP     NUMERIC(15,3) NOT NULL DEFAULT 0 CHECK (QTSESBYUTSP >= 0),
        QTSESBYNUTSP    NUMERIC(15,3) NOT NULL DEFAULT 0 CHECK (QTSESBYNUTSP >= 0),
        QTSESBYPRSP     NUMERIC(15,3) NOT NULL DEFAULT 0,
        QTANTAPRODSP    NUMERIC(15,3),
        QTCORTSERVSP    NUMERIC(15,3),
        QTREALPROD      NUMERIC(15,3),
        VRPESOSESP      NUMERIC(12,3),
        IDTIPMANUALSP   VARCHAR(1)  NOT NULL CHECK (IDTIPMANUALSP IN ('1', '2')),
        IDSEREXTSP      VARCHAR(1),
        IDSTKDTSP       VARCHAR(1),
        CDUSRRESPSP     VARCHAR(12),
        DTHRINCSESP     TIMESTAMP,
        VRPRURESESP     NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRPRUDOLSESP    NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRPRUSBYSP      NUMERIC(15,2) NOT NULL DEFAULT 0,
        PRECOSBYUT      NUMERIC(15,2) NOT NULL DEFAULT 0,
        PRECOSBYNUT     NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRTOTSERVR      NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRTOTSERVD      NUMERIC(15,2) NOT NULL DEFAULT 0,
        VRPRECMANUTSESP NUMERIC(15,2) CHECK (VRPRECMANUTSESP <> 0),
        IDTPPRECO       VARCHAR(1),
        PRIMARY KEY (NRDELIVERY, NRITEMPLANSP),
        UNIQUE (NRDELIVERY, CDSERVICO)
    ))",

    // Price tables of an airline at a branch, with validity and an active flag; their items
    // (unit price in local currency, in dollars, and the stand-by unit price in both);
    // passenger-count intervals and the proportional prices of each interval.
    R"(CREATE TABLE TABPRECO (
        CDTABPRECO    INTEGER     NOT NULL PRIMARY KEY,
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        DSTABPRECO    VARCHAR(50) NOT NULL,
        DTINIVIGEN    DATE        NOT NULL,
        DTFIMVIGEN    DATE,
        IDATIVO       VARCHAR(1)  NOT NULL DEFAULT 'S' CHECK (IDATIVO IN ('S', 'N')),
        FOREIGN KEY (CDFILIAL, CDCIA) REFERENCES CIAFILI (CDFILIAL, CDCIA),
        CHECK (DTFIMVIGEN IS NULL OR DTFIMVIGEN >= DTINIVIGEN)
    ))",
    R"(CREATE INDEX IXTABPRECO_CIA ON TABPRECO (CDFILIAL, CDCIA))",
    R"(CREATE TABLE ITEMTABPRECO (
        CDTABPRECO    INTEGER     NOT NULL REFERENCES TABPRECO (CDTABPRECO),
        NRITEMTAB     INTEGER     NOT NULL,
        CDSERVICO     VARCHAR(10) NOT NULL REFERENCES SERVICO (CDSERVICO),
        DTINIVIGEN    DATE        NOT NULL,
        DTFIMVIGEN    DATE,
        VRPRECO       NUMERIC(15,2) CHECK (VRPRECO >= 0),
        VRPRECODOL    NUMERIC(15,2) CHECK (VRPRECODOL >= 0),
        VRPRECOSBY    NUMERIC(15,2) CHECK (VRPRECOSBY >= 0),
        VRPRECOSBYDOL NUMERIC(15,2) CHECK (VRPRECOSBYDOL >= 0),
        IDPROPORC     VARCHAR(1)  NOT NULL DEFAULT 'N' CHECK (IDPROPORC IN ('S', 'N')),
        PRIMARY KEY (CDTABPRECO, NRITEMTAB),
        CHECK (DTFIMVIGEN IS NULL OR DTFIMVIGEN >= DTINIVIGEN)
    ))",
    R"(CREATE INDEX IXITEMTABPRECO_SERV ON ITEMTABPRECO (CDTABPRECO, CDSERVICO))",
    R"(CREATE TABLE FAIXAPAX (
        CDTABPRECO    INTEGER     NOT NULL REFERENCES TABPRECO (CDTABPRECO),
        NRFAIXA       INTEGER     NOT NULL,
        QTPAXINI      INTEGER     NOT NULL CHECK (QTPAXINI >= 0),
        QTPAXFIN      INTEGER     NOT NULL,
        PRIMARY KEY (CDTABPRECO, NRFAIXA),
        CHECK (QTPAXFIN >= QTPAXINI)
    ))",
    R"(CREATE TABLE PRECOPROP (
        CDTABPRECO    INTEGER     NOT NULL,
        NRFAIXA       INTEGER     NOT NULL,
        CDSERVICO     VARCHAR(10) NOT NULL REFERENCES SERVICO (CDSERVICO),
        VRPRECO       NUMERIC(15,2) CHECK (VRPRECO >= 0),
        VRPRECODOL    NUMERIC(15,2) CHECK (VRPRECODOL >= 0),
        PRIMARY KEY (CDTABPRECO, NRFAIXA, CDSERVICO),
        FOREIGN KEY (CDTABPRECO, NRFAIXA) REFERENCES FAIXAPAX (CDTABPRECO, NRFAIXA)
    ))",

    // The financial index: local currency per dollar, by date.
    R"(CREATE TABLE INDICEFIN (
        DTINDICE      DATE        NOT NULL PRIMARY KEY,
        VRINDICE      NUMERIC(15,6) NOT NULL CHECK (VRINDICE > 0)
    ))",
};

// The register of every invoice number given ("E") and cancelled ("C"). A number is given
// once in a branch, and cancelled at most once.
const QString kRegisterSqlite = QStringLiteral(R"(CREATE TABLE REGNUMFAT (
        NRSEQREG      INTEGER     PRIMARY KEY AUTOINCREMENT,
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDLOCALDELIV  VARCHAR(4)  NOT NULL,
        NRDELIVERYFA  VARCHAR(40) NOT NULL,
        NRDELIVERY    INTEGER     NOT NULL REFERENCES DELIVERY (NRDELIVERY),
        IDOPERACAO    VARCHAR(1)  NOT NULL CHECK (IDOPERACAO IN ('E', 'C')),
        DTHROPERACAO  TIMESTAMP   NOT NULL,
        UNIQUE (CDFILIAL, NRDELIVERYFA, IDOPERACAO),
        FOREIGN KEY (CDFILIAL, CDLOCALDELIV) REFERENCES LOCALEMISS (CDFILIAL, CDLOCALDELIV)
    ))");
const QString kRegisterPostgres = QStringLiteral(R"(CREATE TABLE REGNUMFAT (
        NRSEQREG      BIGINT      GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDLOCALDELIV  VARCHAR(4)  NOT NULL,
        NRDELIVERYFA  VARCHAR(40) NOT NULL,
        NRDELIVERY    INTEGER     NOT NULL REFERENCES DELIVERY (NRDELIVERY),
        IDOPERACAO    VARCHAR(1)  NOT NULL CHECK (IDOPERACAO IN ('E', 'C')),
        DTHROPERACAO  TIMESTAMP   NOT NULL,
        UNIQUE (CDFILIAL, NRDELIVERYFA, IDOPERACAO),
        FOREIGN KEY (CDFILIAL, CDLOCALDELIV) REFERENCES LOCALEMISS (CDFILIAL, CDLOCALDELIV)
    ))");
const QString kRegisterIndex = QStringLiteral("CREATE INDEX IXREGNUMFAT_DELIVERY ON REGNUMFAT (NRDELIVERY)");

// NVL as the client's lookup texts use it. The text overload resolves the untyped parameter
// of a prepared statement against a VARCHAR column; the others cover numbers and dates.
const QStringList kNvlPostgres = {
    R"(CREATE OR REPLACE FUNCTION NVL(TEXT, TEXT) RETURNS TEXT
       LANGUAGE SQL IMMUTABLE AS 'SELECT COALESCE($1, $2)')",
    R"(CREATE OR REPLACE FUNCTION NVL(NUMERIC, NUMERIC) RETURNS NUMERIC
       LANGUAGE SQL IMMUTABLE AS 'SELECT COALESCE($1, $2)')",
    R"(CREATE OR REPLACE FUNCTION NVL(TIMESTAMP, TIMESTAMP) RETURNS TIMESTAMP
       LANGUAGE SQL IMMUTABLE AS 'SELECT COALESCE($1, $2)')",
};

const QString kPartnerTable = QStringLiteral(R"(CREATE TABLE CIAPARCEIRA (
        CDFILIAL      VARCHAR(4)  NOT NULL,
        CDCIA         VARCHAR(4)  NOT NULL,
        CDCIAPARC     VARCHAR(4)  NOT NULL,
        PRIMARY KEY (CDFILIAL, CDCIA, CDCIAPARC),
        FOREIGN KEY (CDFILIAL, CDCIA) REFERENCES CIAFILI (CDFILIAL, CDCIA),
        FOREIGN KEY (CDFILIAL, CDCIAPARC) REFERENCES CIAFILI (CDFILIAL, CDCIA),
        CHECK (CDCIAPARC <> CDCIA)
    ))");

const QString kBranchAlterColumn =
    QStringLiteral("ALTER TABLE PARAMCOMIS ADD COLUMN IDALTERDELIV VARCHAR(1) CHECK (IDALTERDELIV IN ('S', 'N'))");

// The key is kept as a salted hash (hex); DSFILIAIS is "*" or the branch codes, comma separated.
const QStringList kWorkstationTables = {
    R"(CREATE TABLE ESTACAOTRAB (
       NMESTACAO VARCHAR(40) NOT NULL PRIMARY KEY,
       DSFILIAIS VARCHAR(2000) NOT NULL,
       DSSALCHAVE VARCHAR(64) NOT NULL,
       DSHASHCHAVE VARCHAR(128) NOT NULL,
       IDREVOGADA CHAR(1) NOT NULL,
       DTHRCRIACAO TIMESTAMP NOT NULL,
       DTHRREVOGACAO TIMESTAMP))",
};

std::vector<Migration> buildMigrations()
{
    std::vector<Migration> list;

    Migration base;
    base.version = 1;
    base.description = QStringLiteral("Tabelas de filiais, companhias, serviços, voos, deliveries, preços e numeração");
    base.sqlite = kBaseTables;
    base.sqlite << kRegisterSqlite << kRegisterIndex;
    base.postgres = kBaseTables;
    base.postgres << kRegisterPostgres << kRegisterIndex;
    list.push_back(base);

    Migration nvl;
    nvl.version = 2;
    nvl.description = QStringLiteral("Função NVL das consultas do cliente");
    nvl.postgres = kNvlPostgres;  // SQLite: each connection registers NVL itself
    list.push_back(nvl);

    // Airlines that invoice for partners: a regional carrier flying under another airline's
    // contract at a branch is invoiced with that airline, so the contracting airline's
    // delivery list holds the partner's deliveries too. Both must be served by the branch.
    Migration partners;
    partners.version = 3;
    partners.description = QStringLiteral("Companhias parceiras faturadas por outra companhia na filial");
    partners.sqlite = {kPartnerTable};
    partners.postgres = {kPartnerTable};
    list.push_back(partners);

    // A branch may be kept from adding services to its deliveries whatever the general
    // parameter says; empty follows the general parameter.
    Migration branchChanges;
    branchChanges.version = 4;
    branchChanges.description = QStringLiteral("Permissão de alterar deliveries por filial");
    branchChanges.sqlite = {kBranchAlterColumn};
    branchChanges.postgres = {kBranchAlterColumn};
    list.push_back(branchChanges);

    Migration workstations;
    workstations.version = 5;
    workstations.description = QStringLiteral("Estações de trabalho autorizadas e suas filiais");
    workstations.sqlite = kWorkstationTables;
    workstations.postgres = kWorkstationTables;
    list.push_back(workstations);

    return list;
}

const QString kVersionTable = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS SCHEMAVERSAO ("
    " NRVERSAO INTEGER NOT NULL PRIMARY KEY,"
    " DSVERSAO VARCHAR(100) NOT NULL,"
    " DTHRAPLICACAO TIMESTAMP NOT NULL)");

// Serialises concurrent initialisations of one PostgreSQL database (any fixed key).
constexpr qint64 kMigrationLockKey = 270027002700;

}  // namespace

const std::vector<Migration>& schemaMigrations()
{
    static const std::vector<Migration> list = buildMigrations();
    return list;
}

int schemaVersion(Database& db)
{
    if (!db.tableExists(QStringLiteral("SCHEMAVERSAO"))) return 0;
    Sql q(db, QStringLiteral("SELECT MAX(NRVERSAO) FROM SCHEMAVERSAO"));
    q.exec();
    return q.next() ? q.value(0).toInt() : 0;
}

int applyMigrations(Database& db)
{
    const bool pg = db.engine() == DatabaseUrl::Engine::PostgreSQL;
    std::optional<Sql> unlock;
    if (pg) {
        Sql lock(db, QStringLiteral("SELECT pg_advisory_lock(:K)"));
        lock.bind(QStringLiteral(":K"), kMigrationLockKey);
        lock.exec();
        unlock.emplace(db, QStringLiteral("SELECT pg_advisory_unlock(:K)"));
        unlock->bind(QStringLiteral(":K"), kMigrationLockKey);
    }
    struct Unlock {
        std::optional<Sql>& q;
        ~Unlock()
        {
            if (q) {
                try {
                    q->exec();
                } catch (const std::exception&) {
                    // The session ends with the connection, which releases the lock anyway.
                }
            }
        }
    } unlocker{unlock};

    Sql(db, kVersionTable).exec();

    int applied = 0;
    for (const Migration& m : schemaMigrations()) {
        WriteTransaction tx(db);
        Sql have(db, QStringLiteral("SELECT COUNT(*) FROM SCHEMAVERSAO WHERE NRVERSAO = :V"));
        have.bind(QStringLiteral(":V"), m.version);
        have.exec();
        if (have.next() && have.value(0).toInt() > 0) continue;  // the transaction rolls back: nothing done
        for (const QString& statement : pg ? m.postgres : m.sqlite) Sql(db, statement).exec();
        Sql record(db, QStringLiteral("INSERT INTO SCHEMAVERSAO (NRVERSAO, DSVERSAO, DTHRAPLICACAO) "
                                      "VALUES (:V, :D, :T)"));
        record.bind(QStringLiteral(":V"), m.version);
        record.bind(QStringLiteral(":D"), m.description);
        record.bind(QStringLiteral(":T"), timestampText(QDateTime::currentDateTime()));
        record.exec();
        tx.commit();
        ++applied;
    }
    return applied;
}

}  // namespace server
