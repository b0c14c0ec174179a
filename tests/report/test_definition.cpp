// Reading report definitions: the shipped ATE027, templates, and the strict refusals with the
// line of the fault.

#include "framework/report/report_error.h"
#include "framework/report/report_parser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString shippedReports() { return QDir(qEnvironmentVariable("ATE_SOURCE_DIR")).filePath(QStringLiteral("reports")); }

// A small valid definition; tests replace one line to break it.
const QString kValid = QStringLiteral(
    "[report]\n"                                                     // 1
    "title = Teste\n"                                                // 2
    "margins = 10 10 10 10\n"                                        // 3
    "\n"                                                             // 4
    "[parameters]\n"                                                 // 5
    "P_A = string\n"                                                 // 6
    "\n"                                                             // 7
    "[master sql]\n"                                                 // 8
    "SELECT A FROM T WHERE A = :P_A\n"                               // 9
    "\n"                                                             // 10
    "[detail sql]\n"                                                 // 11
    "SELECT B FROM U WHERE A = :A\n"                                 // 12
    "\n"                                                             // 13
    "[master-header]\n"                                              // 14
    "height = 10\n"                                                  // 15
    "text 0 0 100 5 bold \"A: {A} / {@P_A}\"\n"                      // 16
    "\n"                                                             // 17
    "[detail]\n"                                                     // 18
    "height = 5\n"                                                   // 19
    "text 0 0 190 5 \"{B:#,##0.00}\"\n"                              // 20
    "\n"                                                             // 21
    "[page-footer]\n"                                                // 22
    "height = 5\n"                                                   // 23
    "text 0 0 190 5 align=right \"Página {#PAGE} de {#PAGES}\"\n");  // 24

QString withLine(int line, const QString& text)
{
    QStringList lines = kValid.split(QLatin1Char('\n'));
    lines[line - 1] = text;
    return lines.join(QLatin1Char('\n'));
}

std::string refusal(const QString& text)
{
    try {
        ParseReportDefinition(text, QStringLiteral("/r/TESTE.rpt"));
    } catch (const EReportError& e) {
        return e.Message().toStdString();
    }
    return "(accepted)";
}

}  // namespace

TEST(ReportDefinition, TheShippedGuiaValorizadoReads)
{
    const TReportDefinition def = LoadReportDefinition(QDir(shippedReports()).filePath(QStringLiteral("ATE027.rpt")));
    EXPECT_EQ(def.code, QStringLiteral("ATE027"));
    EXPECT_EQ(def.title, QStringLiteral("Guia Valorizado"));
    ASSERT_EQ(def.parameters.size(), 2u);
    EXPECT_EQ(def.parameters[0].Name, QStringLiteral("P_CDFILIAL"));
    EXPECT_EQ(def.parameters[1].Name, QStringLiteral("P_NRDELIVERY"));
    EXPECT_NE(def.master.For(TSqlDialect::PostgreSQL), def.master.For(TSqlDialect::SQLite));
    EXPECT_EQ(def.master.For(TSqlDialect::Oracle), def.master.generic);
    EXPECT_TRUE(def.detail.present);
    EXPECT_EQ(def.numbering, TPageNumbering::PerMaster);
    EXPECT_TRUE(def.masterNewPage);
}

TEST(ReportDefinition, ReadsAValidDefinition)
{
    const TReportDefinition def = ParseReportDefinition(kValid, QStringLiteral("/r/TESTE - Cópia.rpt"));
    EXPECT_EQ(def.code, QStringLiteral("TESTE"));
    EXPECT_EQ(def.master.generic, QStringList{QStringLiteral("SELECT A FROM T WHERE A = :P_A")});
    const TReportBand& header = def.Band(TBandKind::MasterHeader);
    ASSERT_EQ(header.items.size(), 1u);
    const TReportItem& item = header.items.front();
    EXPECT_EQ(item.rect, QRectF(0, 0, 100, 5));
    EXPECT_TRUE(item.bold);
    EXPECT_EQ(item.sourceLine, 16);
    const auto& parts = item.text.Parts();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[1].kind, TTemplatePart::Kind::Field);
    EXPECT_EQ(parts[3].kind, TTemplatePart::Kind::Param);
    const TReportItem& total = def.Band(TBandKind::Detail).items.front();
    EXPECT_EQ(total.text.Parts().front().format, QStringLiteral("#,##0.00"));
    EXPECT_FALSE(def.Band(TBandKind::PageHeader).present);
}

TEST(ReportDefinition, RefusesFaultsNamingFileAndLine)
{
    struct Case {
        int line;
        const char* text;
        int reportedLine;
        const char* fragment;
    };
    const Case cases[] = {
        {2, "titulo = Teste", 2, "chave desconhecida 'titulo'"},
        {3, "margins = 10 10 10", 3, "margens"},
        {3, "margins = 10 x 10 10", 3, "valor inválido para margem: 'x'"},
        {6, "P_A = texto", 6, "tipo de parâmetro desconhecido"},
        {6, "P_B = string", 8, "':P_A'"},  // used but no longer declared
        {11, "[detail sql sybase]", 11, "dialeto SQL desconhecido 'sybase'"},
        {14, "[masterheader]", 14, "seção desconhecida [masterheader]"},
        {15, "height = 0", 15, "maior que zero"},
        {16, "text 0 0 200 5 \"x\"", 16, "sai da banda"},  // wider than 190 mm
        {16, "text 0 6 100 5 \"x\"", 16, "sai da banda"},  // below the band's 10 mm
        {16, "text 0 0 100 5 bold \"{A\"", 16, "'{' sem '}'"},
        {16, "text 0 0 100 5 \"{@P_X}\"", 16, "'@P_X'"},
        {16, "text 0 0 100 5 blink \"x\"", 16, "opção desconhecida 'blink'"},
        {16, "text 0 0 100 5 bold bold \"x\"", 16, "'bold' aparece mais de uma vez"},
        {16, "text 0 0 100 5 \"x\" bold", 16, "deve ser o último"},
        {16, "text 0 0 100 5 \"sem fim", 16, "sem a aspa final"},
        {16, "circle 0 0 5 5", 16, "item desconhecido 'circle'"},
        {16, "line 0 0 100", 16, "quatro medidas"},
        {16, "text 0 0 100 5 \"{#FOLHA}\"", 16, "valor especial desconhecido"},
        {19, "height = 5\nheight = 6", 20, "mais de uma vez"},
        {19, "height = 300", 18, "não cabem na página"},
        {20, "text 0 0 190 5 \"{SUM(B}\"", 20, "nome inválido"},
        {4, "file-name = {#CODE}_{SUM(B)}", 4, "o nome de arquivo lê apenas"},
        {4, "file-name = {#CODE}_{#PAGE}", 4, "o nome de arquivo lê apenas"},
        {4, "file-name = {A", 4, "'{' sem '}'"},
        {4, "file-name =", 4, "nome de arquivo vazio"},
    };
    for (const Case& c : cases) {
        const std::string text = refusal(withLine(c.line, QString::fromUtf8(c.text)));
        const std::string where = "linha " + std::to_string(c.reportedLine) + ":";
        EXPECT_NE(text.find("/r/TESTE.rpt"), std::string::npos) << c.text << " -> " << text;
        EXPECT_NE(text.find(where), std::string::npos) << c.text << " -> " << text;
        EXPECT_NE(text.find(c.fragment), std::string::npos) << c.text << " -> " << text;
    }
}

TEST(ReportDefinition, RefusesMissingPieces)
{
    EXPECT_NE(refusal(QStringLiteral("[parameters]\nP = string\n")).find("falta a seção [report]"), std::string::npos);
    EXPECT_NE(refusal(withLine(2, QString())).find("falta o título"), std::string::npos);
    QString noMaster = kValid;
    noMaster.replace(QStringLiteral("[master sql]\nSELECT A FROM T WHERE A = :P_A\n"), QString());
    EXPECT_NE(refusal(noMaster).find("falta a seção [master sql]"), std::string::npos);
    QString noDetailSql = kValid;
    noDetailSql.replace(QStringLiteral("[detail sql]\nSELECT B FROM U WHERE A = :A\n"), QString());
    EXPECT_NE(refusal(noDetailSql).find("precisa da seção [detail sql]"), std::string::npos);
    EXPECT_NE(refusal(withLine(12, QStringLiteral("   "))).find("consulta SQL vazia"), std::string::npos);
    EXPECT_NE(refusal(kValid + QStringLiteral("\n[report]\ntitle = B\n")).find("aparece mais de uma vez"),
              std::string::npos);
    EXPECT_NE(refusal(QStringLiteral("title = x\n") + kValid).find("linha 1: conteúdo fora de uma seção"),
              std::string::npos);
}

TEST(ReportTemplate, SplitsTextAndValues)
{
    const TReportTemplate t = TReportTemplate::Parse(
        QStringLiteral("{{x}} {NUMERO} de {DTHRPLAVOOPV:dd/mm/yyyy} {SUM(VRTOT):#,##0.00} {#PAGE}/{#pages} {@P_A}"));
    using K = TTemplatePart::Kind;
    std::vector<std::pair<K, QString>> got;
    for (const auto& p : t.Parts())
        got.emplace_back(p.kind, p.kind == K::Literal ? p.text : p.text + QLatin1Char('|') + p.format);
    const std::vector<std::pair<K, QString>> expected = {
        {K::Literal, QStringLiteral("{x} ")}, {K::Field, QStringLiteral("NUMERO|")},
        {K::Literal, QStringLiteral(" de ")}, {K::Field, QStringLiteral("DTHRPLAVOOPV|dd/mm/yyyy")},
        {K::Literal, QStringLiteral(" ")},    {K::Sum, QStringLiteral("VRTOT|#,##0.00")},
        {K::Literal, QStringLiteral(" ")},    {K::Page, QStringLiteral("|")},
        {K::Literal, QStringLiteral("/")},    {K::Pages, QStringLiteral("|")},
        {K::Literal, QStringLiteral(" ")},    {K::Param, QStringLiteral("P_A|")},
    };
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(TReportTemplate::Parse(QStringLiteral("só texto")).IsConstant());
    EXPECT_THROW(TReportTemplate::Parse(QStringLiteral("a } b")), EReportError);
    EXPECT_THROW(TReportTemplate::Parse(QStringLiteral("{A:}")), EReportError);
}

TEST(ReportDefinition, UnreadableFilesAreRefusedWithTheirPath)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ATE027.rpt"));
    try {
        LoadReportDefinition(missing);
        FAIL() << "read a file that does not exist";
    } catch (const EReportError& e) {
        EXPECT_TRUE(
            e.Message().startsWith(QStringLiteral("Não foi possível ler a definição de relatório '%1'").arg(missing)))
            << e.Message().toStdString();
    }
    QFile latin1(missing);
    ASSERT_TRUE(latin1.open(QIODevice::WriteOnly));
    latin1.write(QByteArray("[report]\ntitle = Relat\xF3rio\n"));  // Windows-1252, not UTF-8
    latin1.close();
    try {
        LoadReportDefinition(missing);
        FAIL() << "read a file that is not UTF-8";
    } catch (const EReportError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("não está em UTF-8"))) << e.Message().toStdString();
    }
}
