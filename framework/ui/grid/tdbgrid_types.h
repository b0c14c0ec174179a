#pragma once
// Small value types of the data grid: its options, the state of a cell being drawn and the
// button style of a column.

// Grid options, combined with |. The delivery and service grids use
// dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgAlwaysShowSelection |
// dgConfirmDelete, the service grid adding dgEditing.
enum TDBGridOption : unsigned {
    dgEditing = 1u << 0,              // cells can be edited, rows inserted, appended and deleted
    dgTitles = 1u << 1,               // a title row above the cells
    dgIndicator = 1u << 2,            // a row indicator column at the left
    dgColumnResize = 1u << 3,         // the operator may resize columns by their titles
    dgColLines = 1u << 4,             // lines between columns
    dgRowLines = 1u << 5,             // lines between rows
    dgTabs = 1u << 6,                 // Tab and Shift+Tab move between cells
    dgAlwaysShowSelection = 1u << 7,  // the current cell stays highlighted without the focus
    dgConfirmDelete = 1u << 8,        // Ctrl+Delete asks before deleting the row
};
using TDBGridOptions = unsigned;

inline constexpr TDBGridOptions dgDefaultOptions =
    dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgConfirmDelete;

// The state of a cell handed to OnDrawColumnCell.
struct TGridDrawState {
    bool Selected = false;  // the current cell, while the grid has the focus or always shows it
    bool Focused = false;   // the current cell of the grid that has the focus
    bool Fixed = false;     // a title or indicator cell (never for data cells)
};

enum class TColumnButtonStyle {
    Auto,      // no button
    Ellipsis,  // a "..." button in the current cell; a click or Ctrl+Enter fires OnEditButtonClick
};
