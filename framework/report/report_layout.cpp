#include "framework/report/report_layout.h"

namespace {

constexpr double kTolerance = 0.001;

class Layout {
public:
    Layout(const TReportDefinition& def, const TReportData& data) : def_(def), data_(data)
    {
        const TReportBand& header = def.Band(TBandKind::PageHeader);
        const TReportBand& footer = def.Band(TBandKind::PageFooter);
        top_ = header.present ? header.height : 0;
        bottom_ = def.BodySizeMm().height() - (footer.present ? footer.height : 0);
    }

    std::vector<TReportPage> Run()
    {
        for (int m = 0; m < int(data_.master.rows.size()); ++m) {
            if (pages_.empty() || def_.masterNewPage) NewPage(m);
            Place(TBandKind::MasterHeader, m, -1, 0);
            const int details = int(data_.details[std::size_t(m)].rows.size());
            const TReportBand& detailHeader = def_.Band(TBandKind::DetailHeader);
            const double firstLine = def_.Band(TBandKind::Detail).present ? Height(TBandKind::Detail) : 0;
            if (detailHeader.present) Place(TBandKind::DetailHeader, m, -1, details > 0 ? firstLine : 0);
            for (int d = 0; d < details; ++d) {
                if (!Fits(Height(TBandKind::Detail))) {
                    NewPage(m);
                    if (detailHeader.present) Place(TBandKind::DetailHeader, m, -1, firstLine);
                }
                Place(TBandKind::Detail, m, d, 0);
            }
            Place(TBandKind::MasterFooter, m, -1, 0);
        }
        Number();
        return std::move(pages_);
    }

private:
    double Height(TBandKind kind) const
    {
        const TReportBand& band = def_.Band(kind);
        return band.present ? band.height : 0;
    }

    bool Fits(double height) const { return cursor_ + height <= bottom_ + kTolerance; }

    void NewPage(int master)
    {
        TReportPage page;
        page.master = master;
        if (def_.Band(TBandKind::PageHeader).present) page.bands.push_back({TBandKind::PageHeader, 0, master, -1});
        pages_.push_back(std::move(page));
        cursor_ = top_;
        pageHasMaster_ = false;
    }

    // Places a band, moving to a new page first when it (and `keepWith`, the height that
    // must follow it on the same page) does not fit below what the page already holds.
    void Place(TBandKind kind, int master, int detail, double keepWith)
    {
        const TReportBand& band = def_.Band(kind);
        if (!band.present) return;
        if (!Fits(band.height + keepWith) && cursor_ > top_ + kTolerance) NewPage(master);
        TReportPage& page = pages_.back();
        if (!pageHasMaster_) {
            page.master = master;
            pageHasMaster_ = true;
        }
        page.bands.push_back({kind, cursor_, master, detail});
        cursor_ += band.height;
    }

    void Number()
    {
        const TReportBand& footer = def_.Band(TBandKind::PageFooter);
        for (TReportPage& page : pages_)
            if (footer.present) page.bands.push_back({TBandKind::PageFooter, bottom_, page.master, -1});
        if (def_.numbering == TPageNumbering::Report) {
            for (std::size_t i = 0; i < pages_.size(); ++i) {
                pages_[i].number = int(i) + 1;
                pages_[i].count = int(pages_.size());
            }
            return;
        }
        std::size_t start = 0;
        while (start < pages_.size()) {
            std::size_t end = start;
            while (end < pages_.size() && pages_[end].master == pages_[start].master) ++end;
            for (std::size_t i = start; i < end; ++i) {
                pages_[i].number = int(i - start) + 1;
                pages_[i].count = int(end - start);
            }
            start = end;
        }
    }

    const TReportDefinition& def_;
    const TReportData& data_;
    std::vector<TReportPage> pages_;
    double top_ = 0, bottom_ = 0, cursor_ = 0;
    bool pageHasMaster_ = false;
};

}  // namespace

std::vector<TReportPage> LayoutReport(const TReportDefinition& definition, const TReportData& data)
{
    return Layout(definition, data).Run();
}
