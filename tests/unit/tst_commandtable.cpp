// SPDX-License-Identifier: MIT
#include "app/CommandTable.h"

#include <QtTest>

using Command = CommandTable::Command;
using Mode = EditorState::Mode;

// Which commands the main window offers in each of its states.
class TestCommandTable : public QObject
{
    Q_OBJECT

private slots:
    void commandsPerState_data();
    void commandsPerState();
};

namespace
{
CommandTable::Inputs searching(bool listed, bool printable, bool birthdays)
{
    CommandTable::Inputs in;
    in.signedIn = true;
    in.listingShown = listed;
    in.printable = printable;
    in.birthdays = birthdays;
    return in;
}

// templateEnabled false: the user has typed into the editor.
CommandTable::Inputs editing(Mode mode, bool mayChange = true, bool templateEnabled = true)
{
    CommandTable::Inputs in = searching(true, true, false);
    in.editorInFront = true;
    in.editor.mode = mode;
    in.editor.mayChange = mayChange;
    in.editor.privacyEnabled = mayChange;
    in.editor.spouseEnabled = mayChange;
    in.editor.templateEnabled = templateEnabled;
    in.editor.modified = !templateEnabled;
    return in;
}
} // namespace

Q_DECLARE_METATYPE(CommandTable::Inputs)
Q_DECLARE_METATYPE(CommandTable::State)

void TestCommandTable::commandsPerState_data()
{
    QTest::addColumn<CommandTable::Inputs>("inputs");
    QTest::addColumn<CommandTable::State>("state");
    // The commands that are on (enabled, or shown for the visibility rows).
    QTest::addColumn<QList<Command>>("on");
    using C = Command;
    using S = CommandTable::State;
    const QList<C> editorItems = {C::SpouseItem, C::RequisitesItem, C::PrivacyItem};
    const QList<C> record = {C::RecordMenu, C::SaveButton, C::TemplateItem};
    // Contacts come in and go out for whoever signed in, whatever is in front.
    const QList<C> exchange = {C::ImportItem, C::ExportItem};
    // The deleted records, and the history of a shown record, are offered
    // unless they would replace unsaved typing in the editor.
    const QList<C> restoring = {C::ImportItem, C::ExportItem, C::DeletedItem};

    QTest::newRow("signed out") << CommandTable::Inputs() << S::SignedOut
                                << (QList<C>{C::ClearVisible, C::ChangeVisible, C::ChangeEnabled,
                                             C::PrintButton} +
                                    editorItems);
    QTest::newRow("searching, nothing listed yet")
        << searching(false, false, false) << S::Searching
        << (QList<C>{C::ClearVisible, C::ChangeVisible, C::ChangeEnabled, C::PrintButton} +
            editorItems + restoring);
    QTest::newRow("searching, rows and birthdays")
        << searching(true, true, true) << S::Searching
        << (QList<C>{C::ClearVisible, C::ChangeVisible, C::ChangeEnabled, C::PrintItem,
                     C::PrintButton, C::BirthdayItem, C::BirthdayButtonShown} +
            editorItems + restoring);
    QTest::newRow("searching, nothing found")
        << searching(true, false, false) << S::Searching
        << (QList<C>{C::ClearVisible, C::ChangeVisible, C::ChangeEnabled} + editorItems +
            restoring);
    QTest::newRow("editing new") << editing(Mode::NewRecord) << S::NewRecord
                                 << (record +
                                     QList<C>{C::TemplateButton, C::ClearVisible, C::ChangeEnabled,
                                              C::PrintItem, C::PrintButton} +
                                     editorItems + restoring);
    QTest::newRow("editing new, typed in")
        << editing(Mode::NewRecord, true, false) << S::NewRecord
        << (record + QList<C>{C::ClearVisible, C::ChangeEnabled, C::PrintItem, C::PrintButton} +
            editorItems + exchange);
    QTest::newRow("editing shown")
        << editing(Mode::ShownRecord) << S::ShowingRecord
        << (record +
            QList<C>{C::TemplateButton, C::ChangeVisible, C::ChangeEnabled, C::PrintItem,
                     C::PrintButton, C::HistoryItem} +
            editorItems + restoring);
    QTest::newRow("editing shown, not permitted")
        << editing(Mode::ShownRecord, false) << S::ShowingRecord
        << (record +
            QList<C>{C::TemplateButton, C::ChangeVisible, C::PrintItem, C::PrintButton,
                     C::RequisitesItem, C::HistoryItem} +
            restoring);
    CommandTable::Inputs behind = editing(Mode::ShownRecord, false);
    behind.editorInFront = false;
    QTest::newRow("searching with a shown record behind")
        << behind << S::Searching
        << (QList<C>{C::ChangeVisible, C::PrintItem, C::PrintButton, C::RequisitesItem} +
            restoring);
    QTest::newRow("editing shown, typed in")
        << editing(Mode::ShownRecord, true, false) << S::ShowingRecord
        << (record + QList<C>{C::ChangeVisible, C::ChangeEnabled, C::PrintItem, C::PrintButton} +
            editorItems + exchange);
    // The save prompt deals with an edit left behind before the list opens.
    CommandTable::Inputs typedBehind = editing(Mode::ShownRecord, true, false);
    typedBehind.editorInFront = false;
    // "Изменить" turns the template button on again behind the search view.
    CommandTable::Inputs changed = editing(Mode::ShownRecord);
    changed.editorInFront = false;
    changed.templateAfterChange = true;
    QTest::newRow("searching after a change")
        << changed << S::Searching
        << (QList<C>{C::TemplateButton, C::ChangeVisible, C::ChangeEnabled, C::PrintItem,
                     C::PrintButton} +
            editorItems + restoring);
    QTest::newRow("searching with an unsaved edit behind")
        << typedBehind << S::Searching
        << (QList<C>{C::ChangeVisible, C::ChangeEnabled, C::PrintItem, C::PrintButton} +
            editorItems + restoring);
}

void TestCommandTable::commandsPerState()
{
    QFETCH(CommandTable::Inputs, inputs);
    QFETCH(CommandTable::State, state);
    QFETCH(QList<Command>, on);
    QCOMPARE(CommandTable::stateOf(inputs), state);
    for (int i = 0; i < CommandTable::CommandCount; ++i) {
        const auto command = Command(i);
        QVERIFY2(CommandTable::isOn(command, inputs) == on.contains(command),
                 qPrintable(QStringLiteral("command %1").arg(i)));
    }
}

QTEST_GUILESS_MAIN(TestCommandTable)
#include "tst_commandtable.moc"
