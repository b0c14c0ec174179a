#include "tests/support/gui/scripted_dialogs.h"

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/ui/dataset_search.h"
#include "framework/ui/desktop_dialogs.h"

#include <gtest/gtest.h>

namespace {

// The texts a lookup list shows: the visible fields, in field order.
void ListShown(const TClientDataSet& dataSet, ShownBox& box)
{
    std::vector<const TField*> visible;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        if (dataSet.Fields(i).Visible()) {
            visible.push_back(&dataSet.Fields(i));
            box.columns << dataSet.Fields(i).DisplayLabel();
        }
    }
    if (!dataSet.Active()) return;
    for (int row = 0; row < dataSet.RecordCount(); ++row) {
        QStringList texts;
        dataSet.ReadRow(row, [&] {
            for (const TField* field : visible) texts << field->DisplayText();
        });
        box.rows << texts;
    }
}

}  // namespace

ScriptedDialogs::~ScriptedDialogs() = default;

void ScriptedDialogs::AnswerMessage(TModalResult result) { messageAnswers_.push_back(result); }
void ScriptedDialogs::AnswerInput(std::optional<QString> text) { inputAnswers_.push_back(std::move(text)); }
void ScriptedDialogs::PickRow(int viewRow) { picks_.push_back({viewRow, {}, {}, false}); }
void ScriptedDialogs::PickRowWhere(const QString& fieldName, const QString& text)
{
    picks_.push_back({-1, fieldName, text, false});
}
void ScriptedDialogs::CancelPick() { picks_.push_back({-1, {}, {}, true}); }
void ScriptedDialogs::AnswerFind(const QString& fieldName, const QString& value)
{
    finds_.push_back({fieldName, value, false});
}
void ScriptedDialogs::CancelFind() { finds_.push_back({{}, {}, true}); }

std::vector<ShownBox> ScriptedDialogs::ShownOf(ShownBox::Kind kind) const
{
    std::vector<ShownBox> out;
    for (const ShownBox& box : shown_) {
        if (box.kind == kind) out.push_back(box);
    }
    return out;
}

QStringList ScriptedDialogs::Errors() const
{
    QStringList out;
    for (const ShownBox& box : ShownOf(ShownBox::Kind::Error)) out << box.text;
    return out;
}

QStringList ScriptedDialogs::Messages() const
{
    QStringList out;
    for (const ShownBox& box : ShownOf(ShownBox::Kind::Message)) out << box.text;
    return out;
}

int ScriptedDialogs::PendingAnswers() const
{
    return static_cast<int>(messageAnswers_.size() + inputAnswers_.size() + picks_.size() + finds_.size());
}

TModalResult ScriptedDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                         int /*helpContext*/)
{
    ShownBox box;
    box.kind = ShownBox::Kind::Message;
    box.type = type;
    box.buttons = buttons;
    box.text = text;
    const bool asks = (buttons & ~TMsgDlgButtons(mbOK)) != 0;
    if (!asks) {
        box.answer = TModalResult::OK;
    } else if (messageAnswers_.empty()) {
        ADD_FAILURE() << "a question box was shown with no answer scripted: " << text.toStdString();
        box.answer = buttons & mbCancel ? TModalResult::Cancel : buttons & mbNo ? TModalResult::No : TModalResult::None;
    } else {
        box.answer = messageAnswers_.front();
        messageAnswers_.pop_front();
    }
    shown_.push_back(box);
    return box.answer;
}

void ScriptedDialogs::ShowError(const QString& text)
{
    ShownBox box;
    box.kind = ShownBox::Kind::Error;
    box.type = TMsgDlgType::Error;
    box.buttons = mbOK;
    box.text = text;
    box.answer = TModalResult::OK;
    shown_.push_back(box);
}

std::optional<QString> ScriptedDialogs::InputQuery(const QString& caption, const QString& prompt,
                                                   const QString& /*initial*/)
{
    ShownBox box;
    box.kind = ShownBox::Kind::InputQuery;
    box.caption = caption;
    box.text = prompt;
    std::optional<QString> answer;
    if (inputAnswers_.empty()) {
        ADD_FAILURE() << "an input prompt was shown with no answer scripted: " << prompt.toStdString();
    } else {
        answer = inputAnswers_.front();
        inputAnswers_.pop_front();
    }
    box.answer = answer ? TModalResult::OK : TModalResult::Cancel;
    shown_.push_back(box);
    return answer;
}

bool ScriptedDialogs::ChooseRow(TDataSource& source, const QString& title, TChooseRowOptions /*options*/)
{
    ShownBox box;
    box.kind = ShownBox::Kind::ChooseRow;
    box.caption = title;
    TClientDataSet* dataSet = source.DataSet();
    if (dataSet) ListShown(*dataSet, box);
    box.answer = TModalResult::Cancel;
    if (picks_.empty()) {
        ADD_FAILURE() << "a lookup list was shown with no pick scripted: " << title.toStdString();
        shown_.push_back(box);
        return false;
    }
    const Pick pick = picks_.front();
    picks_.pop_front();
    if (pick.cancel || !dataSet) {
        shown_.push_back(box);
        return false;
    }
    int row = pick.row;
    if (!pick.field.isEmpty()) {
        const TField* field = dataSet->FindField(pick.field);
        if (!field) {
            ADD_FAILURE() << "the lookup list has no field " << pick.field.toStdString();
            shown_.push_back(box);
            return false;
        }
        row = -1;
        for (int r = 0; r < dataSet->RecordCount() && row < 0; ++r) {
            dataSet->ReadRow(r, [&] {
                if (field->DisplayText() == pick.text || field->AsString() == pick.text) row = r;
            });
        }
    }
    if (row < 0 || row >= dataSet->RecordCount()) {
        ADD_FAILURE() << "the scripted row is not in the lookup list " << title.toStdString();
        shown_.push_back(box);
        return false;
    }
    shown_.push_back(box);
    dataSet->MoveToRow(row);
    shown_.back().answer = TModalResult::OK;
    return true;
}

bool ScriptedDialogs::FindInDataSet(TClientDataSet& dataSet)
{
    ShownBox box;
    box.kind = ShownBox::Kind::Find;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        if (dataSet.Fields(i).Visible()) box.columns << dataSet.Fields(i).DisplayLabel();
    }
    box.answer = TModalResult::Cancel;
    if (finds_.empty()) {
        ADD_FAILURE() << "a find dialog was shown with no answer scripted";
        shown_.push_back(box);
        return false;
    }
    const Find find = finds_.front();
    finds_.pop_front();
    box.text = find.value;
    shown_.push_back(box);
    if (find.cancel) return false;
    const TField* field = dataSet.FindField(find.field);
    if (!field) {
        ADD_FAILURE() << "the find dialog has no field " << find.field.toStdString();
        return false;
    }
    const int row = DataSetSearch::FindRow(dataSet, *field, find.value);
    if (row < 0) return false;
    dataSet.MoveToRow(row);
    shown_.back().answer = TModalResult::OK;
    return true;
}

ScopedDialogs::ScopedDialogs()
{
    auto scripted = std::make_unique<ScriptedDialogs>();
    scripted_ = scripted.get();
    previous_ = SetDialogs(std::move(scripted));
}

ScopedDialogs::~ScopedDialogs()
{
    EXPECT_EQ(scripted_->PendingAnswers(), 0) << "scripted answers were left unused";
    SetDialogs(std::move(previous_));  // destroys the scripted service
}

ScopedDesktopDialogs::ScopedDesktopDialogs() { previous_ = SetDialogs(std::make_unique<TDesktopDialogs>()); }

ScopedDesktopDialogs::~ScopedDesktopDialogs() { SetDialogs(std::move(previous_)); }
