// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "WhenShown.h"
#include "app/TFmMain.h"
#include "db/HiddenFields.h"
#include "db/Sql.h"
#include "editor/ui/TfmHide.h"
#include "editor/ui/TfrNewRecord.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace
{

// A click on the box's indicator, as a user makes it.
void click(QCheckBox* box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
}

QStringList listed(const TfmHide* d)
{
    QStringList names;
    for (int i = 0; i < d->ChLBUsers->count(); ++i)
        names.append(d->ChLBUsers->item(i)->text());
    return names;
}

QStringList checkedUsers(const TfmHide* d)
{
    QStringList names;
    for (int i = 0; i < d->ChLBUsers->count(); ++i)
        if (d->ChLBUsers->item(i)->checkState() == Qt::Checked)
            names.append(d->ChLBUsers->item(i)->text());
    return names;
}

// The box of the code stored as that number.
QCheckBox* box(const TfmHide* d, int number)
{
    for (HiddenCode code : HiddenFields::codes())
        if (HiddenFields::number(code) == number)
            return d->codeBox(code);
    return nullptr;
}

// Codes of the checked and of the enabled boxes.
QList<int> checkedCodes(const TfmHide* d)
{
    QList<int> codes;
    for (int code = 1; code <= 18; ++code)
        if (box(d, code)->isChecked())
            codes.append(code);
    return codes;
}

QList<int> enabledCodes(const TfmHide* d)
{
    QList<int> codes;
    for (int code = 1; code <= 18; ++code)
        if (box(d, code)->isEnabled())
            codes.append(code);
    return codes;
}

QList<int> range(int first, int last)
{
    QList<int> codes;
    for (int code = first; code <= last; ++code)
        codes.append(code);
    return codes;
}

QList<int> without(QList<int> codes, const QList<int>& left)
{
    for (int code : left)
        codes.removeAll(code);
    return codes;
}

void checkUser(TfmHide* d, int row)
{
    d->ChLBUsers->setFocus();
    d->ChLBUsers->setCurrentRow(row);
    QTest::keyClick(d->ChLBUsers->viewport(), Qt::Key_Space);
}

bool phoneHidden(const QSqlDatabase& db, int id, int kind)
{
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT hid FROM phone WHERE parentid = :id "
                                          "AND noteid = :kind"),
                           {{"id", id}, {"kind", kind}});
    return q.next() && q.value(0).toBool();
}

} // namespace

class TestHideDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void controlsAndCodeBoxes();
    void preCheckedFromStoredTexts();
    void wholeRecordDisablesFieldBoxes();
    void groupBoxesDisableTheirMembers();
    void okWithNothingChecked();
    void codesInOrderAndWholeRecordWins();
    void currentUserFirstNeverListed();
    void onlyFilledPhonesGetTheirFlag();
    void cancelAndClearLeaveTheTexts();
    void newRecordKeepsTheTextsUntilDone();
};

void TestHideDialog::controlsAndCodeBoxes()
{
    MainWindowHarness h;
    h.main().newRecord();
    whenShown<TfmHide>([](TfmHide* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Скрытые поля"));
        QCOMPARE(d->size(), QSize(481, 340));
        const QStringList names = {
            QStringLiteral("ChBAddress"),   QStringLiteral("ChBLegal"),
            QStringLiteral("ChBFiz"),       QStringLiteral("ChBPost"),
            QStringLiteral("ChBHome"),      QStringLiteral("ChBPath"),
            QStringLiteral("ChBMail"),      QStringLiteral("ChBBirth"),
            QStringLiteral("ChBSpouce"),    QStringLiteral("ChBReq"),
            QStringLiteral("ChBPhones"),    QStringLiteral("ChBPhoneRab"),
            QStringLiteral("ChBPhoneHome"), QStringLiteral("ChBPhoneMob"),
            QStringLiteral("ChBPhoneLine"), QStringLiteral("ChBPhoneSecret"),
            QStringLiteral("ChBPhoneFax"),  QStringLiteral("ChBPhoneOther"),
        };
        for (int code = 1; code <= 18; ++code) {
            QCOMPARE(box(d, code)->objectName(), names.at(code - 1));
            // Nothing is cut off.
            QVERIFY(box(d, code)->width() >= box(d, code)->sizeHint().width());
        }
        QVERIFY(checkedCodes(d).isEmpty());
        QCOMPARE(enabledCodes(d), range(1, 18));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QVERIFY(!h.editor().btnHideClick());
}

void TestHideDialog::preCheckedFromStoredTexts()
{
    MainWindowHarness h(QStringLiteral("u1"));
    for (const char* user : {"petrov", "u1", "U1", "admin"})
        h.addUser(QString::fromLatin1(user));
    const int id = h.insertRecord(SampleRecord().owns(" u1 petrov gone ").hided(" 2 11 13 "));
    h.showRecord(id);
    whenShown<TfmHide>([](TfmHide* d) {
        QCOMPARE(listed(d), (QStringList{QStringLiteral("petrov"), QStringLiteral("U1"),
                                         QStringLiteral("admin")}));
        QCOMPARE(checkedUsers(d), QStringList{QStringLiteral("petrov")});
        QVERIFY(!d->ChBAll->isChecked());
        QCOMPARE(checkedCodes(d), (QList<int>{2, 11, 13}));
        QCOMPARE(enabledCodes(d), range(1, 11));
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    QVERIFY(h.editor().btnHideClick());
    // The user who is gone from `users` is dropped.
    QCOMPARE(h.editor().privacy().owns, QStringLiteral(" u1 petrov "));
    QCOMPARE(h.editor().privacy().hided, QStringLiteral(" 2 11 13 "));
    QCOMPARE(h.column(id, QStringLiteral("owns")).toString(), QStringLiteral(" u1 petrov "));

    // An empty `hided` checks nobody, whatever `owns` holds.
    Sql::run(h.db(), QStringLiteral("UPDATE sprav SET hided = '' WHERE id = :id"), {{"id", id}});
    h.showRecord(id);
    whenShown<TfmHide>([](TfmHide* d) {
        QVERIFY(checkedUsers(d).isEmpty());
        QVERIFY(checkedCodes(d).isEmpty());
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    h.editor().btnHideClick();
}

void TestHideDialog::wholeRecordDisablesFieldBoxes()
{
    MainWindowHarness h(QStringLiteral("u1"));
    h.showRecord(h.insertRecord(SampleRecord().owns(" u1 ").hided(" all ")));
    whenShown<TfmHide>([](TfmHide* d) {
        QVERIFY(d->ChBAll->isChecked());
        QVERIFY(checkedCodes(d).isEmpty());
        QVERIFY(enabledCodes(d).isEmpty());
        QVERIFY(!d->Bevel1->isEnabled());
        QVERIFY(d->GBHide->isEnabled());

        click(d->ChBAll);
        QCOMPARE(enabledCodes(d), range(1, 18));
        click(d->ChBAddress);
        QCOMPARE(enabledCodes(d), without(range(1, 18), range(2, 6)));
        click(d->ChBAll);
        QVERIFY(enabledCodes(d).isEmpty());
        QCOMPARE(checkedCodes(d), QList<int>{1});
        // Leaving "all" enables every box again, the members of "Все адреса" too.
        click(d->ChBAll);
        QCOMPARE(enabledCodes(d), range(1, 18));
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    h.editor().btnHideClick();
}

void TestHideDialog::groupBoxesDisableTheirMembers()
{
    MainWindowHarness h(QStringLiteral("u1"));
    h.showRecord(h.insertRecord(SampleRecord().owns(" u1 ").hided(" 1 3 11 17 ")));
    whenShown<TfmHide>([](TfmHide* d) {
        QCOMPARE(checkedCodes(d), (QList<int>{1, 3, 11, 17}));
        QCOMPARE(enabledCodes(d), (QList<int>{1, 7, 8, 9, 10, 11}));
        click(d->ChBPhones);
        QCOMPARE(enabledCodes(d), without(range(1, 18), range(2, 6)));
        click(d->ChBAddress);
        QCOMPARE(enabledCodes(d), range(1, 18));
        QCOMPARE(checkedCodes(d), (QList<int>{3, 17}));
        click(d->ChBAddress);
        QCOMPARE(enabledCodes(d), without(range(1, 18), range(2, 6)));
        // A checked member counts while disabled.
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    h.editor().btnHideClick();
    QCOMPARE(h.editor().privacy().hided, QStringLiteral(" 1 3 17 "));
}

void TestHideDialog::okWithNothingChecked()
{
    MainWindowHarness h(QStringLiteral("u1"));
    h.addUser(QStringLiteral("petrov"));
    const int id = h.insertRecord(SampleRecord().owns(" u1 ").hided(" 11 ").phone(1, "111"));
    QVERIFY(phoneHidden(h.db(), id, 1));
    h.showRecord(id);
    whenShown<TfmHide>([](TfmHide* d) {
        click(d->ChBPhones);
        checkUser(d, 0);
        QCOMPARE(checkedUsers(d), QStringList{QStringLiteral("petrov")});
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    menuItem(h.main(), "N11")->trigger();
    QCOMPARE(h.editor().privacy().hided, QStringLiteral(" "));
    QCOMPARE(h.editor().privacy().owns, QString());
    QCOMPARE(h.column(id, QStringLiteral("hided")).toString(), QStringLiteral(" "));
    QCOMPARE(h.column(id, QStringLiteral("owns")).toString(), QString());
    QVERIFY(!phoneHidden(h.db(), id, 1));
}

void TestHideDialog::codesInOrderAndWholeRecordWins()
{
    MainWindowHarness h(QStringLiteral("u1"));
    for (const char* user : {"petrov", "admin"})
        h.addUser(QString::fromLatin1(user));
    h.main().newRecord();
    whenShown<TfmHide>([](TfmHide* d) {
        click(d->ChBLegal);
        click(d->ChBAddress);
        click(d->ChBPhoneOther);
        click(d->ChBMail);
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    h.editor().btnHideClick();
    QCOMPARE(h.editor().privacy().hided, QStringLiteral(" 1 2 7 18 "));
    QCOMPARE(h.editor().privacy().owns, QStringLiteral(" u1 "));

    whenShown<TfmHide>([](TfmHide* d) {
        QCOMPARE(checkedCodes(d), (QList<int>{1, 2, 7, 18}));
        click(d->ChBAll);
        checkUser(d, 1);
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    h.editor().btnHideClick();
    QCOMPARE(h.editor().privacy().hided, QStringLiteral("all"));
    QCOMPARE(h.editor().privacy().owns, QStringLiteral(" u1 admin "));
}

void TestHideDialog::currentUserFirstNeverListed()
{
    MainWindowHarness h(QStringLiteral("Иванов"));
    for (const char* user : {"zeta", "Иванов", "alpha", "иванов"})
        h.addUser(QString::fromUtf8(user));
    h.main().newRecord();
    whenShown<TfmHide>([](TfmHide* d) {
        QCOMPARE(listed(d), (QStringList{QStringLiteral("zeta"), QStringLiteral("alpha"),
                                         QStringLiteral("иванов")}));
        checkUser(d, 2);
        checkUser(d, 0);
        click(d->ChBBirth);
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    h.editor().btnHideClick();
    QCOMPARE(h.editor().privacy().owns, QStringLiteral(" Иванов zeta иванов "));
    QCOMPARE(h.editor().privacy().hided, QStringLiteral(" 8 "));
}

void TestHideDialog::onlyFilledPhonesGetTheirFlag()
{
    MainWindowHarness h(QStringLiteral("u1"));
    const int id = h.insertRecord(SampleRecord().phone(1, "111").phone(3, "333"));
    h.showRecord(id);
    h.editor().EdtPhoneRab->clear(); // emptied, not yet stored
    whenShown<TfmHide>([](TfmHide* d) {
        click(d->ChBPhones);
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    QTest::mouseClick(h.editor().btnHide, Qt::LeftButton);
    QVERIFY(!phoneHidden(h.db(), id, 1));
    QVERIFY(phoneHidden(h.db(), id, 3));
    QCOMPARE(h.column(id, QStringLiteral("hided")).toString(), QStringLiteral(" 11 "));
    QCOMPARE(h.column(id, QStringLiteral("owns")).toString(), QStringLiteral(" u1 "));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM phone")), 2);
}

void TestHideDialog::cancelAndClearLeaveTheTexts()
{
    MainWindowHarness h(QStringLiteral("u1"));
    h.addUser(QStringLiteral("petrov"));
    const int id = h.insertRecord(SampleRecord().owns(" u1 petrov ").hided(" 1 11 "));
    h.showRecord(id);
    whenShown<TfmHide>([](TfmHide* d) {
        QTest::mouseClick(d->btnClear, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QVERIFY(!d->ChBAll->isChecked());
        QVERIFY(checkedCodes(d).isEmpty());
        QVERIFY(checkedUsers(d).isEmpty());
        QCOMPARE(enabledCodes(d), range(1, 18));
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    QVERIFY(!h.editor().btnHideClick());
    QCOMPARE(h.editor().privacy().hided, QStringLiteral(" 1 11 "));
    QCOMPARE(h.editor().privacy().owns, QStringLiteral(" u1 petrov "));
    QCOMPARE(h.column(id, QStringLiteral("hided")).toString(), QStringLiteral(" 1 11 "));

    whenShown<TfmHide>([](TfmHide* d) { d->close(); });
    QVERIFY(!h.editor().btnHideClick());
}

void TestHideDialog::newRecordKeepsTheTextsUntilDone()
{
    MainWindowHarness h(QStringLiteral("u1"));
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    whenShown<TfmHide>([](TfmHide* d) {
        click(d->ChBPhoneHome);
        QTest::mouseClick(d->BtnOk, Qt::LeftButton);
    });
    e.btnHideClick();
    QCOMPARE(e.privacy().hided, QStringLiteral(" 13 "));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 0);
    whenShown<TfmHide>([](TfmHide* d) {
        QCOMPARE(checkedCodes(d), QList<int>{13});
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    e.btnHideClick();
    e.EdtPhoneRab->setText(QStringLiteral("1"));
    e.EdtPhoneHome->setText(QStringLiteral("2"));
    QVERIFY(e.btnOkClick());
    const int id = h.count(QStringLiteral("SELECT id FROM sprav"));
    QCOMPARE(h.column(id, QStringLiteral("hided")).toString(), QStringLiteral(" 13 "));
    QCOMPARE(h.column(id, QStringLiteral("owns")).toString(), QStringLiteral(" u1 "));
    QVERIFY(!phoneHidden(h.db(), id, 1));
    QVERIFY(phoneHidden(h.db(), id, 2));
    QVERIFY(e.privacy().hided.isEmpty() && e.privacy().owns.isEmpty());
}

QTEST_MAIN(TestHideDialog)
#include "tst_hidedialog.moc"
