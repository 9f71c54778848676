// SPDX-License-Identifier: MIT
#pragma once

// What the record editor tells the window around it, so that the window can
// set its commands: the editor's mode and the state of its own buttons.
struct EditorState {
    enum class Mode {
        Initial,     // nothing typed or shown yet since the program started
        NewRecord,   // "Готово" and "Очистить"
        ShownRecord, // "Изменить" and "Удалить"
    };

    Mode mode = Mode::Initial;
    bool modified = false;
    // The template tool button: off from a key press until the next reset,
    // load or store.
    bool templateEnabled = true;
    // "Изменить" and "Удалить" of the shown record.
    bool mayChange = true;
    // The buttons "Личное...", "Супруг..." and "Реквизиты...".
    bool privacyEnabled = true;
    bool spouseEnabled = true;
    bool requisitesEnabled = true;

    friend bool operator==(const EditorState&, const EditorState&) = default;
};
