// SPDX-License-Identifier: MIT
#include "editor/ui/ConflictPrompt.h"
#include "common/ui/Prompts.h"
#include "records/RecordStore.h"

#include <QStringList>

namespace
{

bool deleted(const RecordConflict& conflict)
{
    return conflict.kind == RecordConflict::Deleted;
}

} // namespace

QString ConflictPrompt::message(const RecordConflict& conflict)
{
    QString text = deleted(conflict) ? QStringLiteral("Запись удалена другим пользователем")
                                     : QStringLiteral("Запись изменена другим пользователем");
    // A record stored before revisions were kept names nobody and no time.
    QStringList who;
    if (!conflict.user.isEmpty())
        who.append(conflict.user);
    if (conflict.at.isValid())
        who.append(conflict.at.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")));
    if (!who.isEmpty())
        text += QStringLiteral(" (") + who.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text + QLatin1Char('.');
}

ConflictPrompt::Choice ConflictPrompt::ask(QWidget* parent, const RecordConflict& conflict)
{
    const Choice second = deleted(conflict) ? Choice::SaveAsNew : Choice::Overwrite;
    const QStringList choices = {
        QStringLiteral("Загрузить запись"),
        deleted(conflict) ? QStringLiteral("Сохранить как новую запись")
                          : QStringLiteral("Перезаписать"),
        QStringLiteral("Вернуться к правке"),
    };
    const QString details =
        (deleted(conflict)
             ? QStringLiteral("«Загрузить запись» закроет удалённую запись, ")
             : QStringLiteral("«Загрузить запись» покажет запись такой, как она сохранена, ")) +
        QStringLiteral("а ваши изменения останутся видны в окне «Ваши изменения». ") +
        (deleted(conflict)
             ? QStringLiteral("«Сохранить как новую запись» сохранит ваши данные новой записью. ")
             : QStringLiteral("«Перезаписать» сохранит ваши изменения поверх чужих. ")) +
        QStringLiteral("«Вернуться к правке» ничего не сохраняет.");
    switch (Prompts::instance().choose(parent, message(conflict), choices, details)) {
    case 0:
        return Choice::Reload;
    case 1:
        return second;
    default:
        return Choice::KeepEditing;
    }
}

bool ConflictPrompt::deleteAnyway(QWidget* parent, const RecordConflict& conflict)
{
    const QStringList choices = {QStringLiteral("Всё равно удалить"), QStringLiteral("Не удалять")};
    return Prompts::instance().choose(
               parent, message(conflict), choices,
               QStringLiteral("Удалить запись вместе с этими изменениями?")) == 0;
}

void ConflictPrompt::tellDeleted(QWidget* parent, const RecordConflict& conflict)
{
    Prompts::instance().information(parent, message(conflict));
}
