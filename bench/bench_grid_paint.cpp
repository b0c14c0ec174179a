// Drawing the data grid over lists of 1,000, 10,000 and 100,000 service rows (14 columns, the
// shape of the service list): one full repaint of the visible cells, with default drawing
// and with an owner-draw handler like the form's (fill, situation colour, text, focus), and
// a page move of the cursor followed by its repaint. Baseline, measured in the same run: a
// plain QTableView over a minimal item model formatting the same values, repainted the same
// way. The ratios (CPU time) are printed at the end, with the 100,000-row time against the
// 1,000-row one (only visible rows may cost).

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/ui/grid/tdbgrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 14;
const QSize kGridSize(900, 420);

// Column c of row r: strings in the first five columns, numbers after.
bool IsText(int c) { return c < 5; }
QString TextOf(int r, int c) { return QStringLiteral("S%1-%2").arg(r % 997).arg(c); }
double NumberOf(int r, int c) { return (r % 1000) * 1.25 + c; }

std::vector<wire::FieldDef> Fields()
{
    std::vector<wire::FieldDef> fields;
    for (int c = 0; c < kColumns; ++c)
        fields.push_back({QStringLiteral("F%1").arg(c), IsText(c) ? wire::FieldType::String : wire::FieldType::Float,
                          IsText(c) ? 20 : 0});
    return fields;
}

wire::DataPacket Packet(int rows)
{
    wire::DataPacket packet{Fields(), {}};
    packet.rows.reserve(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        wire::Row row;
        row.reserve(kColumns);
        for (int c = 0; c < kColumns; ++c)
            row.push_back(IsText(c) ? wire::Value(TextOf(r, c)) : wire::Value(NumberOf(r, c)));
        packet.rows.push_back(std::move(row));
    }
    return packet;
}

// The baseline's model: the same values, formatted on demand.
class PlainModel : public QAbstractTableModel {
public:
    explicit PlainModel(int rows) : rows_(rows) {}
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole) return {};
        const int r = index.row();
        const int c = index.column();
        return IsText(c) ? TextOf(r, c) : locale_.toString(NumberOf(r, c), 'f', 2);
    }

private:
    int rows_;
    QLocale locale_;
};

struct GridSetup {
    TClientDataSet dataSet;
    TDataSource source;
    std::unique_ptr<TDBGrid> grid;
};

struct PlainSetup {
    std::unique_ptr<PlainModel> model;
    std::unique_ptr<QTableView> view;
};

std::map<int, std::unique_ptr<GridSetup>> grids;
std::map<int, std::unique_ptr<PlainSetup>> plains;

GridSetup& Grid(int rows)
{
    auto& slot = grids[rows];
    if (!slot) {
        slot = std::make_unique<GridSetup>();
        for (const auto& f : Fields()) {
            TFieldDef def{.Name = f.name, .DataType = f.type, .Size = f.size};
            if (!IsText(static_cast<int>(slot->dataSet.FieldCount()))) def.DisplayFormat = QStringLiteral("#,##0.00");
            slot->dataSet.AddField(def);
        }
        slot->dataSet.Open();
        slot->dataSet.SetData(Packet(rows));
        slot->source.SetDataSet(&slot->dataSet);
        slot->grid = std::make_unique<TDBGrid>();
        slot->grid->SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgAlwaysShowSelection
                               | dgEditing);
        slot->grid->SetDataSource(&slot->source);
        slot->grid->resize(kGridSize);
        slot->grid->show();
        slot->dataSet.Last();
    }
    return *slot;
}

PlainSetup& Plain(int rows)
{
    auto& slot = plains[rows];
    if (!slot) {
        slot = std::make_unique<PlainSetup>();
        slot->model = std::make_unique<PlainModel>(rows);
        slot->view = std::make_unique<QTableView>();
        slot->view->setModel(slot->model.get());
        slot->view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        slot->view->verticalHeader()->hide();
        slot->view->resize(kGridSize);
        slot->view->show();
        slot->view->setCurrentIndex(slot->model->index(rows - 1, 0));
        slot->view->scrollTo(slot->view->currentIndex());
    }
    return *slot;
}

void Render(QWidget& viewport, QImage& image) { viewport.render(&image); }

// The form's service cell: info background, situation colour, text, focus rectangle.
void OwnerDraw(TDBGrid& grid, const QRect& rect, int, TColumn& column, TGridDrawState state)
{
    TCanvas& canvas = grid.Canvas();
    canvas.Brush().SetColor(QColor(255, 255, 225));
    canvas.FillRect(rect);
    if (grid.DataSet()->Fields(0).AsString().endsWith(QLatin1Char('3'))) canvas.Font().SetColor(Qt::red);
    if (state.Selected) {
        canvas.Brush().SetColor(grid.palette().color(QPalette::Highlight));
        canvas.FillRect(rect);
        canvas.Font().SetColor(grid.palette().color(QPalette::HighlightedText));
    }
    const TField* field = column.Field();
    canvas.TextRect(rect, rect.left() + 2, rect.top() + 2, field ? field->DisplayText() : QString());
    if (state.Focused) canvas.DrawFocusRect(rect);
}

void BaselinePaint(benchmark::State& state, int rows)
{
    PlainSetup& s = Plain(rows);
    QImage image(s.view->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) Render(*s.view->viewport(), image);
}

void GridPaint(benchmark::State& state, int rows, bool ownerDraw)
{
    GridSetup& s = Grid(rows);
    s.grid->OnDrawColumnCell = ownerDraw ? OwnerDraw : decltype(s.grid->OnDrawColumnCell)();
    QImage image(s.grid->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) Render(*s.grid->viewport(), image);
}

void BaselinePage(benchmark::State& state, int rows)
{
    PlainSetup& s = Plain(rows);
    QImage image(s.view->viewport()->size(), QImage::Format_RGB32);
    const int page = 20;
    int row = 0;
    for (auto _ : state) {
        row = row + page < rows ? row + page : 0;
        s.view->setCurrentIndex(s.model->index(row, 0));
        s.view->scrollTo(s.view->currentIndex());
        Render(*s.view->viewport(), image);
    }
}

void GridPage(benchmark::State& state, int rows)
{
    GridSetup& s = Grid(rows);
    s.grid->OnDrawColumnCell = OwnerDraw;
    QImage image(s.grid->viewport()->size(), QImage::Format_RGB32);
    const int page = 20;
    for (auto _ : state) {
        const int row = s.dataSet.RecNo() - 1;
        s.dataSet.MoveToRow(row + page < rows ? row + page : 0);  // fires the scroll events
        Render(*s.grid->viewport(), image);
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sizes[] = {1'000, 10'000, 100'000};
    for (int n : sizes) {
        const std::string suffix = "/" + std::to_string(n);
        benchmark::RegisterBenchmark(("baseline_paint" + suffix).c_str(), BaselinePaint, n)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("grid_paint" + suffix).c_str(), GridPaint, n, false)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("grid_owner_draw" + suffix).c_str(), GridPaint, n, true)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("baseline_page" + suffix).c_str(), BaselinePage, n)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("grid_page" + suffix).c_str(), GridPage, n)->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto time = [&](const std::string& name) {
        const auto it = reporter.times.find(name);
        return it == reporter.times.end() ? 0.0 : it->second;
    };
    std::printf("\nGrid repaint against a plain QTableView over a minimal model (same rows, same size):\n");
    for (int n : sizes) {
        const std::string suffix = "/" + std::to_string(n);
        const double base = time("baseline_paint" + suffix);
        const double basePage = time("baseline_page" + suffix);
        if (base <= 0 || basePage <= 0) continue;
        std::printf("  %7d rows: default drawing %.2fx, owner drawing %.2fx, page move + repaint %.2fx\n", n,
                    time("grid_paint" + suffix) / base, time("grid_owner_draw" + suffix) / base,
                    time("grid_page" + suffix) / basePage);
    }
    // The widgets go before the application does.
    grids.clear();
    plains.clear();
    const double small = time("grid_owner_draw/1000");
    const double large = time("grid_owner_draw/100000");
    if (small > 0 && large > 0)
        std::printf("  owner-drawn repaint, 100,000 rows against 1,000 rows: %.2fx\n", large / small);
    std::fflush(stdout);
    return 0;
}
