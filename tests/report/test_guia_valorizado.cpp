// The valued delivery document ATE027 run against the demo database and read back from the
// PDF: header, service lines, totals and currency of the delivery, page numbers, a list of
// deliveries, parameters, and what happens when the definition is missing or its SQL is bad.

#include "report_test_support.h"

#include "framework/report/prepared_report.h"
#include "framework/report/report_designer_dialog.h"
#include "framework/report/report_error.h"
#include "framework/report/report_output.h"
#include "framework/units/qrddlgs.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

using namespace reporttest;

struct Service {
    QString code, description;
    double quantity = 0, unitPrice = 0, total = 0;
};

struct Delivery {
    qint64 number = 0;  // NRDELIVERY
    QString numero, airline, flight, leg, invoice, place, currency;
    QDateTime flightDate;
    double services = 0, tax = 0, discount = 0, total = 0;
    std::vector<Service> lines;
};

// What the database holds for one delivery, read with plain SQL to compare with the PDF.
Delivery readDelivery(testsupport::DirectConnection& db, qint64 number)
{
    Delivery d;
    QSqlQuery q(db.db());
    q.prepare(
        QStringLiteral("SELECT D.NUMERO, C.SGCIA || ' - ' || C.NMCIA, D.NRVOO, D.CDTRECHO, D.NRDELIVERYFA, "
                       "L.NMLOCALDELIV, D.IDTIPNACDEL, D.DTHRPLAVOOPV, D.VRBACATX, D.VRTXAERO, D.VRTOTDESC, "
                       "D.VRTOTDELIV FROM DELIVERY D JOIN COMPANHIA C ON C.CDCIA = D.CDCIA "
                       "LEFT JOIN LOCALEMISS L ON L.CDFILIAL = D.CDFILIAL AND L.CDLOCALDELIV = D.CDLOCALDELIV "
                       "WHERE D.NRDELIVERY = :N"));
    q.bindValue(QStringLiteral(":N"), number);
    if (!q.exec() || !q.next()) {
        ADD_FAILURE() << "delivery " << number << " not found";
        return d;
    }
    d.number = number;
    d.numero = q.value(0).toString();
    d.airline = q.value(1).toString();
    d.flight = q.value(2).toString();
    d.leg = q.value(3).toString();
    d.invoice = q.value(4).toString();
    d.place = q.value(5).toString();
    d.currency = q.value(6).toString() == QLatin1String("2") ? QStringLiteral("US$") : QStringLiteral("R$");
    const QVariant when = q.value(7);
    d.flightDate = when.typeId() == QMetaType::QDateTime
                       ? when.toDateTime()
                       : QDateTime::fromString(when.toString().left(16), QStringLiteral("yyyy-MM-dd HH:mm"));
    d.services = q.value(8).toDouble();
    d.tax = q.value(9).toDouble();
    d.discount = q.value(10).toDouble();
    d.total = q.value(11).toDouble();
    const bool dollars = d.currency == QLatin1String("US$");
    QSqlQuery s(db.db());
    s.prepare(
        QStringLiteral("SELECT S.CDARVSERV, S.DSSERVICO, SD.QTSERFATSP, SD.VRPRURESESP, SD.VRPRUDOLSESP, "
                       "SD.VRTOTSERVR, SD.VRTOTSERVD FROM SERVDEL SD JOIN SERVICO S ON S.CDSERVICO = SD.CDSERVICO "
                       "WHERE SD.NRDELIVERY = :N ORDER BY SD.NRITEMPLANSP"));
    s.bindValue(QStringLiteral(":N"), number);
    s.exec();
    while (s.next())
        d.lines.push_back({s.value(0).toString(), s.value(1).toString(), s.value(2).toDouble(),
                           s.value(dollars ? 4 : 3).toDouble(), s.value(dollars ? 6 : 5).toDouble()});
    return d;
}

// A delivery of branch 0001 of the given kind, invoiced when `invoiced`.
qint64 pickDelivery(testsupport::DirectConnection& db, const char* kind, bool invoiced)
{
    const QVariant v =
        db.scalar(QStringLiteral("SELECT MIN(D.NRDELIVERY) FROM DELIVERY D WHERE D.CDFILIAL = '0001' "
                                 "AND D.IDTIPNACDEL = '%1' AND D.NRDELIVERYFA IS %2 NULL "
                                 "AND EXISTS (SELECT 1 FROM SERVDEL S WHERE S.NRDELIVERY = D.NRDELIVERY)")
                      .arg(QString::fromLatin1(kind), invoiced ? QStringLiteral("NOT") : QString()));
    EXPECT_TRUE(v.isValid() && !v.isNull()) << "the demo has no such delivery";
    return v.toLongLong();
}

QString lineWith(const QString& text, const QString& needle)
{
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.contains(needle)) return line;
    return {};
}

class GuiaValorizado : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override
    {
        db_ = demoDatabase(GetParam());
        if (!db_) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        connection_.Open(db_->url());
        runner_.SetConnection(&connection_);
        direct_ = std::make_unique<testsupport::DirectConnection>(*db_);
    }

    TReportRun Run(const QString& branch, const QString& deliveries)
    {
        runner_.BeforeGetQueryParams = [=](TReportDesignerDialog&, TParams& params) {
            params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(branch);
            params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(deliveries);
        };
        return runner_.ExportPdf(FindReportDefinition(shippedReportsDir(), QStringLiteral("ATE027"), QString()),
                                 out_.path());
    }

    void ExpectDocument(const QString& page, const Delivery& d)
    {
        EXPECT_TRUE(page.contains(QStringLiteral("Filial: 0001 - Guarulhos - SP")));
        EXPECT_TRUE(page.contains(QStringLiteral("Delivery Nº ") + d.numero));
        EXPECT_TRUE(page.contains(d.airline)) << d.airline.toStdString();
        EXPECT_TRUE(page.contains(d.flight + QStringLiteral(" / ") + d.leg));
        EXPECT_TRUE(page.contains(d.flightDate.toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
        if (!d.invoice.isEmpty()) {
            EXPECT_TRUE(lineWith(page, QStringLiteral("Nr. Faturamento:")).contains(d.invoice));
            EXPECT_TRUE(lineWith(page, QStringLiteral("Local de Emissão:")).contains(d.place)) << d.place.toStdString();
        }
        ASSERT_FALSE(d.lines.empty());
        for (const Service& s : d.lines) {
            const QString line = lineWith(page, s.code);
            EXPECT_FALSE(line.isEmpty()) << "service " << s.code.toStdString() << " missing";
            EXPECT_TRUE(line.contains(money(s.total))) << line.toStdString();
            EXPECT_TRUE(line.contains(money(s.unitPrice))) << line.toStdString();
            EXPECT_TRUE(line.contains(s.description.section(QLatin1Char(' '), 0, 0))) << line.toStdString();
        }
        EXPECT_TRUE(page.contains(QStringLiteral("Serviços: %1").arg(d.lines.size())));
        EXPECT_TRUE(lineWith(page, QStringLiteral("Tot. de Serviços (") + d.currency + QStringLiteral("):"))
                        .contains(money(d.services)));
        EXPECT_TRUE(lineWith(page, QStringLiteral("Tx. Aeroporto (")).contains(money(d.tax)));
        EXPECT_TRUE(lineWith(page, QStringLiteral("Tot. de Descontos (") + d.currency).contains(money(d.discount)));
        EXPECT_TRUE(lineWith(page, QStringLiteral("Tot. Geral (") + d.currency + QStringLiteral("):"))
                        .contains(money(d.total)));
        EXPECT_TRUE(page.contains(QStringLiteral("Página 1 de 1")));
    }

    TestDatabase* db_ = nullptr;
    TDtmDBGeral connection_;
    TReportDesignerDialog runner_;
    std::unique_ptr<testsupport::DirectConnection> direct_;
    QTemporaryDir out_;
};

}  // namespace

TEST_P(GuiaValorizado, PrintsTheDeliveryInItsOwnCurrency)
{
    for (const auto& [kind, invoiced] : {std::pair{"1", true}, std::pair{"2", false}}) {
        const Delivery d = readDelivery(*direct_, pickDelivery(*direct_, kind, invoiced));
        const TReportRun run = Run(QStringLiteral("0001"), QStringLiteral("_%1_").arg(d.number));
        ASSERT_EQ(run.files.size(), 1);
        EXPECT_EQ(run.pages, 1);
        const QString text = pdfText(run.files.front());
        EXPECT_EQ(text.count(QLatin1Char('\f')), 1) << "one page";
        ExpectDocument(text, d);
        EXPECT_FALSE(text.contains(kind == std::string("2") ? QStringLiteral("(R$)") : QStringLiteral("(US$)")));
        EXPECT_TRUE(QFileInfo(run.files.front()).fileName().startsWith(QStringLiteral("ATE027_0001_%1_").arg(d.number)))
            << run.files.front().toStdString();
    }
}

TEST_P(GuiaValorizado, AListOfNumbersGivesOneDocumentEach)
{
    const Delivery national = readDelivery(*direct_, pickDelivery(*direct_, "1", true));
    const Delivery international = readDelivery(*direct_, pickDelivery(*direct_, "2", false));
    const TReportRun run =
        Run(QStringLiteral("0001"), QStringLiteral("_%1_%2_").arg(international.number).arg(national.number));
    ASSERT_EQ(run.files.size(), 1);
    EXPECT_EQ(run.pages, 2);
    const QStringList pages = pdfText(run.files.front()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 2);
    // Documents come in delivery order whatever the order of the list.
    const bool nationalFirst = national.number < international.number;
    ExpectDocument(pages[nationalFirst ? 0 : 1], national);
    ExpectDocument(pages[nationalFirst ? 1 : 0], international);
    // One file for the run, named after its first document.
    EXPECT_TRUE(
        QFileInfo(run.files.front())
            .fileName()
            .startsWith(QStringLiteral("ATE027_0001_%1_").arg(std::min(international.number, national.number))));

    // A number is matched whole: a longer number that contains it is not it.
    const qint64 n = national.number;
    qint64 longer = n * 10 + 7;
    while (direct_->scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE NRDELIVERY = %1").arg(longer)).toInt()
           > 0)
        longer = longer * 10 + 7;
    EXPECT_THROW(Run(QStringLiteral("0001"), QStringLiteral("_%1_").arg(longer)), EReportError);
    EXPECT_THROW(Run(QStringLiteral("0001"), QStringLiteral("%1").arg(n)), EReportError) << "no underscores, no match";
    // Another branch's delivery is not printed under this branch.
    EXPECT_THROW(Run(QStringLiteral("0002"), QStringLiteral("_%1_").arg(n)), EReportError);
}

INSTANTIATE_TEST_SUITE_P(Engines, GuiaValorizado,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

class GuiaValorizadoRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = demoDatabase(TestDatabase::Engine::SQLite);
        connection_.Open(db_->url());
        runner_.SetConnection(&connection_);
        testsupport::DirectConnection direct(*db_);
        number_ = pickDelivery(direct, "1", true);
    }

    TReportEntry Shipped() const
    {
        return FindReportDefinition(shippedReportsDir(), QStringLiteral("ATE027"), QString());
    }

    TestDatabase* db_ = nullptr;
    TDtmDBGeral connection_;
    TReportDesignerDialog runner_;
    qint64 number_ = 0;
    QTemporaryDir out_;
};

TEST_F(GuiaValorizadoRun, HandsOnlyTheDeclaredParametersToBeforeGetQueryParams)
{
    int calls = 0;
    QStringList names;
    runner_.BeforeGetQueryParams = [&](TReportDesignerDialog& sender, TParams& params) {
        ++calls;
        EXPECT_EQ(&sender, &runner_);
        names = params.Names();
        EXPECT_TRUE(Qrddlgs::ExistParam(params, QStringLiteral("P_CDFILIAL")));
        EXPECT_TRUE(Qrddlgs::ExistParam(params, QStringLiteral("p_nrdelivery")));
        EXPECT_FALSE(Qrddlgs::ExistParam(params, QStringLiteral("P_CDCIA")));
        EXPECT_THROW(params.ParamByName(QStringLiteral("P_CDCIA")), EDatabaseError);
        EXPECT_EQ(params.Count(), 2);
        params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(QStringLiteral("0001"));
        params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(QStringLiteral("_%1_").arg(number_));
    };
    const TPreparedReport report = runner_.Prepare(Shipped());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(names, (QStringList{QStringLiteral("P_CDFILIAL"), QStringLiteral("P_NRDELIVERY")}));
    EXPECT_EQ(report.data.master.rows.size(), 1u);

    // A handler that tries to fill a parameter the report does not declare stops the run.
    runner_.BeforeGetQueryParams = [](TReportDesignerDialog&, TParams& params) {
        params.ParamByName(QStringLiteral("P_CDCIA")).SetAsString(QStringLiteral("0001"));
    };
    EXPECT_THROW(runner_.ExportPdf(Shipped(), out_.path()), EDatabaseError);
    EXPECT_TRUE(folderEntries(out_.path()).isEmpty());
}

TEST_F(GuiaValorizadoRun, NeverOverwritesAnEarlierFile)
{
    runner_.BeforeGetQueryParams = [&](TReportDesignerDialog&, TParams& params) {
        params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(QStringLiteral("0001"));
        params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(QStringLiteral("_%1_").arg(number_));
    };
    const TPreparedReport report = runner_.Prepare(Shipped());
    const auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QString first = WriteReportPdf(report, out_.path());
    const QByteArray firstBytes = bytes(first);
    ASSERT_TRUE(firstBytes.startsWith("%PDF"));
    const QString second = WriteReportPdf(report, out_.path());
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith(QStringLiteral("ATE027_0001_%1_").arg(number_)));
    EXPECT_TRUE(first.endsWith(QStringLiteral("_%1.pdf").arg(report.runAt.toString(QStringLiteral("yyyyMMdd-HHmmss")))))
        << first.toStdString();
    EXPECT_TRUE(second.endsWith(QStringLiteral("_2.pdf"))) << second.toStdString();
    EXPECT_EQ(bytes(first), firstBytes);
    EXPECT_EQ(folderEntries(out_.path()).size(), 2) << "no temporary file is left";
}

TEST_F(GuiaValorizadoRun, AMissingDefinitionNamesTheCodeAndTheFolder)
{
    QTemporaryDir empty;
    try {
        FindReportDefinition(empty.path(), QStringLiteral("ATE027"), QString());
        FAIL() << "found a definition in an empty folder";
    } catch (const EReportNotFound& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("O arquivo contendo a definição do relatório de código 'ATE027' não foi "
                                              "encontrado no diretório '%1'.")
                                   .arg(empty.path()));
        EXPECT_EQ(e.Code(), QStringLiteral("ATE027"));
    }
    // Another code's files, or a name that only starts with the code, do not count.
    writeFile(empty.path(), QStringLiteral("ATE0271.rpt"), readFile(Shipped().filePath));
    writeFile(empty.path(), QStringLiteral("ATE028 - ATE027.rpt"), readFile(Shipped().filePath));
    EXPECT_THROW(FindReportDefinition(empty.path(), QStringLiteral("ATE027"), QString()), EReportNotFound);
}

TEST_F(GuiaValorizadoRun, BadSqlIsReportedAndLeavesNothingBehind)
{
    QTemporaryDir defs;
    QString text = readFile(Shipped().filePath);
    text.replace(QStringLiteral("FROM SERVDEL SD"), QStringLiteral("FROM SERVDELL SD"));
    const QString path = writeFile(defs.path(), QStringLiteral("ATE027.rpt"), text);
    runner_.BeforeGetQueryParams = [&](TReportDesignerDialog&, TParams& params) {
        params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(QStringLiteral("0001"));
        params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(QStringLiteral("_%1_").arg(number_));
    };
    try {
        runner_.ExportPdf(TReportEntry{QStringLiteral("ATE027"), QString(), path}, out_.path());
        FAIL() << "a report with a misspelt table printed";
    } catch (const EReportError& e) {
        EXPECT_TRUE(
            e.Message().contains(QStringLiteral("Relatório ATE027 (Guia Valorizado): a consulta de detalhe falhou")))
            << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("SERVDELL"))) << e.Message().toStdString();
    }
    EXPECT_TRUE(folderEntries(out_.path()).isEmpty());

    // A text naming a column the query does not bring is refused before anything is written.
    text = readFile(Shipped().filePath);
    text.replace(QStringLiteral("{NMFILIAL}"), QStringLiteral("{NMFILIALX}"));
    writeFile(defs.path(), QStringLiteral("ATE027.rpt"), text);
    try {
        runner_.ExportPdf(TReportEntry{QStringLiteral("ATE027"), QString(), path}, out_.path());
        FAIL() << "printed a column that does not exist";
    } catch (const EReportError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("'NMFILIALX'"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("linha "))) << e.Message().toStdString();
    }
    EXPECT_TRUE(folderEntries(out_.path()).isEmpty());
}

TEST_F(GuiaValorizadoRun, PrintsOnTheConfiguredPrinterOrSaysItIsNotThere)
{
    TReportSettings settings;
    settings.outputDir = out_.path();
    settings.printerName = QStringLiteral("Impressora do Hangar 3");
    runner_.SetSettings(settings);
    runner_.BeforeGetQueryParams = [&](TReportDesignerDialog&, TParams& params) {
        params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(QStringLiteral("0001"));
        params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(QStringLiteral("_%1_").arg(number_));
    };
    try {
        runner_.Print(Shipped());
        FAIL() << "printed on a printer that does not exist";
    } catch (const EReportError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("A impressora 'Impressora do Hangar 3' não foi encontrada."));
    }
    EXPECT_TRUE(folderEntries(out_.path()).isEmpty()) << "a configured printer is not replaced by a file";

    settings.printerName.clear();
    runner_.SetSettings(settings);
    EXPECT_EQ(runner_.Print(Shipped()).files.size(), 1);
}
