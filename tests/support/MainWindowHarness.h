// SPDX-License-Identifier: MIT
#pragma once

#include "ScriptedPrompts.h"
#include "TestDatabase.h"
#include "records/RecordData.h"

#include <QList>
#include <QPair>
#include <functional>
#include <memory>

class TFmMain;
class TfrNewRecord;

// The main window on a fresh test database, as the program shows it after
// the login: scripted prompts, a signed-in user, the record editor in reach,
// records and cities put in directly.
class MainWindowHarness
{
public:
    using Cities = QList<QPair<QString, QString>>; // name and code
    using Seed = std::function<void(const QSqlDatabase&)>;

    // user: signed in once the window is shown, which then waits to be
    // active; empty: nobody is, the test signs in or shows the login. cities: exist before the
    // window loads its lists, as do the records and cities that seed puts in. trayAvailable:
    // whether the desktop has a notification area for the tray icon.
    explicit MainWindowHarness(const QString& user = QStringLiteral("u1"),
                               const Cities& cities = {{QStringLiteral("Казань"),
                                                        QStringLiteral("8432")}},
                               bool trayAvailable = false, const Seed& seed = {});
    ~MainWindowHarness();

    // Points QSettings at a temporary folder; every harness does it, a test
    // that writes settings before its first harness calls it itself.
    static void isolateSettings();

    QSqlDatabase db() const { return m_database.db(); }
    TFmMain& main() const { return *m_main; }
    TfrNewRecord& editor() const;
    ScriptedPrompts& prompts() { return m_prompts; }

    // A second connection to the same database: another workstation.
    std::unique_ptr<Database> connectAgain(const QString& connectionName) const
    {
        return m_database.connectAgain(connectionName);
    }

    void addUser(const QString& name);
    // Stores a record as "Готово" would and gives its id.
    int insertRecord(const RecordData& record);
    // What the search view does on a double click.
    void showRecord(int id);
    // Stored column of a record, NULL as an invalid variant.
    QVariant column(int id, const QString& name) const;
    // The first value of the statement's first row as a number, -1 without a row.
    int count(const QString& statement) const;

private:
    TestDatabase m_database;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TFmMain> m_main;
};
