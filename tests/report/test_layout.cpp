// Pages as they come out of the PDF: page breaks with repeated column titles, page numbers
// per document or per report, text kept inside its box, and numbers in the operator's locale.

#include "report_test_support.h"

#include "framework/report/report_designer_dialog.h"
#include "framework/report/report_parser.h"

#include <QTemporaryDir>

namespace {

using namespace reporttest;

// Two master rows (10 and 1 detail lines). Each line is 60 mm: four fit under the titles.
QString paginationDefinition(const char* numbering)
{
    return QStringLiteral(
               "[report]\ntitle = Paginação\npage-numbers = %1\n"
               "[master sql]\n"
               "SELECT 1 AS M, 10 AS N UNION ALL SELECT 2, 1 ORDER BY 1\n"
               "[detail sql]\n"
               "WITH RECURSIVE L(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM L WHERE I < :N)\n"
               "SELECT I, I * 1234567.5 AS V FROM L\n"
               "[page-header]\nheight = 10\ntext 0 0 190 5 \"CABECALHO {M}\"\n"
               "[master-header]\nheight = 10\ntext 0 0 190 5 \"DOCUMENTO {M}\"\n"
               "[detail-header]\nheight = 8\ntext 0 0 190 5 \"TITULOS\"\n"
               "[detail]\nheight = 60\ntext 0 0 100 5 \"LINHA {M}.{I}\"\ntext 100 0 90 5 align=right \"{V:#,##0.00}\"\n"
               "[master-footer]\nheight = 20\ntext 0 0 190 5 \"TOTAL {M} = {SUM(V):#,##0.00} ({#COUNT} linhas)\"\n"
               "[page-footer]\nheight = 7\ntext 0 0 190 5 align=right \"Página {#PAGE} de {#PAGES}\"\n")
        .arg(QString::fromLatin1(numbering));
}

class ReportLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::sqlite();
        {
            testsupport::DirectConnection direct(*db_);
            direct.exec(QStringLiteral("CREATE TABLE VAZIA (A INTEGER)"));
        }
        connection_.Open(db_->url());
        runner_.SetConnection(&connection_);
    }

    QString Run(const QString& definition)
    {
        const QString path = writeFile(dir_.filePath(QStringLiteral("defs")), QStringLiteral("TESTE.rpt"), definition);
        const TReportRun run = runner_.ExportPdf(TReportEntry{QStringLiteral("TESTE"), QString(), path},
                                                 dir_.filePath(QStringLiteral("out")));
        EXPECT_EQ(run.files.size(), 1);
        return run.files.value(0);
    }

    std::unique_ptr<TestDatabase> db_;
    TDtmDBGeral connection_;
    TReportDesignerDialog runner_;
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ReportLayout, BreaksPagesRepeatingTitlesAndNumbersEachDocument)
{
    const QStringList pages = pdfText(Run(paginationDefinition("master"))).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 4);
    const auto has = [&](int page, const QString& text) { return pages[page].contains(text); };
    for (int p = 0; p < 4; ++p) EXPECT_EQ(pages[p].count(QStringLiteral("TITULOS")), 1) << "page " << p + 1;
    EXPECT_TRUE(has(0, QStringLiteral("Página 1 de 3")));
    EXPECT_TRUE(has(1, QStringLiteral("Página 2 de 3")));
    EXPECT_TRUE(has(2, QStringLiteral("Página 3 de 3")));
    EXPECT_TRUE(has(3, QStringLiteral("Página 1 de 1")));
    EXPECT_TRUE(has(0, QStringLiteral("DOCUMENTO 1")));
    EXPECT_FALSE(has(1, QStringLiteral("DOCUMENTO 1")));
    EXPECT_TRUE(has(3, QStringLiteral("DOCUMENTO 2")) && has(3, QStringLiteral("CABECALHO 2")));
    for (int line = 1; line <= 10; ++line) {
        const int page = (line - 1) / 4;
        EXPECT_TRUE(has(page, QStringLiteral("LINHA 1.%1 ").arg(line))) << "line " << line << " on page " << page + 1;
    }
    EXPECT_TRUE(has(2, QStringLiteral("TOTAL 1 = 67,901,212.50 (10 linhas)")));
    EXPECT_TRUE(has(3, QStringLiteral("TOTAL 2 = 1,234,567.50 (1 linhas)")));
    EXPECT_TRUE(has(0, QStringLiteral("4,938,270.00")));  // line 4
}

TEST_F(ReportLayout, CanNumberPagesThroughTheWholeReport)
{
    const QStringList pages = pdfText(Run(paginationDefinition("report"))).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 4);
    for (int p = 0; p < 4; ++p) EXPECT_TRUE(pages[p].contains(QStringLiteral("Página %1 de 4").arg(p + 1)));
}

TEST_F(ReportLayout, NumbersFollowTheOperatorsLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const QString text = pdfText(Run(paginationDefinition("master")));
    QLocale::setDefault(before);
    EXPECT_TRUE(text.contains(QStringLiteral("TOTAL 2 = 1.234.567,50"))) << text.toStdString();
}

TEST_F(ReportLayout, TextStaysInsideItsBox)
{
    const QString longText =
        QStringLiteral("Refeição especial para tripulação com acompanhamentos variados e sobremesa");
    const QString path = Run(QStringLiteral("[report]\ntitle = Recorte\nmargins = 10 10 10 10\n"
                                            "[master sql]\nSELECT 1 AS M\n"
                                            "[detail sql]\nSELECT '%1' AS DS, 'VIZINHO' AS CD\n"
                                            "[detail]\nheight = 15\n"
                                            "text 0 0 30 5 \"{DS}\"\n"
                                            "text 30 0 40 5 \"{CD}\"\n"
                                            "text 70 0 30 10 wrap \"{DS}\"\n"
                                            "text 100 0 40 5 \"{CD}\"\n")
                                 .arg(longText));
    const std::vector<PdfWord> words = pdfWords(path);
    ASSERT_FALSE(words.empty());
    const double tolerance = 0.5;
    const double top = mmToPt(10);
    int cut = 0, wrapped = 0, neighbours = 0;
    for (const PdfWord& w : words) {
        const double x = w.box.left();
        if (x < mmToPt(40) - tolerance) {  // the single-line box, 10..40 mm
            ++cut;
            EXPECT_LE(w.box.right(), mmToPt(40) + tolerance) << w.text.toStdString();
        } else if (x >= mmToPt(80) - tolerance && x < mmToPt(110)) {  // the wrapped box, 80..110 mm
            ++wrapped;
            EXPECT_LE(w.box.right(), mmToPt(110) + tolerance) << w.text.toStdString();
            EXPECT_LE(w.box.bottom(), top + mmToPt(10) + tolerance) << w.text.toStdString();
        } else if (w.text == QLatin1String("VIZINHO")) {
            ++neighbours;
        }
    }
    EXPECT_EQ(neighbours, 2) << "the neighbours are drawn whole";
    EXPECT_GE(cut, 1);
    EXPECT_GT(wrapped, cut) << "wrapping shows more of the text than one cut line";
    EXPECT_TRUE(pdfText(path).contains(QChar(0x2026))) << "a cut text ends with an ellipsis";
}
