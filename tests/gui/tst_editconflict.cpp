// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "TypeText.h"
#include "WhenShown.h"
#include "app/TFmMain.h"
#include "db/Sql.h"
#include "editor/ui/TfmHide.h"
#include "editor/ui/TfmSpouce.h"
#include "editor/ui/TfrNewRecord.h"
#include "editor/ui/YourChangesWindow.h"
#include "records/RecordStore.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QtTest>

namespace
{

const QString original = QStringLiteral("Исходный");
const QString mine = QStringLiteral("Правка-А");
const QString theirs = QStringLiteral("Правка-Б");

enum class Other { Changes, Deletes };
// The dialogs that store a shown record at once.
enum class Store { Privacy, Spouse, Requisites };

// Another workstation, on a connection of its own, changes the surname of
// the record or deletes it.
void otherWorkstation(const MainWindowHarness& h, int id, Other what)
{
    const std::unique_ptr<Database> other = h.connectAgain(QStringLiteral("other"));
    RecordStore store(other->db());
    RecordRevision seen;
    std::optional<RecordData> record = store.load(id, QStringLiteral("u2"), nullptr, &seen);
    QVERIFY(record);
    const RecordWrite write{seen.rev, QStringLiteral("u2")};
    if (what == Other::Deletes) {
        store.remove(id, write);
        return;
    }
    record->f = theirs;
    store.update(id, *record, write);
}

// A record shown in the editor while another workstation acts on it.
int showThenOther(MainWindowHarness& h, Other what)
{
    const int id = h.insertRecord(SampleRecord::person(original, "Иван"));
    h.showRecord(id);
    otherWorkstation(h, id, what);
    return id;
}

void typeSurname(TfrNewRecord& e, const QString& text)
{
    e.EdtF->setFocus(Qt::TabFocusReason);
    e.EdtF->selectAll();
    typeText(e.EdtF, text);
}

QStringList surnames(const MainWindowHarness& h)
{
    QStringList names;
    QSqlQuery q = Sql::run(h.db(), QStringLiteral("SELECT f FROM sprav ORDER BY id"));
    while (q.next())
        names.append(q.value(0).toString());
    return names;
}

// What the windows «Ваши изменения» hold, each a non-modal window.
QStringList keptValues(const MainWindowHarness& h)
{
    QStringList values;
    for (const YourChangesWindow* window : h.main().findChildren<YourChangesWindow*>()) {
        if (!window->isVisible() || window->isModal())
            return {QStringLiteral("not a visible non-modal window")};
        for (const QLineEdit* edit : window->findChildren<QLineEdit*>())
            values.append(edit->text());
        for (const QPlainTextEdit* memo : window->findChildren<QPlainTextEdit*>())
            values.append(memo->toPlainText());
    }
    return values;
}

bool editorInFront(const MainWindowHarness& h)
{
    return h.main().frames->currentWidget() == &h.editor();
}

// The choice box as the user sees it: who, when, and the answers.
QRegularExpression choiceBox(Other what)
{
    return QRegularExpression(
        what == Other::Changes
            ? QStringLiteral("^choose: Запись изменена другим пользователем \\(u2, "
                             "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d\\)\\. \\| Загрузить запись / "
                             "Перезаписать / Вернуться к правке$")
            : QStringLiteral("^choose: Запись удалена другим пользователем \\(u2, "
                             "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d\\)\\. \\| Загрузить запись / "
                             "Сохранить как новую запись / Вернуться к правке$"));
}

bool asked(MainWindowHarness& h, const QRegularExpression& box)
{
    return h.prompts().log().indexOf(box) >= 0;
}

} // namespace

Q_DECLARE_METATYPE(Other)
Q_DECLARE_METATYPE(Store)

class TestEditConflict : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void ownWritesBuildOnEachOther();
    void changeMeetsOtherWrite_data();
    void changeMeetsOtherWrite();
    void immediateStoreMeetsOtherWrite_data();
    void immediateStoreMeetsOtherWrite();
    void deleteMeetsOtherWrite_data();
    void deleteMeetsOtherWrite();
    void noOverwriteOnceTakenAway_data();
    void noOverwriteOnceTakenAway();
};

// The editor's own writes follow each other without a question, each in the
// name of the signed-in user.
void TestEditConflict::ownWritesBuildOnEachOther()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    typeSurname(e, original);
    QTest::mouseClick(e.btnOk, Qt::LeftButton);
    const int id = h.count(QStringLiteral("SELECT max(id) FROM sprav"));
    QCOMPARE(RecordStore(h.db()).revision(id).user, QStringLiteral("u1"));

    h.showRecord(id);
    whenShown<TfmSpouce>([](TfmSpouce* d) {
        d->EdtSpIO->setText(mine);
        QTest::mouseClick(d->btnOk, Qt::LeftButton);
    });
    QTest::mouseClick(e.BtnSpouce, Qt::LeftButton);
    h.prompts().answerText(mine);
    QTest::mouseClick(e.btnReq, Qt::LeftButton);
    typeSurname(e, mine);
    QTest::mouseClick(e.BtnChange, Qt::LeftButton);

    QVERIFY(!h.prompts().log().join(QLatin1Char('\n')).contains(QStringLiteral("choose:")));
    QCOMPARE(surnames(h), QStringList{mine});
    QCOMPARE(h.column(id, QStringLiteral("spfio")).toString(), mine);
    QCOMPARE(h.column(id, QStringLiteral("req")).toString(), mine);
    QCOMPARE(RecordStore(h.db()).revision(id).user, QStringLiteral("u1"));
}

void TestEditConflict::changeMeetsOtherWrite_data()
{
    QTest::addColumn<Other>("other");
    QTest::addColumn<bool>("viaSavePrompt");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("stored");
    // The editor afterwards: in front with this surname, or cleared behind the list.
    QTest::addColumn<QString>("editorSurname");
    QTest::addColumn<bool>("keptBeside");

    const auto C = Other::Changes;
    const auto D = Other::Deletes;
    QTest::newRow("changed, reload") << C << false << 0 << QStringList{theirs} << theirs << true;
    QTest::newRow("changed, overwrite")
        << C << false << 1 << QStringList{mine} << QString() << false;
    QTest::newRow("changed, back to editing")
        << C << false << 2 << QStringList{theirs} << mine << false;
    QTest::newRow("changed, escape") << C << false << -1 << QStringList{theirs} << mine << false;
    QTest::newRow("deleted, reload") << D << false << 0 << QStringList{} << QString() << true;
    QTest::newRow("deleted, save as new")
        << D << false << 1 << QStringList{mine} << QString() << false;
    QTest::newRow("deleted, back to editing") << D << false << 2 << QStringList{} << mine << false;
    QTest::newRow("save prompt, back to editing")
        << C << true << 2 << QStringList{theirs} << mine << false;
    QTest::newRow("save prompt, overwrite")
        << C << true << 1 << QStringList{mine} << QString() << false;
}

void TestEditConflict::changeMeetsOtherWrite()
{
    QFETCH(Other, other);
    QFETCH(bool, viaSavePrompt);
    QFETCH(int, choice);
    QFETCH(QStringList, stored);
    QFETCH(QString, editorSurname);
    QFETCH(bool, keptBeside);

    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    showThenOther(h, other);
    typeSurname(e, mine);

    h.prompts().answerChoice(choice);
    if (viaSavePrompt) {
        h.prompts().answerConfirm(Prompts::Answer::Yes);
        menuItem(h.main(), "N2")->trigger();
    } else {
        QTest::mouseClick(e.BtnChange, Qt::LeftButton);
    }

    QVERIFY2(asked(h, choiceBox(other)), qPrintable(h.prompts().log().join(QLatin1Char('\n'))));
    QCOMPARE(surnames(h), stored);
    QCOMPARE(editorInFront(h), !editorSurname.isEmpty());
    if (!editorSurname.isEmpty())
        QCOMPARE(e.EdtF->text(), editorSurname);
    // Back to editing keeps the edit unsaved, for the next save.
    QCOMPARE(e.isModified(), editorSurname == mine);
    QCOMPARE(keptValues(h).contains(mine), keptBeside);
    // Beside a record still stored only what the user changed; of a deleted
    // one, everything.
    QCOMPARE(keptValues(h).contains(QStringLiteral("Иван")), keptBeside && other == Other::Deletes);
}

void TestEditConflict::immediateStoreMeetsOtherWrite_data()
{
    QTest::addColumn<Store>("store");
    QTest::addColumn<Other>("other");
    QTest::addColumn<int>("choice");
    // The dialog's column in the record shown afterwards, and the surname
    // the editor shows.
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("editorSurname");
    // What «Ваши изменения» shows of the dialog's choice (empty: no window).
    QTest::addColumn<QString>("keptBeside");

    const struct {
        const char* name;
        Store store;
        QString column;
        QString chosen;
        QString shown;
    } stores[] = {
        {"privacy", Store::Privacy, QStringLiteral("hided"), QStringLiteral("all"),
         QStringLiteral("вся запись")},
        {"spouse", Store::Spouse, QStringLiteral("spfio"), mine, mine},
        {"requisites", Store::Requisites, QStringLiteral("req"), mine, mine},
    };
    const auto C = Other::Changes;
    for (const auto& s : stores) {
        const auto row = [&s](const char* what) -> QTestData& {
            return QTest::addRow("%s, %s", s.name, what) << s.store;
        };
        row("changed, reload") << C << 0 << s.column << QString() << theirs << s.shown;
        row("changed, overwrite") << C << 1 << s.column << s.chosen << theirs << QString();
        row("changed, back to editing") << C << 2 << s.column << QString() << original << QString();
        row("deleted, save as new")
            << Other::Deletes << 1 << s.column << s.chosen << original << QString();
    }
}

void TestEditConflict::immediateStoreMeetsOtherWrite()
{
    QFETCH(Store, store);
    QFETCH(Other, other);
    QFETCH(int, choice);
    QFETCH(QString, column);
    QFETCH(QString, stored);
    QFETCH(QString, editorSurname);
    QFETCH(QString, keptBeside);

    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    showThenOther(h, other);
    h.prompts().answerChoice(choice);
    switch (store) {
    case Store::Privacy:
        whenShown<TfmHide>([](TfmHide* d) {
            d->ChBAll->setChecked(true);
            QTest::mouseClick(d->BtnOk, Qt::LeftButton);
        });
        QTest::mouseClick(e.btnHide, Qt::LeftButton);
        break;
    case Store::Spouse:
        whenShown<TfmSpouce>([](TfmSpouce* d) {
            d->EdtSpIO->setText(mine);
            QTest::mouseClick(d->btnOk, Qt::LeftButton);
        });
        QTest::mouseClick(e.BtnSpouce, Qt::LeftButton);
        break;
    case Store::Requisites:
        h.prompts().answerText(mine);
        QTest::mouseClick(e.btnReq, Qt::LeftButton);
        break;
    }

    QVERIFY2(asked(h, choiceBox(other)), qPrintable(h.prompts().log().join(QLatin1Char('\n'))));
    QVERIFY(editorInFront(h));
    QCOMPARE(e.EdtF->text(), editorSurname);
    // The editor shows the record as stored now: the other's change, and
    // the dialog's choice only where it was written.
    QCOMPARE(surnames(h), QStringList{other == Other::Changes ? theirs : original});
    QCOMPARE(h.column(e.currentId(), column).toString().trimmed(), stored);
    const QStringList kept = keptValues(h);
    QCOMPARE(kept.isEmpty(), keptBeside.isEmpty());
    if (!keptBeside.isEmpty())
        QVERIFY2(kept.contains(keptBeside), qPrintable(kept.join(QLatin1Char('|'))));
}

void TestEditConflict::deleteMeetsOtherWrite_data()
{
    QTest::addColumn<Other>("other");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("stored");

    const QString changed = QStringLiteral(
        "^choose: Запись изменена другим пользователем \\(u2, [^)]+\\)\\. \\| Всё равно удалить / "
        "Не удалять$");
    QTest::newRow("changed, delete anyway") << Other::Changes << 0 << changed << QStringList{};
    QTest::newRow("changed, keep") << Other::Changes << 1 << changed << QStringList{theirs};
    QTest::newRow("changed, escape") << Other::Changes << -1 << changed << QStringList{theirs};
    QTest::newRow("already deleted")
        << Other::Deletes << -1
        << QStringLiteral("^information: Запись удалена другим пользователем \\(u2, [^)]+\\)\\.$")
        << QStringList{};
}

void TestEditConflict::deleteMeetsOtherWrite()
{
    QFETCH(Other, other);
    QFETCH(int, choice);
    QFETCH(QString, box);
    QFETCH(QStringList, stored);

    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    showThenOther(h, other);
    h.prompts().answerConfirm(Prompts::Answer::Yes);
    h.prompts().answerChoice(choice);
    QTest::mouseClick(e.BtnDelete, Qt::LeftButton);

    QVERIFY2(asked(h, QRegularExpression(box)),
             qPrintable(h.prompts().log().join(QLatin1Char('\n'))));
    QCOMPARE(surnames(h), stored);
    // Not deleted: the record stays shown as it was loaded.
    QCOMPARE(editorInFront(h), !stored.isEmpty());
    if (!stored.isEmpty())
        QCOMPARE(e.EdtF->text(), original);
}

void TestEditConflict::noOverwriteOnceTakenAway_data()
{
    QTest::addColumn<QString>("hided");
    QTest::addColumn<bool>("deleting");
    QTest::newRow("partly hidden, change") << QStringLiteral(" 1 ") << false;
    QTest::newRow("partly hidden, delete") << QStringLiteral(" 1 ") << true;
    QTest::newRow("hidden as a whole, change") << QStringLiteral("all") << false;
}

// The other user left this one out of the users who may change the record:
// "overwrite" and "delete anyway" are refused.
void TestEditConflict::noOverwriteOnceTakenAway()
{
    QFETCH(QString, hided);
    QFETCH(bool, deleting);

    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    const int id = h.insertRecord(SampleRecord::person(original));
    h.showRecord(id);
    {
        const std::unique_ptr<Database> other = h.connectAgain(QStringLiteral("other"));
        RecordStore store(other->db());
        store.updatePrivacy(id, QStringLiteral(" u2 "), hided, {},
                            {store.revision(id).rev, QStringLiteral("u2")});
    }
    typeSurname(e, mine);
    h.prompts().answerConfirm(Prompts::Answer::Yes);
    h.prompts().answerChoice(deleting ? 0 : 1);
    QTest::mouseClick(deleting ? e.BtnDelete : e.BtnChange, Qt::LeftButton);

    QCOMPARE(h.prompts().last(), QStringLiteral("warning: Эту запись вам изменять нельзя"));
    QCOMPARE(surnames(h), QStringList{original});
    QCOMPARE(h.column(id, QStringLiteral("hided")).toString(), hided);
    QVERIFY(editorInFront(h));
    if (deleting)
        return;

    // Loaded instead: shown as the user may see it now, or not at all; the
    // edit stays beside it.
    h.prompts().answerChoice(0);
    QTest::mouseClick(e.BtnChange, Qt::LeftButton);
    QCOMPARE(editorInFront(h), hided != QStringLiteral("all"));
    QVERIFY(keptValues(h).contains(mine));
    QCOMPARE(surnames(h), QStringList{original});
}

QTEST_MAIN(TestEditConflict)
#include "tst_editconflict.moc"
