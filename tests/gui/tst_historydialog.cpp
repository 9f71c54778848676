// SPDX-License-Identifier: MIT
#include "GridCells.h"
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "WhenShown.h"
#include "app/TFmMain.h"
#include "editor/ui/TfmHistory.h"
#include "editor/ui/TfrNewRecord.h"
#include "records/RecordStore.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace
{

SampleRecord person()
{
    return SampleRecord::person("Петров", "Пётр")
        .city("Казань")
        .email("secret@mail")
        .phone(3, "5550000");
}

// Stores a change of the record as the user would, on its latest revision.
void change(const QSqlDatabase& db, int id, const QString& user,
            const std::function<void(RecordData&)>& edit)
{
    RecordStore store(db);
    RecordData r = *store.load(id, user);
    edit(r);
    store.update(id, r, {store.revision(id).rev, user});
}

// Everything the window shows: the versions, and the values of each in turn.
QString shownTexts(TfmHistory& d)
{
    QStringList texts = gridCells(d.SGVersions);
    for (int row = 0; row < d.SGVersions->rowCount(); ++row) {
        d.SGVersions->selectRow(row);
        texts += gridCells(d.SGValues);
    }
    return texts.join(QLatin1Char('|'));
}

} // namespace

class TestHistoryDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void listsVersionsAndRestoresOne();
    void changeMeanwhileWritesNothing();
    void hiddenPartsNeverShown_data();
    void hiddenPartsNeverShown();
};

void TestHistoryDialog::listsVersionsAndRestoresOne()
{
    MainWindowHarness h;
    const QString u1 = QStringLiteral("u1");
    const int id = RecordStore(h.db()).insert(person(), u1);
    change(h.db(), id, u1, [](RecordData& r) { r.f = QStringLiteral("Петрова"); });
    change(h.db(), id, u1, [](RecordData& r) { r.email = QStringLiteral("new@mail"); });
    h.showRecord(id);
    QAction* item = menuItem(h.main(), "NHistory");
    QVERIFY(item->isEnabled());
    bool checked = false;
    whenShown<TfmHistory>([&](TfmHistory* d) {
        QCOMPARE(d->SGVersions->rowCount(), 2);
        // Newest first, each with the captions of what its change altered.
        QCOMPARE(d->SGVersions->item(0, 4)->text(), QStringLiteral("Электронная почта"));
        QCOMPARE(d->SGVersions->item(1, 4)->text(), QStringLiteral("Фамилия"));
        QCOMPARE(d->SGVersions->item(1, 0)->text(), u1);
        d->SGVersions->selectRow(1);
        QVERIFY(gridCells(d->SGValues).contains(QStringLiteral("Петров")));
        QVERIFY(d->BtnRestore->isVisible());
        d->BtnRestore->click();
        checked = true;
    });
    item->trigger();
    QVERIFY(checked);
    QCOMPARE(h.column(id, QStringLiteral("f")).toString(), QStringLiteral("Петров"));
    QCOMPARE(h.column(id, QStringLiteral("email")).toString(), QStringLiteral("secret@mail"));
    // The editor shows the record anew and may store it again without a conflict.
    QCOMPARE(h.editor().EdtF->text(), QStringLiteral("Петров"));
    QCOMPARE(h.editor().currentRevision(), RecordStore(h.db()).revision(id).rev);
}

void TestHistoryDialog::changeMeanwhileWritesNothing()
{
    MainWindowHarness h;
    const int id = RecordStore(h.db()).insert(person(), QStringLiteral("u1"));
    change(h.db(), id, QStringLiteral("u1"),
           [](RecordData& r) { r.f = QStringLiteral("Петрова"); });
    h.showRecord(id);
    change(h.db(), id, QStringLiteral("u2"),
           [](RecordData& r) { r.f = QStringLiteral("Сидорова"); });
    TfmHistory d(h.db(), id, {h.editor().currentRevision(), QStringLiteral("u1")}, true, &h.main());
    QSignalSpy restored(&d, &TfmHistory::versionRestored);
    d.SGVersions->selectRow(d.SGVersions->rowCount() - 1);
    d.BtnRestore->click();
    QVERIFY2(h.prompts().last().startsWith(QStringLiteral("warning: ")),
             qPrintable(h.prompts().last()));
    QVERIFY(h.prompts().last().contains(QStringLiteral("u2")));
    QCOMPARE(restored.count(), 0);
    QCOMPARE(h.column(id, QStringLiteral("f")).toString(), QStringLiteral("Сидорова"));
}

void TestHistoryDialog::hiddenPartsNeverShown_data()
{
    QTest::addColumn<QString>("viewer");
    QTest::addColumn<bool>("permitted");
    QTest::newRow("named in owns") << QStringLiteral("u1") << true;
    QTest::newRow("not named") << QStringLiteral("u2") << false;
}

// E-mail and the mobile phone are hidden; the owner changes them and the name.
void TestHistoryDialog::hiddenPartsNeverShown()
{
    QFETCH(QString, viewer);
    QFETCH(bool, permitted);
    MainWindowHarness h(viewer);
    const QString u1 = QStringLiteral("u1");
    const int id = RecordStore(h.db()).insert(person().owns(" u1 ").hided(" 7 14 "), u1);
    change(h.db(), id, u1, [](RecordData& r) {
        r.f = QStringLiteral("Петрова");
        r.email = QStringLiteral("other@mail");
        r.phones[3] = QStringLiteral("5551111");
    });
    TfmHistory d(h.db(), id, {RecordStore(h.db()).revision(id).rev, viewer}, permitted, &h.main());
    QCOMPARE(d.SGVersions->rowCount(), 1);
    const QString shown = shownTexts(d);
    QVERIFY2(shown.contains(QStringLiteral("Фамилия")), qPrintable(shown));
    for (const QString& hidden : {QStringLiteral("secret@mail"), QStringLiteral("5550000"),
                                  QStringLiteral("Электронная почта"), QStringLiteral("Мобильный")})
        QVERIFY2(shown.contains(hidden) == permitted,
                 qPrintable(hidden + QLatin1Char(' ') + shown));
    QCOMPARE(d.BtnRestore->isVisibleTo(&d), permitted);
}

QTEST_MAIN(TestHistoryDialog)
#include "tst_historydialog.moc"
