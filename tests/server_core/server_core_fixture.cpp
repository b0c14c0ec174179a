#include "tests/server_core/server_core_fixture.h"

#include "server/sql.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>
#include <map>

namespace servercore_test {

namespace {

std::map<TestDatabase::Engine, std::unique_ptr<TestDatabase>>& databases()
{
    static std::map<TestDatabase::Engine, std::unique_ptr<TestDatabase>> map;
    return map;
}

QString connectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("server-core-test-%1").arg(counter.fetch_add(1));
}

const char* const kWorld[] = {
    "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Guarulhos'), ('0002', 'Galeão')",
    "INSERT INTO PARAMCOMIS (CDFILIAL, IDUTDELVALO, IDINTATEPCP) VALUES ('0001', 'S', 'S'), ('0002', 'N', 'N')",
    "INSERT INTO PARAMGERAL (CDPARAMGERAL, IDALTERDELIV) VALUES (1, 'S')",
    "INSERT INTO COMPANHIA (CDCIA, NMCIA, SGCIA) VALUES ('0001', 'Aérea Teste', 'ATE'), ('0002', 'Outra Cia', 'OUTRA')",
    "INSERT INTO CIAFILI (CDFILIAL, CDCIA, CDLOCAFATCIA, VRPEDESCCIA) VALUES "
    "('0001', '0001', 'SAO PAULO', 10), ('0001', '0002', 'SAO PAULO', 0), ('0002', '0001', 'RIO', 0)",
    "INSERT INTO CLASSE (CDCLASSE, SGCLASSE, NMCLASSE) VALUES ('0003', 'Y', 'Econômica'), ('0004', 'TRIP', "
    "'Tripulação'),"
    " ('0001', 'F', 'Primeira')",
    "INSERT INTO CLASSECIA (CDFILIAL, CDCIA, CDCLASSE, DSCLASSECIA) VALUES ('0001', '0001', '0003', 'Econômica ATE'),"
    " ('0001', '0001', '0004', 'Tripulação ATE'), ('0001', '0002', '0003', 'Econômica OUTRA')",
    "INSERT INTO SERVICO (CDSERVICO, CDARVSERV, DSSERVICO, SGUNIDADE, IDSERVICO, IDSERVESP, VRPESOSE, IDFATSE,"
    " IDTIPMANUAL, CDCLASSE, IDCICLO, IDTPPRECO) VALUES "
    "('N1', '01.01.0001', 'Refeição quente', 'UN', 'S', 'N', 0.5, 'S', '1', '0003', 'IDA', '1'),"
    "('N2', '01.01.0002', 'Lanche', 'UN', 'S', 'N', 0.3, 'S', '1', '0003', 'IDA', '1'),"
    "('N3', '01.01.0003', 'Vinho importado', 'GARRAFA', 'S', 'N', 1.2, 'S', '1', '0003', 'IDA', '1'),"
    "('I1', '11.01.0001', 'Refeição internacional', 'UN', 'S', 'N', 0.6, 'S', '2', '0003', 'IDA', '1'),"
    "('I2', '11.01.0002', 'Gelo seco', 'KG', 'S', 'N', 1.0, 'S', '2', '0003', 'IDA', '1'),"
    "('P1', '05.01.0001', 'Bordo proporcional', 'VOO', 'S', 'N', 0, 'S', '1', '0003', 'IDA', '2'),"
    "('Z1', '01.01.0009', 'Serviço a preço zero', 'UN', 'S', 'N', 0, 'S', '1', '0003', 'IDA', '1'),"
    "('K1', '01.01.0008', 'Refeição kosher', 'UN', 'S', 'S', 0.5, 'S', '1', '0003', 'IDA', '1'),"
    "('D1', '01.01.0007', 'Sobremesa', 'UN', 'S', 'N', 0.2, 'S', '1', '0003', 'IDA', '1'),"
    "('T1', '01.03.0001', 'Kit tripulação', 'KIT', 'S', 'N', 1.1, 'S', '1', '0004', 'IDA/VOLTA', '1'),"
    "('X1', '01.09.0001', 'Serviço não oferecido', 'UN', 'S', 'N', 0, 'S', '1', '0003', 'IDA', '1')",
    "INSERT INTO SERVCIA (CDFILIAL, CDCIA, CDSERVICO, IDATIVO) VALUES "
    "('0001', '0001', 'N1', 'S'), ('0001', '0001', 'N2', 'S'), ('0001', '0001', 'N3', 'S'), ('0001', '0001', 'I1', "
    "'S'),"
    "('0001', '0001', 'I2', 'S'), ('0001', '0001', 'P1', 'S'), ('0001', '0001', 'Z1', 'S'), ('0001', '0001', 'K1', "
    "'S'),"
    "('0001', '0001', 'D1', 'S'), ('0001', '0001', 'T1', 'S'), ('0001', '0002', 'N1', 'S'), ('0002', '0001', 'N1', "
    "'S')",
    "INSERT INTO VOO (CDFILIAL, CDCIA, NRVOO, IDTIPNACVOO) VALUES ('0001', '0001', '100', '1'),"
    " ('0001', '0001', '900', '2'), ('0002', '0001', '100', '1')",
    "INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, SGAEROORI, SGAERODES) VALUES "
    "('0001', '0001', '100', '0001', 'GRU', 'POA'), ('0001', '0001', '900', '0001', 'GRU', 'LIS'),"
    " ('0002', '0001', '100', '0001', 'GIG', 'POA')",
    "INSERT INTO PLANOVOO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, QTPAX) VALUES "
    "('0001', '0001', '100', '0001', '2026-11-10 10:00:00.000', 80),"
    "('0001', '0001', '100', '0001', '2026-11-11 10:00:00.000', 80),"
    "('0001', '0001', '100', '0001', '2026-11-12 10:00:00.000', 180),"
    "('0001', '0001', '100', '0001', '2026-11-13 10:00:00.000', 300),"
    "('0001', '0001', '100', '0001', '2026-11-14 10:00:00.000', 220),"
    "('0001', '0001', '100', '0001', '2026-11-10 00:00:00.000', 80),"
    "('0001', '0001', '100', '0001', '2026-11-11 00:00:00.000', 80),"
    "('0001', '0001', '900', '0001', '2026-11-10 20:00:00.000', 200),"
    "('0001', '0001', '900', '0001', '2026-11-11 20:00:00.000', 200),"
    "('0002', '0001', '100', '0001', '2026-11-10 10:00:00.000', 90)",
    "INSERT INTO INDICEFIN (DTINDICE, VRINDICE) VALUES ('2026-11-10', 5), ('2026-11-12', 5), ('2026-11-13', 5)",
    "INSERT INTO TABPRECO (CDTABPRECO, CDFILIAL, CDCIA, DSTABPRECO, DTINIVIGEN, DTFIMVIGEN, IDATIVO) VALUES "
    "(1, '0001', '0001', 'Tabela ATE 2026', '2026-01-01', '2026-12-31', 'S'),"
    "(2, '0001', '0002', 'Tabela OUTRA', '2026-11-01', '2026-11-30', 'S'),"
    "(3, '0001', '0002', 'Tabela OUTRA nova', '2026-11-10', '2026-12-31', 'S'),"
    "(4, '0001', '0001', 'Tabela ATE antiga', '2026-01-01', '2026-12-31', 'N')",
    "INSERT INTO ITEMTABPRECO (CDTABPRECO, NRITEMTAB, CDSERVICO, DTINIVIGEN, DTFIMVIGEN, VRPRECO, VRPRECODOL,"
    " VRPRECOSBY, VRPRECOSBYDOL, IDPROPORC) VALUES "
    "(1, 1, 'N1', '2026-01-01', '2026-12-31', 10.00, 2.00, 6.00, 1.20, 'N'),"
    "(1, 2, 'N2', '2026-01-01', '2026-12-31', 20.00, NULL, NULL, NULL, 'N'),"
    "(1, 3, 'N3', '2026-01-01', '2026-12-31', NULL, 4.00, NULL, NULL, 'N'),"
    "(1, 4, 'I1', '2026-01-01', '2026-12-31', NULL, 8.00, NULL, 5.00, 'N'),"
    "(1, 5, 'I2', '2026-01-01', '2026-12-31', 50.00, NULL, NULL, NULL, 'N'),"
    "(1, 6, 'P1', '2026-01-01', '2026-12-31', NULL, NULL, NULL, NULL, 'S'),"
    "(1, 7, 'Z1', '2026-01-01', '2026-12-31', 0.00, NULL, NULL, NULL, 'N'),"
    "(1, 8, 'D1', '2026-01-01', '2026-11-10', 15.00, NULL, NULL, NULL, 'N'),"
    "(1, 9, 'D1', '2026-11-10', '2026-12-31', 16.00, NULL, NULL, NULL, 'N'),"
    "(1, 10, 'T1', '2026-01-01', '2026-12-31', 30.00, NULL, NULL, NULL, 'N'),"
    "(2, 1, 'N1', '2026-11-01', '2026-11-30', 11.00, NULL, NULL, NULL, 'N'),"
    "(3, 1, 'N1', '2026-11-10', '2026-12-31', 12.00, NULL, NULL, NULL, 'N'),"
    "(4, 1, 'N1', '2026-01-01', '2026-12-31', 99.00, NULL, NULL, NULL, 'N')",
    "INSERT INTO FAIXAPAX (CDTABPRECO, NRFAIXA, QTPAXINI, QTPAXFIN) VALUES (1, 1, 0, 100), (1, 2, 101, 200),"
    " (1, 3, 150, 250)",
    "INSERT INTO PRECOPROP (CDTABPRECO, NRFAIXA, CDSERVICO, VRPRECO, VRPRECODOL) VALUES (1, 1, 'P1', 500.00, NULL),"
    " (1, 2, 'P1', 800.00, NULL)",
    "INSERT INTO LOCALEMISS (CDFILIAL, CDLOCALDELIV, NMLOCALDELIV) VALUES ('0001', '0001', 'Matriz'),"
    " ('0001', '0002', 'Balcão'), ('0002', '0001', 'Galeão')",
    "INSERT INTO FAIXANUMFAT (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA, NRINICIAL, NRFINAL, NRPROXIMO) VALUES "
    "('0001', '0001', 1, 70, 80, 78), ('0001', '0002', 1, 5000, 5001, 5000)",
    "INSERT INTO DELIVERY (NRDELIVERY, CDFILIAL, NUMERO, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITDEL, IDTIPNACDEL,"
    " NRDELIVERYFA, CDLOCALDELIV, CDLOCAFATCIA, VRPETXAERO, VRBACATX, VRTXAERO, VRTOTDESC, VRTOTDELIV, NRMAXSERVDEL)"
    " VALUES "
    "(100, '0001', '000100/2026', '0001', '100', '0001', '2026-11-10 10:00:00.000', '1', '1', NULL, NULL, 'SAO PAULO',"
    " 3, 200.00, 6.00, 20.00, 186.00, 3),"
    "(101, '0001', '000101/2026', '0001', '100', '0001', '2026-11-11 10:00:00.000', '1', '1', '77', '0001', 'SAO "
    "PAULO',"
    " 3, 10.00, 0.30, 1.00, 9.30, 12),"
    "(102, '0001', '000102/2026', '0001', '900', '0001', '2026-11-10 20:00:00.000', '1', '2', NULL, NULL, 'SAO PAULO',"
    " 5.5, 42.00, 2.31, 4.20, 40.11, 5),"
    "(103, '0001', '000103/2026', '0001', '100', '0001', '2026-11-10 00:00:00.000', '1', '1', NULL, NULL, 'SAO PAULO',"
    " 3, 10.00, 0.30, 1.00, 9.30, 12),"
    "(104, '0001', '000104/2026', '0001', '100', '0001', '2026-11-11 00:00:00.000', '1', '1', NULL, NULL, 'SAO PAULO',"
    " 3, 10.00, 0.30, 1.00, 9.30, 12),"
    "(105, '0002', '000105/2026', '0001', '100', '0001', '2026-11-10 10:00:00.000', '1', '1', NULL, NULL, 'RIO',"
    " 3, 10.00, 0.30, 0.00, 10.30, 12)",
    "INSERT INTO REGNUMFAT (CDFILIAL, CDLOCALDELIV, NRDELIVERYFA, NRDELIVERY, IDOPERACAO, DTHROPERACAO) VALUES "
    "('0001', '0001', '77', 101, 'E', '2026-11-12 08:00:00.000')",
};

// One service line with its prices and totals worked out by hand.
QString line(int delivery, int item, const char* service, const char* nationality, double quantity, double standbyUsed,
             double standbyUnused, double unitLocal, double unitDollar, double standbyUnit, double standbyUsedPrice,
             double standbyUnusedPrice, double totalLocal, double totalDollar)
{
    return QStringLiteral(
               "INSERT INTO SERVDEL (NRDELIVERY, NRITEMPLANSP, CDSERVICO, CDAGRDECO, CDAGRDEDE, CDCLASSE, CDCICLO,"
               " IDSITSERSP, VRALTXPORT, IDTIPSCBOSP, QTSESOLICSP, QTSERVFIXSP, QTATUAPRODSP, QTSERFATSP, QTSESBYUTSP,"
               " QTSESBYNUTSP, QTSESBYPRSP, QTANTAPRODSP, QTCORTSERVSP, QTREALPROD, VRPESOSESP, IDTIPMANUALSP,"
               " IDSEREXTSP, IDSTKDTSP, CDUSRRESPSP, DTHRINCSESP, VRPRURESESP, VRPRUDOLSESP, VRPRUSBYSP, PRECOSBYUT,"
               " PRECOSBYNUT, VRTOTSERVR, VRTOTSERVD, VRPRECMANUTSESP, IDTPPRECO) VALUES "
               "(%1, %2, '%3', '0003', '0003', '0003', '0001', '1', 0, '1', %4, 0, %4, %4, %5, %6, %7, %4, 0, %4, 0.5,"
               " '%8', '0', '0', 'PLANEJ', '2026-11-08 09:00:00.000', %9, %10, %11, %12, %13, %14, %15, NULL, '1')")
        .arg(delivery)
        .arg(item)
        .arg(QLatin1String(service))
        .arg(quantity)
        .arg(standbyUsed)
        .arg(standbyUnused)
        .arg(standbyUsed + standbyUnused)
        .arg(QLatin1String(nationality))
        .arg(unitLocal)
        .arg(unitDollar)
        .arg(standbyUnit)
        .arg(standbyUsedPrice)
        .arg(standbyUnusedPrice)
        .arg(totalLocal)
        .arg(totalDollar);
}

QStringList worldLines()
{
    return {
        line(100, 1, "N1", "1", 10, 0, 0, 10, 2, 6, 0, 0, 100, 20),
        line(100, 2, "N2", "1", 5, 0, 0, 20, 4, 0, 0, 0, 100, 20),
        line(101, 1, "N1", "1", 1, 0, 0, 10, 2, 6, 0, 0, 10, 2),
        line(102, 1, "I1", "2", 4, 1, 1, 40, 8, 5, 5, 5, 210, 42),
        line(103, 1, "N1", "1", 1, 0, 0, 10, 2, 6, 0, 0, 10, 2),
        line(104, 1, "N1", "1", 1, 0, 0, 10, 2, 6, 0, 0, 10, 2),
        line(105, 1, "N1", "1", 1, 0, 0, 10, 2, 6, 0, 0, 10, 2),
    };
}

}  // namespace

const QStringList& allTables()
{
    static const QStringList tables = {
        QStringLiteral("CIAPARCEIRA"), QStringLiteral("REGNUMFAT"),   QStringLiteral("SERVDEL"),
        QStringLiteral("DELIVERY"),    QStringLiteral("FAIXANUMFAT"), QStringLiteral("LOCALEMISS"),
        QStringLiteral("PRECOPROP"),   QStringLiteral("FAIXAPAX"),    QStringLiteral("ITEMTABPRECO"),
        QStringLiteral("TABPRECO"),    QStringLiteral("INDICEFIN"),   QStringLiteral("PLANOVOO"),
        QStringLiteral("TRECHO"),      QStringLiteral("VOO"),         QStringLiteral("SERVCIA"),
        QStringLiteral("SERVICO"),     QStringLiteral("CLASSECIA"),   QStringLiteral("CLASSE"),
        QStringLiteral("CIAFILI"),     QStringLiteral("COMPANHIA"),   QStringLiteral("PARAMGERAL"),
        QStringLiteral("PARAMCOMIS"),  QStringLiteral("FILIAL"),
    };
    return tables;
}

void ServerCoreTest::TearDownTestSuite() { databases().clear(); }

void ServerCoreTest::SetUp()
{
    auto& slot = databases()[GetParam()];
    if (!slot) {
        slot = TestDatabase::create(GetParam());
        if (!slot) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        server::initDatabase(server::DatabaseUrl::parse(slot->url()), std::nullopt);
    }
    testDb_ = slot.get();
    db_ = openConnection(connectionName());
    for (const QString& table : allTables()) exec(QStringLiteral("DELETE FROM ") + table);
    for (const char* statement : kWorld) exec(QString::fromUtf8(statement));
    for (const QString& statement : worldLines()) exec(statement);
}

void ServerCoreTest::TearDown() { db_.reset(); }

std::unique_ptr<server::Database> ServerCoreTest::openConnection(const QString& name) const
{
    return server::Database::open(server::DatabaseUrl::parse(testDb_->url()), name);
}

wire::Value ServerCoreTest::call(const QString& method, wire::Array args)
{
    server::Methods methods(*db_);
    return methods.call(method, args);
}

void ServerCoreTest::exec(const QString& sql) { server::Sql(*db_, sql).exec(); }

QVariant ServerCoreTest::scalar(const QString& sql)
{
    server::Sql q(*db_, sql);
    q.exec();
    return q.next() ? q.value(0) : QVariant();
}

QStringList ServerCoreTest::snapshot()
{
    QStringList rows;
    for (const QString& table : allTables()) {
        server::Sql q(*db_, QStringLiteral("SELECT * FROM ") + table);
        q.exec();
        while (q.next()) {
            QStringList values;
            const int columns = q.query().record().count();
            for (int i = 0; i < columns; ++i)
                values << (q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
            rows << table + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
    }
    rows.sort();
    return rows;
}

QDateTime at(int day, int hour, int minute, int second, int msec)
{
    return wire::makeDateTime(2026, 11, day, hour, minute, second, msec);
}

const wire::Value& cell(const wire::DataPacket& packet, std::size_t row, const char* field)
{
    const int i = packet.fieldIndex(QString::fromLatin1(field));
    if (i < 0 || row >= packet.rows.size()) {
        ADD_FAILURE() << "no cell " << field << " in row " << row;
        static const wire::Value null;
        return null;
    }
    return packet.rows[row][static_cast<std::size_t>(i)];
}

double number(const wire::DataPacket& packet, std::size_t row, const char* field)
{
    const wire::Value& v = cell(packet, row, field);
    return v.isNumber() ? v.toDouble() : -999999.0;
}

QString text(const wire::DataPacket& packet, std::size_t row, const char* field)
{
    const wire::Value& v = cell(packet, row, field);
    return v.kind() == wire::Value::Kind::Text ? v.text() : QStringLiteral("<%1>").arg(v.debugString());
}

int findRow(const wire::DataPacket& packet, const char* field, double value)
{
    const int i = packet.fieldIndex(QString::fromLatin1(field));
    for (std::size_t r = 0; r < packet.rows.size(); ++r)
        if (packet.rows[r][static_cast<std::size_t>(i)].isNumber()
            && packet.rows[r][static_cast<std::size_t>(i)].toDouble() == value)
            return static_cast<int>(r);
    return -1;
}

std::string engineParamName(const ::testing::TestParamInfo<TestDatabase::Engine>& info)
{
    return testsupport::engineName(info.param).toStdString();
}

}  // namespace servercore_test
