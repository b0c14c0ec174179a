// Rendering the valued delivery document ATE027 to PDF for 100 deliveries of a scale
// database (the demo plus 20,000 deliveries): one PDF per delivery, as the emission dialog
// prints them, and one PDF holding the 100 documents (a list parameter). Baseline, measured in
// the same run: QPdfWriter drawing 100 pages with as many texts, lines and boxes as an ATE027
// page holds, with no database and no layout, as 100 files of one page and as one file of 100
// pages. The time per document and the ratios (CPU time) are printed at the end.
//
//   bench_report [benchmark options]
//   bench_report --sample-pdf DIR   writes the document of one demo delivery into DIR and exits

#include "framework/db/dtmdbgeral.h"
#include "framework/report/report_catalog.h"
#include "framework/report/report_designer_dialog.h"
#include "server/database.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "bench/ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kDocuments = 100;

struct Setup {
    QTemporaryDir dir;
    QString url;
    QString branch = QStringLiteral("0001");
    std::vector<qint64> deliveries;  // kDocuments of them, spread over the branch
    qint64 sample = 0;               // a demo delivery (November 2026) with many services
    TReportEntry entry;
};

Setup& setup()
{
    static Setup s;
    return s;
}

void prepare(const QString& seed)
{
    Setup& s = setup();
    s.url = QStringLiteral("sqlite:") + s.dir.filePath(QStringLiteral("bench.db"));
    server::initDatabase(server::DatabaseUrl::parse(s.url), server::SeedSpec::parse(seed));
    dtmDBGeral().Open(s.url);
    QSqlQuery q(dtmDBGeral().Database());
    q.exec(
        QStringLiteral("SELECT D.NRDELIVERY FROM DELIVERY D WHERE D.CDFILIAL = '0001' AND EXISTS "
                       "(SELECT 1 FROM SERVDEL S WHERE S.NRDELIVERY = D.NRDELIVERY) ORDER BY D.NRDELIVERY"));
    std::vector<qint64> all;
    while (q.next()) all.push_back(q.value(0).toLongLong());
    const std::size_t step = std::max<std::size_t>(1, all.size() / kDocuments);
    for (std::size_t i = 0; i < all.size() && s.deliveries.size() < std::size_t(kDocuments); i += step)
        s.deliveries.push_back(all[i]);
    q.exec(
        QStringLiteral("SELECT D.NRDELIVERY FROM DELIVERY D WHERE D.CDFILIAL = '0001' "
                       "AND D.DTHRPLAVOOPV < '2026-12-01' AND D.NRDELIVERYFA IS NOT NULL "
                       "ORDER BY (SELECT COUNT(*) FROM SERVDEL S WHERE S.NRDELIVERY = D.NRDELIVERY) DESC, "
                       "D.NRDELIVERY LIMIT 1"));
    if (q.next()) s.sample = q.value(0).toLongLong();
    s.entry = FindReportDefinition(QStringLiteral(ATE_REPORTS_DIR), QStringLiteral("ATE027"), QString());
}

TReportRun runReport(TReportDesignerDialog& runner, const QString& numbers, const QString& out)
{
    runner.BeforeGetQueryParams = [&](TReportDesignerDialog&, TParams& params) {
        params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(setup().branch);
        params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(numbers);
    };
    return runner.ExportPdf(setup().entry, out);
}

void clear(const QString& folder)
{
    QDir dir(folder);
    for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden)) dir.remove(f);
}

// One PDF per delivery, as the emission dialog prints them.
void ate027EachDelivery(benchmark::State& state)
{
    QTemporaryDir out;
    TReportDesignerDialog runner;
    int pages = 0;
    for (auto _ : state) {
        for (qint64 nr : setup().deliveries)
            pages += runReport(runner, QStringLiteral("_%1_").arg(nr), out.path()).pages;
        state.PauseTiming();
        clear(out.path());
        state.ResumeTiming();
    }
    state.counters["pages"] = benchmark::Counter(pages, benchmark::Counter::kAvgIterations);
}

// The same 100 documents in one file (one list parameter).
void ate027OneFile(benchmark::State& state)
{
    QString numbers = QStringLiteral("_");
    for (qint64 nr : setup().deliveries) numbers += QString::number(nr) + QLatin1Char('_');
    QTemporaryDir out;
    TReportDesignerDialog runner;
    for (auto _ : state) {
        benchmark::DoNotOptimize(runReport(runner, numbers, out.path()).pages);
        state.PauseTiming();
        clear(out.path());
        state.ResumeTiming();
    }
}

// QPdfWriter alone, with the texts, lines and boxes of an ATE027 page of eight service lines
// (about 130 texts, 90 frames, 5 lines), fonts set as the report sets them: `files` PDFs of
// `pages` pages each.
void writeBaselinePdfs(int files, int pages)
{
    // Texts of the lengths a page shows: codes, descriptions, quantities, money.
    static const std::vector<QString> texts = {QStringLiteral("01.01.0001"),
                                               QStringLiteral("Refeição quente - econômica"),
                                               QStringLiteral("UN"),
                                               QStringLiteral("IDA"),
                                               QStringLiteral("64"),
                                               QStringLiteral("1,941.83"),
                                               QStringLiteral("Lanche frio"),
                                               QStringLiteral("30.06"),
                                               QStringLiteral("Tot. de Serviços (R$):")};
    for (int file = 0; file < files; ++file) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        QPainter painter(&writer);
        const double mm = writer.logicalDpiX() / 25.4;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setHintingPreference(QFont::PreferNoHinting);
        for (int page = 0; page < pages; ++page) {
            if (page > 0) writer.newPage();
            for (int row = 0; row < 26; ++row) {
                for (int col = 0; col < 5; ++col) {
                    font.setPointSizeF(row % 3 == 0 ? 9 : 7);
                    font.setBold(row < 4);
                    painter.setFont(font);
                    const QRectF box(10 * mm + col * 38 * mm, 10 * mm + row * 10 * mm, 37 * mm, 5 * mm);
                    if (row >= 8) painter.drawRect(box);
                    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                                     texts[std::size_t((row * 5 + col + page + file) % int(texts.size()))]);
                }
            }
            for (int l = 0; l < 5; ++l)
                painter.drawLine(QPointF(10 * mm, (20 + l * 50) * mm), QPointF(200 * mm, (20 + l * 50) * mm));
        }
        painter.end();
        benchmark::DoNotOptimize(buffer.size());
    }
}

void baselineOneFileEach(benchmark::State& state)
{
    for (auto _ : state) writeBaselinePdfs(kDocuments, 1);
}

void baselineOneFile(benchmark::State& state)
{
    for (auto _ : state) writeBaselinePdfs(1, kDocuments);
}

using benchsupport::RatioReporter;

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        const QStringList args = QCoreApplication::arguments();
        const qsizetype sample = args.indexOf(QStringLiteral("--sample-pdf"));
        prepare(sample >= 0 ? QStringLiteral("demo") : QStringLiteral("scale:20000"));
        if (sample >= 0) {
            if (sample + 1 >= args.size()) {
                std::fprintf(stderr, "--sample-pdf DIR\n");
                return 2;
            }
            TReportDesignerDialog runner;
            const TReportRun run = runReport(runner, QStringLiteral("_%1_").arg(setup().sample), args[sample + 1]);
            for (const QString& f : run.files) std::printf("%s\n", qPrintable(f));
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }

    benchmark::RegisterBenchmark("baseline_qpdfwriter_100_files", baselineOneFileEach)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("baseline_qpdfwriter_100_pages_one_file", baselineOneFile)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("ate027_100_documents_one_file_each", ate027EachDelivery)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("ate027_100_documents_in_one_file", ate027OneFile)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto time = [&](const std::map<std::string, double>& times, const char* name) {
        const auto it = times.find(name);
        return it == times.end() ? 0.0 : it->second;
    };
    std::printf("\nATE027 over %zu deliveries of a scale database (20,000 deliveries added to the demo):\n",
                setup().deliveries.size());
    const std::pair<const char*, const char*> pairs[] = {
        {"ate027_100_documents_one_file_each", "baseline_qpdfwriter_100_files"},
        {"ate027_100_documents_in_one_file", "baseline_qpdfwriter_100_pages_one_file"},
    };
    for (const auto& [name, baseline] : pairs) {
        const double cpu = time(reporter.cpu, name), wall = time(reporter.wall, name);
        const double base = time(reporter.cpu, baseline);
        if (cpu <= 0) continue;
        std::printf("  %-36s %6.2f ms per document (CPU), %6.2f ms (wall)", name, cpu / kDocuments, wall / kDocuments);
        if (base > 0) std::printf("; %.2fx %s (%.2f ms per page)", cpu / base, baseline, base / kDocuments);
        std::printf("\n");
    }
    dtmDBGeral().Close();
    return 0;
}
