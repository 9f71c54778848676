// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "TypeText.h"
#include "WhenShown.h"
#include "app/TFmMain.h"
#include "db/Sql.h"
#include "editor/ui/TfmSpouce.h"
#include "editor/ui/TfrNewRecord.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestSpouseDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void noDateRoundTrip();
    void trimmedWhenStoredUntrimmedInEditor();
    void keysAndClosing();
    void clearThenCancelKeepsTheFields();
    void nothingStoredForUserNotPermitted();
    void newRecordStoresWithDone();
    void unreadableDateShowsNoDate();
};

void TestSpouseDialog::noDateRoundTrip()
{
    MainWindowHarness h;
    const int id = h.insertRecord(SampleRecord::person("Женатый"));
    TfrNewRecord& e = h.editor();
    h.showRecord(id);
    bool seen = false;
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        seen = true;
        QCOMPARE(d->windowTitle(), QStringLiteral("Данные о супруге"));
        QVERIFY(d->EdtSpIO->text().isEmpty());
        QCOMPARE(d->DTSpBirthDay->date(), QDate(1899, 12, 30));
        QCOMPARE(d->DTSpBirthDay->text(), QStringLiteral("30.12.1899"));
        QVERIFY(d->MmSpInfo->toPlainText().isEmpty());
        QTest::mouseClick(d->btnOk, Qt::LeftButton);
    });
    QVERIFY(e.BtnSpouceClick());
    QVERIFY(seen);
    QCOMPARE(e.spouse().birthday, QStringLiteral("30.12.1899"));
    QCOMPARE(h.column(id, QStringLiteral("spbirthday")).toString(), QStringLiteral("30.12.1899"));

    // Shown again, the stored no-date text opens as no date.
    h.showRecord(id);
    QCOMPARE(e.spouse().birthday, QStringLiteral("30.12.1899"));
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        QCOMPARE(d->DTSpBirthDay->date(), QDate(1899, 12, 30));
        d->DTSpBirthDay->setDate(QDate(1981, 6, 12));
        QTest::mouseClick(d->btnOk, Qt::LeftButton);
    });
    menuItem(h.main(), "N9")->trigger();
    QCOMPARE(h.column(id, QStringLiteral("spbirthday")).toString(), QStringLiteral("12.06.1981"));
    h.showRecord(id);
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        QCOMPARE(d->DTSpBirthDay->date(), QDate(1981, 6, 12));
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    QVERIFY(!e.BtnSpouceClick());
}

void TestSpouseDialog::trimmedWhenStoredUntrimmedInEditor()
{
    MainWindowHarness h;
    const int id = h.insertRecord(SampleRecord::person("Женатый"));
    TfrNewRecord& e = h.editor();
    h.showRecord(id);
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        d->EdtSpIO->setFocus();
        typeText(d->EdtSpIO, QStringLiteral("  Ольга \"Оля\"; DROP "));
        d->MmSpInfo->setFocus();
        typeText(d->MmSpInfo, QStringLiteral(" любит 🌷\nи чай "));
        QTest::mouseClick(d->btnOk, Qt::LeftButton);
    });
    QTest::mouseClick(e.BtnSpouce, Qt::LeftButton);
    QCOMPARE(e.spouse().fio, QStringLiteral("  Ольга \"Оля\"; DROP "));
    QCOMPARE(e.spouse().info, QStringLiteral(" любит 🌷\nи чай "));
    QCOMPARE(h.column(id, QStringLiteral("spfio")).toString(),
             QStringLiteral("Ольга \"Оля\"; DROP"));
    QCOMPARE(h.column(id, QStringLiteral("spinfo")).toString(), QStringLiteral("любит 🌷\nи чай"));
    QVERIFY(!e.isModified());

    h.showRecord(id);
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        QCOMPARE(d->EdtSpIO->text(), QStringLiteral("Ольга \"Оля\"; DROP"));
        QCOMPARE(d->MmSpInfo->toPlainText(), QStringLiteral("любит 🌷\nи чай"));
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    e.BtnSpouceClick();
}

void TestSpouseDialog::keysAndClosing()
{
    MainWindowHarness h;
    TfmSpouce dialog({QStringLiteral("Анна"), {}, {}}, &h.editor());
    bool stillOpen = false;
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        d->EdtSpIO->setFocus();
        QTest::keyClick(d->EdtSpIO, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d->DTSpBirthDay));
        QTest::keyClick(d->DTSpBirthDay, Qt::Key_Return);
        stillOpen = d->isVisible();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d->DTSpBirthDay));
        QTest::keyClick(d->DTSpBirthDay, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d->MmSpInfo));
        QTest::keyClick(d->MmSpInfo, Qt::Key_Return);
        QCOMPARE(d->MmSpInfo->toPlainText(), QStringLiteral("\n"));
        QTest::keyClick(d->MmSpInfo, Qt::Key_Escape);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(stillOpen);
    QCOMPARE(dialog.spouse(), (SpouseData{QStringLiteral("Анна"), {}, {}}));

    // The close box is "Отмена" too.
    whenShown<TfmSpouce>([](TfmSpouce* d) { d->close(); });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
}

void TestSpouseDialog::clearThenCancelKeepsTheFields()
{
    MainWindowHarness h;
    const SpouseData given = {QStringLiteral("Анна"), QStringLiteral("02.03.1980"),
                              QStringLiteral("заметки")};
    TfmSpouce dialog(given, &h.editor());
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        QCOMPARE(d->EdtSpIO->text(), QStringLiteral("Анна"));
        QCOMPARE(d->DTSpBirthDay->date(), QDate(1980, 3, 2));
        QTest::mouseClick(d->bntClear, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QVERIFY(d->EdtSpIO->text().isEmpty());
        QCOMPARE(d->DTSpBirthDay->date(), QDate(1899, 12, 30));
        QVERIFY(d->MmSpInfo->toPlainText().isEmpty());
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.spouse(), given);
}

void TestSpouseDialog::nothingStoredForUserNotPermitted()
{
    MainWindowHarness h(QStringLiteral("u1"));
    const int id =
        h.insertRecord(SampleRecord::person("Чужой").spouse("Прежняя").owns(" boss ").hided(" 1 "));
    TfrNewRecord& e = h.editor();
    h.showRecord(id);
    QVERIFY(e.BtnSpouce->isEnabled());
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        QCOMPARE(d->EdtSpIO->text(), QStringLiteral("Прежняя"));
        d->EdtSpIO->setText(QStringLiteral("Новая"));
        QTest::mouseClick(d->btnOk, Qt::LeftButton);
    });
    QVERIFY(e.BtnSpouceClick());
    QCOMPARE(e.spouse().fio, QStringLiteral("Новая"));
    QCOMPARE(h.column(id, QStringLiteral("spfio")).toString(), QStringLiteral("Прежняя"));
    QVERIFY(!h.column(id, QStringLiteral("spbirthday")).isValid());
}

void TestSpouseDialog::newRecordStoresWithDone()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        d->EdtSpIO->setText(QStringLiteral(" Пётр "));
        d->DTSpBirthDay->setDate(QDate(1979, 2, 28));
        QTest::mouseClick(d->btnOk, Qt::LeftButton);
    });
    QTest::mouseClick(e.BtnSpouce, Qt::LeftButton);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 0);
    QVERIFY(e.btnOkClick());
    const int id = h.count(QStringLiteral("SELECT id FROM sprav"));
    QCOMPARE(h.column(id, QStringLiteral("spfio")).toString(), QStringLiteral("Пётр"));
    QCOMPARE(h.column(id, QStringLiteral("spbirthday")).toString(), QStringLiteral("28.02.1979"));
    QVERIFY(e.spouse().fio.isEmpty() && e.spouse().birthday.isEmpty());
}

void TestSpouseDialog::unreadableDateShowsNoDate()
{
    MainWindowHarness h;
    TfmSpouce dialog({{}, QStringLiteral("1979-02-28"), {}}, &h.editor());
    whenShown<TfmSpouce>([&](TfmSpouce* d) {
        QCOMPARE(d->DTSpBirthDay->date(), QDate(1899, 12, 30));
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.spouse().birthday, QStringLiteral("1979-02-28"));
}

QTEST_MAIN(TestSpouseDialog)
#include "tst_spousedialog.moc"
