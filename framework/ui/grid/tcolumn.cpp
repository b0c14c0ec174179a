#include "framework/ui/grid/tcolumn.h"

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"
#include "framework/ui/grid/tdbgrid.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr int kUnboundColumnWidth = 64;

}  // namespace

// ---- TColumnTitle

QString TColumnTitle::Caption() const
{
    if (caption_) return *caption_;
    if (const TField* field = column_.Field()) return field->DisplayLabel();
    return column_.FieldName();
}

void TColumnTitle::SetCaption(const QString& caption)
{
    caption_ = caption;
    column_.Grid().TitlesChanged();
}

void TColumnTitle::RestoreDefaultCaption()
{
    caption_.reset();
    column_.Grid().TitlesChanged();
}

QFont TColumnTitle::Font() const { return font_ ? *font_ : column_.Grid().TitleFont(); }

void TColumnTitle::SetFont(const QFont& font)
{
    font_ = font;
    column_.Grid().TitlesChanged();
}

void TColumnTitle::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    column_.Grid().TitlesChanged();
}

// ---- TColumn

TColumn::TColumn(TDBGrid& grid, QString fieldName) : grid_(grid), fieldName_(std::move(fieldName)) {}

int TColumn::Index() const
{
    const auto& items = grid_.Columns().items_;
    const auto it = std::find_if(items.begin(), items.end(), [this](const auto& c) { return c.get() == this; });
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TColumn::SetFieldName(const QString& fieldName)
{
    if (fieldName.compare(fieldName_, Qt::CaseInsensitive) == 0) {
        fieldName_ = fieldName;  // the same field
        return;
    }
    // The column keeps what it shows now: its width and caption stop following the field.
    const bool keepsLook = width_.has_value() && title_.caption_.has_value();
    if (Field()) {
        if (!width_) width_ = Width();
        title_.caption_ = title_.Caption();
    }
    fieldName_ = fieldName;
    fieldGeneration_ = 0;
    grid_.ColumnFieldChanged(Index(), keepsLook);
}

TField* TColumn::Field() const
{
    const quint64 generation = grid_.BindingGeneration();
    if (fieldGeneration_ != generation) {
        const TClientDataSet* dataSet = grid_.DataSet();
        field_ = (dataSet && !fieldName_.isEmpty()) ? dataSet->FindField(fieldName_) : nullptr;
        fieldGeneration_ = generation;
    }
    return field_;
}

int TColumn::Width() const
{
    if (width_) return *width_;
    const TField* field = Field();
    if (!field) return kUnboundColumnWidth;
    // As wide as the field's display width in average characters, and never narrower than
    // its title.
    const int chars = std::max(1, field->DisplayWidth());
    const bool titled = (grid_.Options() & dgTitles) != 0;
    const QFont cellFont = grid_.font();
    const QFont titleFont = titled ? title_.Font() : QFont();
    const QString caption = titled ? title_.Caption() : QString();
    const DerivedWidth* last = derivedWidth_ ? &*derivedWidth_ : nullptr;
    if (last && last->chars == chars && last->titled == titled && last->caption == caption && last->cells == cellFont
        && last->titles == titleFont)
        return last->width;
    const QFontMetrics cells(cellFont);
    int width = chars * cells.averageCharWidth() - cells.averageCharWidth() / 2 + 3;
    if (titled) width = std::max(width, QFontMetrics(titleFont).horizontalAdvance(caption) + 4);
    derivedWidth_ = DerivedWidth{chars, cellFont, titleFont, caption, titled, width};
    return width;
}

void TColumn::SetWidth(int pixels)
{
    width_ = std::max(0, pixels);
    grid_.ColumnLayoutChanged(Index());
}

Qt::Alignment TColumn::Alignment() const
{
    if (alignment_) return *alignment_;
    if (const TField* field = Field()) {
        if (field->DataType() == TFieldType::Float || field->DataType() == TFieldType::Integer) return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

void TColumn::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    grid_.ColumnLayoutChanged(Index());
}

void TColumn::SetButtonStyle(TColumnButtonStyle style)
{
    if (buttonStyle_ == style) return;
    buttonStyle_ = style;
    grid_.ColumnLayoutChanged(Index());
}

void TColumn::SetVisible(bool visible)
{
    if (visible_ == visible) return;
    visible_ = visible;
    grid_.ColumnLayoutChanged(Index());
}

// ---- TDBGridColumns

TColumn& TDBGridColumns::Add(const QString& fieldName)
{
    if (state_ == TColumnsState::Default) {
        items_.clear();
        state_ = TColumnsState::Customized;
    }
    items_.push_back(std::make_unique<TColumn>(grid_, fieldName));
    grid_.ColumnsChanged();
    return *items_.back();
}

void TDBGridColumns::Remove(int index)
{
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
    if (items_.empty()) state_ = TColumnsState::Default;
    grid_.ColumnsChanged();
}

void TDBGridColumns::Clear()
{
    items_.clear();
    state_ = TColumnsState::Default;
    grid_.ColumnsChanged();
}

int TDBGridColumns::IndexOfField(const QString& fieldName) const
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    }
    return -1;
}

bool TDBGridColumns::SetDefault(const std::vector<QString>& fieldNames)
{
    if (state_ != TColumnsState::Default) return false;
    const bool same = std::equal(items_.begin(), items_.end(), fieldNames.begin(), fieldNames.end(),
                                 [](const auto& column, const QString& name) { return column->FieldName() == name; });
    if (same) return false;
    items_.clear();
    for (const QString& name : fieldNames) items_.push_back(std::make_unique<TColumn>(grid_, name));
    return true;
}
