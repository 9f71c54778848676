// SPDX-License-Identifier: MIT
#include "GridCells.h"
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "WhenShown.h"
#include "app/TFmMain.h"
#include "common/Clock.h"
#include "editor/ui/TfmDeleted.h"
#include "editor/ui/TfrNewRecord.h"
#include "records/RecordStore.h"
#include "search/FoundModel.h"
#include "search/ui/TfrFind.h"

#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QtTest>

namespace
{

SampleRecord person(const char* f)
{
    return SampleRecord::person(f, "Иван").city("Казань").phone(1, "111").phone(3, "333");
}

// Stores a record as the user and deletes it again as the same user.
void insertAndDelete(const QSqlDatabase& db, const RecordData& record, const QString& user)
{
    RecordStore store(db);
    const int id = store.insert(record, user);
    store.remove(id, {store.revision(id).rev, user});
}

// The user's settings file, as the program finds it.
QSettings userSettings()
{
    return QSettings(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                         .filePath(QStringLiteral("Kavelton.ini")),
                     QSettings::IniFormat);
}

} // namespace

class TestDeletedDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MainWindowHarness::isolateSettings(); }
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void restoresWithPhonesAndShowsIt();
    void listsOnlyWhatTheUserCouldChange_data();
    void listsOnlyWhatTheUserCouldChange();
    void periodFromSettings_data();
    void periodFromSettings();
};

void TestDeletedDialog::restoresWithPhonesAndShowsIt()
{
    MainWindowHarness h;
    insertAndDelete(h.db(), person("Иванов"), QStringLiteral("u1"));
    QAction* item = menuItem(h.main(), "NDeleted");
    QVERIFY(item->isEnabled());
    bool checked = false;
    whenShown<TfmDeleted>([&](TfmDeleted* d) {
        QCOMPARE(d->SGDeleted->rowCount(), 1);
        const QStringList row = gridCells(d->SGDeleted);
        QCOMPARE(row.at(0), QStringLiteral("Иванов Иван"));
        QCOMPARE(row.at(1), QStringLiteral("Рабочий: 111; Мобильный: 333; "));
        QCOMPARE(row.at(2), QStringLiteral("u1"));
        d->SGDeleted->setFocus();
        QTest::keyClick(d->SGDeleted, Qt::Key_Return);
        // The window stays for more; the restored record has left its list
        // and stands in the editor behind it.
        QCOMPARE(d->SGDeleted->rowCount(), 0);
        QCOMPARE(h.editor().EdtF->text(), QStringLiteral("Иванов"));
        QCOMPARE(h.editor().EdtPhoneMob->text(), QStringLiteral("333"));
        checked = true;
        d->BtnClose->click();
    });
    item->trigger();
    QVERIFY(checked);
    QVERIFY(h.editor().showsRecord());

    h.main().showAllRecords();
    const FoundModel* found = h.main().frFindMain->foundModel();
    QCOMPARE(found->rowCount(), 1);
    QCOMPARE(found->text(0, FoundModel::NameColumn), QStringLiteral("Иванов Иван"));
    const QString phones = found->text(0, FoundModel::PhonesColumn);
    QVERIFY2(phones.contains(QStringLiteral("111")) && phones.contains(QStringLiteral("333")),
             qPrintable(phones));
}

void TestDeletedDialog::listsOnlyWhatTheUserCouldChange_data()
{
    QTest::addColumn<QString>("owns");
    QTest::addColumn<QString>("viewer");
    QTest::addColumn<bool>("listed");
    QTest::newRow("named in owns") << QStringLiteral(" u1 ") << QStringLiteral("u1") << true;
    QTest::newRow("not named") << QStringLiteral(" u1 ") << QStringLiteral("u2") << false;
    QTest::newRow("nobody named") << QString() << QStringLiteral("u2") << true;
}

void TestDeletedDialog::listsOnlyWhatTheUserCouldChange()
{
    QFETCH(QString, owns);
    QFETCH(QString, viewer);
    QFETCH(bool, listed);
    MainWindowHarness h(viewer);
    insertAndDelete(h.db(), person("Петров").owns(owns).hided(" 7 "), QStringLiteral("u1"));
    TfmDeleted d(h.db(), viewer, 90, &h.main());
    QCOMPARE(d.SGDeleted->rowCount(), listed ? 1 : 0);
    QCOMPARE(d.BtnRestore->isEnabled(), listed);
}

void TestDeletedDialog::periodFromSettings_data()
{
    QTest::addColumn<QVariant>("days");
    QTest::addColumn<int>("listed");
    QTest::newRow("90 days unless set") << QVariant() << 1;
    QTest::newRow("set to 5") << QVariant(5) << 0;
}

// A record deleted ten days ago.
void TestDeletedDialog::periodFromSettings()
{
    QFETCH(QVariant, days);
    QFETCH(int, listed);
    if (days.isValid())
        userSettings().setValue(QStringLiteral("history/deletedDays"), days);
    MainWindowHarness h;
    Clock::setNow(Clock::now().addDays(-10));
    insertAndDelete(h.db(), person("Иванов"), QStringLiteral("u1"));
    Clock::setNow(QDateTime());
    int rows = -1;
    whenShown<TfmDeleted>([&](TfmDeleted* d) {
        rows = d->SGDeleted->rowCount();
        d->reject();
    });
    menuItem(h.main(), "NDeleted")->trigger();
    userSettings().remove(QStringLiteral("history"));
    QCOMPARE(rows, listed);
}

QTEST_MAIN(TestDeletedDialog)
#include "tst_deleteddialog.moc"
