// SPDX-License-Identifier: MIT
#pragma once

#include "ScriptedPrompts.h"
#include "TestDatabase.h"
#include "records/RecordData.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

class TFmMain;
class TfrNewRecord;

// A main window on a fresh test database with the record editor in reach:
// scripted prompts, a signed-in user, records and cities put in directly.
class EditorHarness
{
public:
    // cities: name and code pairs that exist before the window loads its lists.
    explicit EditorHarness(const QString& user = QStringLiteral("u1"),
                           const QList<QPair<QString, QString>>& cities = {
                               {QStringLiteral("Казань"), QStringLiteral("8432")}});
    ~EditorHarness();

    // Points QSettings at a temporary folder; call once per test program.
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
    int count(const QString& statement) const;

    // Types text into a widget key by key, as a keyboard would: any alphabet,
    // emoji included; a line break is the Return key.
    static void typeText(QWidget* widget, const QString& text);

    // Runs action on the modal dialog of type Dialog as soon as it is shown.
    // A dialog the action leaves open (a failed check) is cancelled, so that
    // the test goes on instead of waiting for it.
    template <typename Dialog> static void whenShown(std::function<void(Dialog*)> action)
    {
        QTimer::singleShot(0, [action] {
            QPointer<Dialog> dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                qWarning("the expected modal dialog is not shown");
                return;
            }
            dialog->activateWindow();
            if (!QTest::qWaitFor([&dialog] { return QApplication::activeWindow() == dialog; }))
                qWarning("the dialog did not become active");
            if (dialog)
                action(dialog);
            if (dialog && dialog->isVisible()) {
                qWarning("the dialog was left open");
                dialog->reject();
            }
        });
    }

private:
    TestDatabase m_database;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TFmMain> m_main;
};
