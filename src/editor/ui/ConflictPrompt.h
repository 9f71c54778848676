// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;
class RecordConflict;

// The questions put to the user when a write of the shown record meets a
// change or deletion by another user. Nothing has been written when they are
// asked; what is written next is what the user chose.
class ConflictPrompt
{
public:
    enum class Choice {
        Reload,    // «Загрузить запись»
        Overwrite, // «Перезаписать» a changed record
        SaveAsNew, // «Сохранить как новую запись» instead of a deleted one
        KeepEditing, // «Вернуться к правке», also Escape and the close button
    };

    static Choice ask(QWidget* parent, const RecordConflict& conflict);
    // A deletion of a record changed meanwhile: true to delete it anyway.
    static bool deleteAnyway(QWidget* parent, const RecordConflict& conflict);
    // A deletion of a record already deleted: the user is told.
    static void tellDeleted(QWidget* parent, const RecordConflict& conflict);

    // "Запись изменена другим пользователем (имя, дд.ММ.гггг чч:мм)."
    static QString message(const RecordConflict& conflict);
};
