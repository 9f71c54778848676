// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

class QWidget;

// The user's way through an import or an export from the menu: the file
// box, the preview or the export choices, the progress, and the summary.
// Every box goes through the prompts; a failure is shown, never thrown.
class ExchangeFlow
{
public:
    // "Импорт...": true when records were stored.
    static bool importContacts(QWidget* parent, const QSqlDatabase& db, const QString& user);
    // "Экспорт...": listed are the ids of the current result list.
    static void exportContacts(QWidget* parent, const QSqlDatabase& db, const QString& user,
                               const QList<int>& listed);

    // At most this many refused records are listed in the summary box; the
    // preview lists them all.
    static constexpr int listedRejections = 30;
};
