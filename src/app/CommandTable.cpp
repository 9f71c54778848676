// SPDX-License-Identifier: MIT
#include "app/CommandTable.h"

#include <array>

namespace
{

using Command = CommandTable::Command;
using State = CommandTable::State;

// Off and On are fixed in a state. Editor: as the record editor says (its
// buttons and mode, which it keeps while it is behind the search view).
// Listing: as the search view's listing and birthday probe say. Changed: on
// after "Изменить" stored the record, until the next command.
enum class Rule { Off, On, Editor, Listing, Changed };

using Row = std::array<Rule, 4>;
constexpr Rule O = Rule::Off;
constexpr Rule I = Rule::On;
constexpr Rule E = Rule::Editor;
constexpr Rule L = Rule::Listing;
constexpr Rule C = Rule::Changed;

// Rows in the order of Command; columns: signed out, searching, new record,
// showing a record.
constexpr std::array<Row, CommandTable::CommandCount> table = {{
    {O, O, I, I}, // RecordMenu
    {O, O, I, I}, // SaveButton
    {O, C, E, E}, // TemplateButton
    {O, O, I, I}, // TemplateItem
    {I, E, I, O}, // ClearVisible
    {I, E, O, I}, // ChangeVisible
    {I, E, E, E}, // ChangeEnabled
    {I, E, E, E}, // SpouseItem
    {I, E, E, E}, // RequisitesItem
    {I, E, E, E}, // PrivacyItem
    {O, L, L, L}, // PrintItem
    {I, L, L, L}, // PrintButton
    {O, L, L, L}, // BirthdayItem
    {O, L, L, L}, // BirthdayButtonShown
    {O, I, I, I}, // ImportItem
    {O, I, I, I}, // ExportItem
    {O, I, E, E}, // DeletedItem
    {O, O, O, E}, // HistoryItem
}};

bool editorSays(Command command, const EditorState& editor)
{
    switch (command) {
    case Command::TemplateButton:
        return editor.templateEnabled;
    case Command::ClearVisible:
        return editor.mode != EditorState::Mode::ShownRecord;
    case Command::ChangeVisible:
        return editor.mode != EditorState::Mode::NewRecord;
    case Command::ChangeEnabled:
        return editor.mayChange;
    case Command::SpouseItem:
        return editor.spouseEnabled;
    case Command::RequisitesItem:
        return editor.requisitesEnabled;
    case Command::PrivacyItem:
        return editor.privacyEnabled;
    // Both end by showing a record in the editor: not over unsaved typing.
    case Command::DeletedItem:
    case Command::HistoryItem:
        return !editor.modified;
    default:
        return true;
    }
}

bool listingSays(Command command, const CommandTable::Inputs& inputs)
{
    switch (command) {
    case Command::PrintItem:
        return inputs.printable;
    // The print button is on until the first listing, then follows the item.
    case Command::PrintButton:
        return !inputs.listingShown || inputs.printable;
    default:
        return inputs.birthdays;
    }
}

} // namespace

CommandTable::State CommandTable::stateOf(const Inputs& inputs)
{
    if (!inputs.signedIn)
        return State::SignedOut;
    if (!inputs.editorInFront)
        return State::Searching;
    return inputs.editor.mode == EditorState::Mode::ShownRecord ? State::ShowingRecord
                                                                : State::NewRecord;
}

bool CommandTable::isOn(Command command, const Inputs& inputs)
{
    switch (table[std::size_t(command)][std::size_t(stateOf(inputs))]) {
    case Rule::Off:
        return false;
    case Rule::On:
        return true;
    case Rule::Editor:
        return editorSays(command, inputs.editor);
    case Rule::Listing:
        return listingSays(command, inputs);
    case Rule::Changed:
        return inputs.templateAfterChange;
    }
    return false;
}
