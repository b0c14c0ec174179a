#pragma once
// A shown grid over a real dataset with persistent fields, and the ways an operator drives
// it: keys to the focused control, clicks on cells and titles, pictures of the cells.

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/units/consiste.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace gridtest {

inline wire::Value T(const char* text) { return wire::Value(QString::fromUtf8(text)); }

// CODE string 4 with an upper-case letters mask; NAME string 12; QTY float "#,##0.00";
// PRICE float read-only; NOTE string 10 not visible.
inline void DeclareFields(TClientDataSet& ds)
{
    ds.AddField(
        {.Name = "CODE", .DataType = TFieldType::String, .Size = 4, .DisplayLabel = "Código", .EditMask = ">llll;0; "});
    ds.AddField({.Name = "NAME", .DataType = TFieldType::String, .Size = 12, .DisplayLabel = "Nome"});
    ds.AddField(
        {.Name = "QTY", .DataType = TFieldType::Float, .DisplayLabel = "Quantidade", .DisplayFormat = "#,##0.00"});
    ds.AddField({.Name = "PRICE",
                 .DataType = TFieldType::Float,
                 .DisplayLabel = "Preço",
                 .DisplayWidth = 14,
                 .ReadOnly = true});
    ds.AddField({.Name = "NOTE", .DataType = TFieldType::String, .Size = 10, .DisplayLabel = "Obs", .Visible = false});
}

inline std::vector<wire::FieldDef> Columns()
{
    return {{"CODE", TFieldType::String, 4},
            {"NAME", TFieldType::String, 12},
            {"QTY", TFieldType::Float, 0},
            {"PRICE", TFieldType::Float, 0},
            {"NOTE", TFieldType::String, 10}};
}

inline wire::Row Row(const QString& code, const QString& name, double qty, double price, const QString& note = {})
{
    return {wire::Value(code), wire::Value(name), wire::Value(qty), wire::Value(price), wire::Value(note)};
}

// Rows AAAA..EEEE, quantities 10, 20, 30, 40, 50.
inline wire::DataPacket FiveRows()
{
    std::vector<wire::Row> rows;
    const char* codes[] = {"AAAA", "BBBB", "CCCC", "DDDD", "EEEE"};
    for (int i = 0; i < 5; ++i)
        rows.push_back(Row(QString::fromLatin1(codes[i]), QStringLiteral("name %1").arg(i + 1), 10.0 * (i + 1),
                           1.5 * (i + 1), QStringLiteral("n%1").arg(i + 1)));
    return {Columns(), std::move(rows)};
}

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeclareFields(ds);
        ds.Open();
        ds.SetData(FiveRows());
        source.SetDataSet(&ds);
        window = std::make_unique<QWidget>();
        window->resize(640, 300);
        auto* layout = new QVBoxLayout(window.get());
        grid = new TDBGrid(window.get());
        layout->addWidget(grid);
        grid->SetDataSource(&source);
        ASSERT_TRUE(WidgetDriver::ShowActive(*window));
        grid->setFocus();
        QApplication::processEvents();
    }

    void TearDown() override { window.reset(); }

    // The control that has the focus: the grid, or its editor while that is open.
    QWidget* Focused() const
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w : grid;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Focused(), key, modifiers);
    }
    void Type(const QString& text)
    {
        for (const QChar c : text) QTest::keyClick(Focused(), c.toLatin1());
    }
    void ClickCell(int row, int column)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(row, column).center());
    }
    void ClickTitle(int column)
    {
        QHeaderView* titles = grid->horizontalHeader();
        const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                        titles->height() / 2);
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
    }
    QImage Shot() const { return grid->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QString Cell(int row, const char* field) const
    {
        QString out;
        ds.ReadRow(row, [&] { out = ds.FieldByName(QString::fromLatin1(field)).AsString(); });
        return out;
    }

    ScopedDialogs dialogs;  // every box shown is recorded; questions need an answer queued
    TClientDataSet ds;
    TDataSource source;
    std::unique_ptr<QWidget> window;
    TDBGrid* grid = nullptr;
};

}  // namespace gridtest
