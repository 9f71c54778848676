// SPDX-License-Identifier: MIT
#pragma once

#include "editor/EditorState.h"

// Which commands of the main window are available, worked out in one place
// from what the window knows: whether somebody signed in, which frame is in
// front, the record editor's state and the search view's listing.
class CommandTable
{
public:
    enum class State { SignedOut, Searching, NewRecord, ShowingRecord };

    enum class Command {
        RecordMenu,     // "Запись"
        SaveButton,     // "Сохранить"
        TemplateButton, // "Шаблон" on the toolbar
        TemplateItem,   // "Шаблон" in the menu
        ClearVisible,   // "Очистить"
        ChangeVisible,  // "Изменить" and "Удалить" shown
        ChangeEnabled,  // "Изменить" and "Удалить" available
        SpouseItem,     // "Супруг..."
        RequisitesItem, // "Реквизиты..."
        PrivacyItem,    // "Личное..."
        PrintItem,      // "Печать..."
        PrintButton,    // "Печать" on the toolbar
        BirthdayItem,   // "Именинники"
        BirthdayButtonShown,
        ImportItem,  // "Импорт..."
        ExportItem,  // "Экспорт..."
        DeletedItem, // "Удалённые записи"
        HistoryItem, // "История..."
    };
    static constexpr int CommandCount = int(Command::HistoryItem) + 1;

    struct Inputs {
        bool signedIn = false;
        bool editorInFront = false;
        EditorState editor;
        // A search or listing has run since login, and whether it showed rows.
        bool listingShown = false;
        bool printable = false;
        // The probe after login found birthdays to show.
        bool birthdays = false;
        // "Изменить" stored the shown record and the search view took over:
        // the template button is on again until another command.
        bool templateAfterChange = false;
    };

    static State stateOf(const Inputs& inputs);
    static bool isOn(Command command, const Inputs& inputs);
};
