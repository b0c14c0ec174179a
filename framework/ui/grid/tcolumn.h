#pragma once
// The columns of a data grid. A column shows one field of the grid's dataset by name; the
// name can be changed at run time and the column keeps its place, width and title.
//
// Without declared columns the grid makes one column per visible field of its dataset and
// remakes them when the dataset's fields change. Declaring a column (Add) replaces those
// with the declared list; Clear goes back to the automatic columns.

#include "framework/ui/grid/tdbgrid_types.h"

#include <QFont>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class TDBGrid;
class TField;
class TColumn;

class TColumnTitle {
public:
    explicit TColumnTitle(TColumn& column) : column_(column) {}
    TColumnTitle(const TColumnTitle&) = delete;
    TColumnTitle& operator=(const TColumnTitle&) = delete;

    // The caption set, or the field's display label while none is set.
    QString Caption() const;
    void SetCaption(const QString& caption);
    bool HasCaption() const { return caption_.has_value(); }
    void RestoreDefaultCaption();

    // The font set, or the grid's title font while none is set.
    QFont Font() const;
    void SetFont(const QFont& font);

    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);

private:
    friend class TColumn;
    TColumn& column_;
    std::optional<QString> caption_;
    std::optional<QFont> font_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

class TColumn {
public:
    TColumn(TDBGrid& grid, QString fieldName);
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;

    TDBGrid& Grid() const { return grid_; }
    int Index() const;  // position in the grid's column list

    const QString& FieldName() const { return fieldName_; }
    // Shows another field in this column. The column keeps its position, its width and its
    // title as they are at that moment (a default width or caption is kept as it was shown).
    void SetFieldName(const QString& fieldName);
    // The field shown, or nullptr when the dataset has no field of that name (or no dataset).
    TField* Field() const;

    // Width in pixels: the width set, or one derived from the field's display width.
    int Width() const;
    void SetWidth(int pixels);
    bool HasWidth() const { return width_.has_value(); }

    TColumnTitle& Title() { return title_; }
    const TColumnTitle& Title() const { return title_; }

    // Alignment of the cell text in default drawing: the one set, else right for numbers.
    Qt::Alignment Alignment() const;
    void SetAlignment(Qt::Alignment alignment);

    TColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TColumnButtonStyle style);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

private:
    friend class TDBGridColumns;
    friend class TDBGrid;
    TDBGrid& grid_;
    QString fieldName_;
    TColumnTitle title_{*this};
    std::optional<int> width_;
    std::optional<Qt::Alignment> alignment_;
    TColumnButtonStyle buttonStyle_ = TColumnButtonStyle::Auto;
    bool readOnly_ = false;
    bool visible_ = true;
    // Field resolved for one binding of the grid (see TDBGrid::BindingGeneration).
    mutable TField* field_ = nullptr;
    mutable quint64 fieldGeneration_ = 0;
    // The width derived last and what it was derived from: measuring the title's text lays
    // it out, which each load of the grid's rows would repeat.
    struct DerivedWidth {
        int chars = 0;
        QFont cells;
        QFont titles;
        QString caption;
        bool titled = false;
        int width = 0;
    };
    mutable std::optional<DerivedWidth> derivedWidth_;
};

class TDBGridColumns {
public:
    enum class TColumnsState { Default, Customized };

    explicit TDBGridColumns(TDBGrid& grid) : grid_(grid) {}
    TDBGridColumns(const TDBGridColumns&) = delete;
    TDBGridColumns& operator=(const TDBGridColumns&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TColumn& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    TColumn& Items(int index) const { return (*this)[index]; }

    // Declares a column at the end (the first declaration drops the automatic columns).
    TColumn& Add(const QString& fieldName = {});
    void Remove(int index);
    // Drops every column and goes back to one column per visible field.
    void Clear();
    TColumnsState State() const { return state_; }

    // The index of the column that shows the field (case-insensitive), -1 when none does.
    int IndexOfField(const QString& fieldName) const;

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    friend class TDBGrid;
    friend class TColumn;
    // Remakes the automatic columns from the names given; true when they changed.
    bool SetDefault(const std::vector<QString>& fieldNames);

    TDBGrid& grid_;
    std::vector<std::unique_ptr<TColumn>> items_;
    TColumnsState state_ = TColumnsState::Default;
};
