// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "TypeText.h"
#include "app/TFmMain.h"
#include "common/ui/ShellOpen.h"
#include "db/Sql.h"
#include "editor/ui/TfrNewRecord.h"
#include "records/RecordStore.h"
#include "search/ui/TfrFind.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

namespace
{

const QString tooLong = QStringLiteral("warning: Cлишком длинное поле");

QWidget* focused()
{
    return QApplication::focusWidget();
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void typeInto(QWidget* field, const QString& text)
{
    // Entering a field with Tab selects its text, so typing replaces it.
    field->setFocus(Qt::TabFocusReason);
    typeText(field, text);
}

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemText(i));
    return list;
}

// A record partly hidden from all but u12 and boss: addresses, birthday, work phone.
SampleRecord secretov()
{
    return SampleRecord::person("Секретов")
        .legalAddress("юр")
        .birthday(QDate(1970, 7, 7))
        .phone(1, "111")
        .owns(" u12 boss ")
        .hided(" 1 8 12 ");
}

bool looksBlanked(const QWidget* field)
{
    return !field->isEnabled() &&
           field->palette().color(QPalette::Base) == field->palette().color(QPalette::Button);
}

} // namespace

class TestRecordEditor : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void controlsAndTabOrder();
    void enterNavigationAndModifiedMarks();
    void keysThatChangeNothingMarkToo();
    void tooLongBoundary();
    void cityCodeCaption();
    void newCityAskedOnceAndTrimmed();
    void cancelledCityPrompt();
    void jobTitleAddedSorted();
    void newRecordStoredAndCleared();
    void clearEmptiesDialogFields();
    void escapeCancelsKeepingTheEdit();
    void templateFlow();
    void blankedViewForStranger();
    void fullViewForPermittedUser();
    void wholeRecordHiddenShownToStranger();
    void everyCodeHidesItsParts_data();
    void everyCodeHidesItsParts();
    void templateOfBlankedRecordStoresNoHiddenValues();
    void refusedSaveOfForeignRecord();
    void changeStoresAndReturnsToSearch();
    void deleteAsksFirst();
    void requisites();
    void mailAndWebLinks();
    void hostileInputInEveryBox();
    void failedStoreKeepsTheTyping();
    void saveAfterOtherUserKeepsTheTyping_data();
    void saveAfterOtherUserKeepsTheTyping();
    void nulRefusedWithFieldWarning_data();
    void nulRefusedWithFieldWarning();
    void noticeOfChangeElsewhere_data();
    void noticeOfChangeElsewhere();
};

void TestRecordEditor::controlsAndTabOrder()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    // The surname caption keeps its trailing blank; paired buttons share a place.
    QCOMPARE(e.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Фамилия "));
    QCOMPARE(e.btnOk->geometry(), QRect(438, 413, 75, 25));
    QCOMPARE(e.BtnChange->geometry(), e.btnOk->geometry());
    QCOMPARE(e.BtnDelete->geometry(), e.btnClear->geometry());
    QCOMPARE(e.PhoneEdits[1], e.EdtPhoneRab);
    QCOMPARE(e.PhoneEdits[6], e.EdtPhoneFax);
    QCOMPARE(e.DTBirthDay->displayFormat(), QStringLiteral("dd.MM.yyyy"));
    QVERIFY(e.DTBirthDay->calendarPopup());
    QVERIFY(e.DTBirthDay->minimumDate() <= QDate(1899, 12, 30));

    h.main().newRecord();
    // Nothing lies outside the frame's area.
    QCOMPARE(e.size(), QSize(685, 451));
    for (QWidget* child : e.findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&e) || child->isWindow())
            continue;
        const QRect area(child->mapTo(&e, QPoint(0, 0)), child->size());
        QVERIFY2(e.rect().contains(area), qPrintable(child->objectName()));
    }

    const QList<QWidget*> chain = {
        e.EdtF,           e.EdtIO,           e.CmbProf,       e.DTBirthDay,     e.BtnSpouce,
        e.btnHide,        e.EdtPhoneRab,     e.EdtPhoneHome,  e.EdtPhoneMob,    e.EdtPhoneLine,
        e.EdtPhoneSecret, e.EdtPhoneFax,     e.EdtOtherPhone, e.EdtShortPp,     e.EdtLongPp,
        e.CmbCity,        e.EdtLegalAddress, e.EdtFizAddress, e.EdtPostAddress, e.EdtHomeAddress,
        e.EdtPath,        e.btnReq,          e.EdtEMail,      e.EdtWww,         e.MmInfo,
        e.btnOk,          e.btnClear,        e.BtnCancel,
    };
    e.EdtF->setFocus();
    for (qsizetype i = 1; i < chain.size(); ++i) {
        press(Qt::Key_Tab);
        QCOMPARE(focused(), chain.at(i));
    }
    press(Qt::Key_Backtab);
    QCOMPARE(focused(), e.btnClear);
    QVERIFY(!e.isModified());
}

void TestRecordEditor::enterNavigationAndModifiedMarks()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    m.newRecord();
    struct Step {
        QWidget* field;
        QWidget* next;
        bool marks;
    };
    const QList<Step> steps = {
        {e.EdtF, e.EdtIO, true},
        {e.EdtIO, e.CmbProf, true},
        {e.CmbProf, e.DTBirthDay, true},
        {e.DTBirthDay, e.DTBirthDay, true},
        {e.EdtPhoneRab, e.EdtPhoneHome, true},
        {e.EdtPhoneHome, e.EdtPhoneMob, true},
        {e.EdtPhoneMob, e.EdtPhoneLine, true},
        {e.EdtPhoneLine, e.EdtPhoneSecret, true},
        {e.EdtPhoneSecret, e.EdtPhoneFax, true},
        {e.EdtPhoneFax, e.EdtOtherPhone, true},
        {e.EdtOtherPhone, e.EdtShortPp, false},
        {e.EdtShortPp, e.EdtLongPp, true},
        {e.EdtLongPp, e.CmbCity, true},
        {e.CmbCity, e.EdtLegalAddress, true},
        {e.EdtLegalAddress, e.EdtFizAddress, true},
        {e.EdtFizAddress, e.EdtPostAddress, true},
        {e.EdtPostAddress, e.EdtHomeAddress, true},
        {e.EdtHomeAddress, e.EdtPath, true},
        {e.EdtPath, e.EdtEMail, true},
        {e.EdtEMail, e.EdtWww, true},
        {e.EdtWww, e.MmInfo, true},
        {e.MmInfo, e.MmInfo, true},
    };
    for (const Step& step : steps) {
        e.ClearRecord();
        QVERIFY(m.TBPattern->isEnabled());
        step.field->setFocus();
        press(Qt::Key_Return);
        QVERIFY2(focused() == step.next, qPrintable(step.field->objectName()));
        QVERIFY2(e.isModified() == step.marks, qPrintable(step.field->objectName()));
        QVERIFY2(m.TBPattern->isEnabled() != step.marks, qPrintable(step.field->objectName()));
        QVERIFY(menuItem(m, "N15")->isEnabled());
    }
    QCOMPARE(e.MmInfo->toPlainText(), QStringLiteral("\n"));
    // Typing in the other phones does not count as a change either.
    e.ClearRecord();
    typeInto(e.EdtOtherPhone, QStringLiteral("доб. 5"));
    QVERIFY(!e.isModified());
    // Enter in the combo box moves on and leaves its text as typed.
    typeInto(e.CmbCity, QStringLiteral("казань"));
    press(Qt::Key_Enter);
    QCOMPARE(focused(), e.EdtLegalAddress);
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("казань"));
}

void TestRecordEditor::keysThatChangeNothingMarkToo()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    m.newRecord();
    e.EdtF->setFocus();
    press(Qt::Key_Tab);
    QCOMPARE(focused(), e.EdtIO);
    QVERIFY(!e.isModified());
    QVERIFY(m.TBPattern->isEnabled());

    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Shift, Qt::Key_Down}) {
        e.ClearRecord();
        e.EdtF->setFocus();
        press(key);
        QVERIFY(e.isModified());
        QVERIFY(!m.TBPattern->isEnabled());
        QVERIFY(menuItem(m, "N15")->isEnabled());
        QVERIFY(e.EdtF->text().isEmpty());
    }
    // The template menu item still works and asks first.
    h.prompts().answerConfirm(Prompts::Answer::No);
    menuItem(m, "N15")->trigger();
    QCOMPARE(h.prompts().log().first(), QStringLiteral("confirm: Сохранить изменения?"));
    QVERIFY(!e.isModified());
}

void TestRecordEditor::tooLongBoundary()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    const QString ok(255, QChar(0x042F));
    const QString over(256, QChar(0x042F));

    for (QLineEdit* edit : {e.EdtF, e.EdtPhoneFax, e.EdtWww}) {
        edit->setFocus();
        edit->setText(ok);
        press(Qt::Key_Tab);
        QVERIFY(h.prompts().log().isEmpty());
        QVERIFY(focused() != edit);

        edit->setFocus();
        edit->setText(over);
        QWidget* focusUnderBox = nullptr;
        h.prompts().onPrompt = [&](const QString&, const QString&) { focusUnderBox = focused(); };
        press(Qt::Key_Tab);
        h.prompts().onPrompt = nullptr;
        QCOMPARE(h.prompts().log(), QStringList{tooLong});
        QCOMPARE(focused(), edit);
        QVERIFY(focusUnderBox != edit);
        QCOMPARE(edit->text(), over); // nothing is cut
        h.prompts().clear();
        edit->clear();
    }
    QVERIFY(h.prompts().log().isEmpty());
    QVERIFY(tooLong.at(9) == QLatin1Char('C'));

    // An emoji is one character.
    e.EdtIO->setFocus();
    e.EdtIO->setText(QString(253, QLatin1Char('a')) + QStringLiteral("👍🏽"));
    press(Qt::Key_Tab);
    QVERIFY(h.prompts().log().isEmpty());

    // The combo boxes: the same limit, and a title that fits is added.
    e.CmbProf->setFocus();
    e.CmbProf->setEditText(over);
    press(Qt::Key_Tab);
    QCOMPARE(h.prompts().log(), QStringList{tooLong});
    QCOMPARE(focused(), e.CmbProf);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM prof")), 0);
    h.prompts().clear();
    e.CmbProf->setEditText(ok);
    press(Qt::Key_Tab);
    QVERIFY(h.prompts().log().isEmpty());
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM prof")), 1);

    e.CmbCity->setFocus();
    e.CmbCity->setEditText(over);
    press(Qt::Key_Tab);
    QCOMPARE(h.prompts().log(), QStringList{tooLong});
    QCOMPARE(focused(), e.CmbCity);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM city")), 1);

    // The memo has no limit.
    e.CmbCity->setEditText(QStringLiteral("Казань"));
    h.prompts().clear();
    e.MmInfo->setFocus();
    e.MmInfo->setPlainText(over + over);
    press(Qt::Key_Tab);
    QVERIFY(h.prompts().log().isEmpty());
}

void TestRecordEditor::cityCodeCaption()
{
    MainWindowHarness h(QStringLiteral("u1"), {{QStringLiteral("Казань"), QStringLiteral("8432")},
                                               {QStringLiteral("Москва"), QStringLiteral("495")}});
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Казань"));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (8432)"));
    QCOMPARE(items(e.CmbCity), (QStringList{QStringLiteral("Казань"), QStringLiteral("Москва")}));

    e.CmbCity->setFocus();
    e.CmbCity->lineEdit()->selectAll();
    typeText(e.CmbCity, QStringLiteral("Моск"));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город"));
    typeText(e.CmbCity, QStringLiteral("ва"));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (495)"));
    // Erasing everything leaves the caption alone.
    e.CmbCity->lineEdit()->selectAll();
    press(Qt::Key_Backspace);
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (495)"));
    typeText(e.CmbCity, QStringLiteral("КАЗАНЬ"));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (8432)"));
    // Picking an entry from the list.
    e.CmbCity->setCurrentIndex(0);
    QTest::keyClick(e.CmbCity, Qt::Key_Down);
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Москва"));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (495)"));
}

void TestRecordEditor::newCityAskedOnceAndTrimmed()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    e.CmbCity->setFocus();
    e.CmbCity->lineEdit()->selectAll();
    typeText(e.CmbCity, QStringLiteral("  Урюпинск \""));
    h.prompts().answerText(QStringLiteral("84442"));
    press(Qt::Key_Tab);
    QCOMPARE(h.prompts().log(),
             QStringList{QStringLiteral(
                 "input: Добавление города | Введите код телефонов города Урюпинск \":")});
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Урюпинск \""));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (84442)"));
    QCOMPARE(items(e.CmbCity),
             (QStringList{QStringLiteral("Казань"), QStringLiteral("Урюпинск \"")}));
    QCOMPARE(RecordStore(h.db()).cityCode(QStringLiteral("Урюпинск \"")),
             std::optional<QString>(QStringLiteral("84442")));

    // Leaving again, in other letter case, finds it and asks nothing.
    h.prompts().clear();
    e.CmbCity->setFocus();
    e.CmbCity->setEditText(QStringLiteral("урюпинск \""));
    press(Qt::Key_Tab);
    QVERIFY(h.prompts().log().isEmpty());
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (84442)"));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM city")), 2);

    // Added cities keep the list sorted.
    e.CmbCity->setFocus();
    e.CmbCity->setEditText(QStringLiteral("Абакан"));
    h.prompts().answerText(QString());
    press(Qt::Key_Tab);
    QCOMPARE(items(e.CmbCity), (QStringList{QStringLiteral("Абакан"), QStringLiteral("Казань"),
                                            QStringLiteral("Урюпинск \"")}));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город ()"));
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Абакан"));
}

void TestRecordEditor::cancelledCityPrompt()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    e.CmbCity->setFocus();
    e.CmbCity->setEditText(QStringLiteral("Нигде"));
    h.prompts().cancelText();
    press(Qt::Key_Tab);
    QCOMPARE(h.prompts().log().size(), 1);
    QCOMPARE(e.Label10->text(), QStringLiteral("Город ()"));
    QCOMPARE(items(e.CmbCity), QStringList{QStringLiteral("Казань")});
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM city")), 1);
    // Stored with an unknown city.
    typeInto(e.EdtF, QStringLiteral("Бездомный"));
    QVERIFY(e.btnOkClick());
    QCOMPARE(h.count(QStringLiteral("SELECT cityid FROM sprav")), 0);

    // An empty city asks nothing.
    h.prompts().clear();
    e.CmbCity->setFocus();
    e.CmbCity->setEditText(QStringLiteral("   "));
    press(Qt::Key_Tab);
    QVERIFY(h.prompts().log().isEmpty());
    QCOMPARE(e.CmbCity->currentText(), QString());
    QCOMPARE(e.Label10->text(), QStringLiteral("Город"));
}

void TestRecordEditor::jobTitleAddedSorted()
{
    MainWindowHarness h;
    RecordStore(h.db()).addProf(QStringLiteral("Юрист"));
    RecordStore(h.db()).addProf(QStringLiteral("Бухгалтер"));
    h.editor().Loadcmbs();
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    QCOMPARE(items(e.CmbProf), (QStringList{QStringLiteral("Юрист"), QStringLiteral("Бухгалтер")}));

    typeInto(e.CmbProf, QStringLiteral(" \tДиректор "));
    press(Qt::Key_Return);
    QCOMPARE(e.CmbProf->currentText(), QStringLiteral("Директор"));
    QCOMPARE(items(e.CmbProf), (QStringList{QStringLiteral("Бухгалтер"), QStringLiteral("Директор"),
                                            QStringLiteral("Юрист")}));
    QCOMPARE(RecordStore(h.db()).profId(QStringLiteral("Директор")), 3);

    // Known (in any case) and empty titles add nothing.
    for (const QString& text : {QStringLiteral("юрист"), QString()}) {
        e.CmbProf->setFocus();
        e.CmbProf->setEditText(text);
        press(Qt::Key_Tab);
    }
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM prof")), 3);
    QCOMPARE(e.CmbProf->count(), 3);
}

void TestRecordEditor::newRecordStoredAndCleared()
{
    MainWindowHarness h(QStringLiteral("u1"), {{QStringLiteral("Казань"), QStringLiteral("8432")},
                                               {QStringLiteral("Москва"), QStringLiteral("495")}});
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    m.TBNew->click();
    QVERIFY(!e.btnOk->isHidden());
    QVERIFY(e.BtnChange->isHidden());
    QVERIFY(menuItem(m, "N14")->isVisible() && !menuItem(m, "N17")->isVisible() &&
            !menuItem(m, "N18")->isVisible());
    QVERIFY(m.N8->isEnabled() && m.TBSave->isEnabled());

    typeInto(e.EdtF, QStringLiteral("  Кузнецов "));
    press(Qt::Key_Return);
    typeText(focused(), QStringLiteral("Пётр"));
    typeInto(e.EdtPhoneRab, QStringLiteral(" 22-33 "));
    press(Qt::Key_Return);
    typeText(focused(), QStringLiteral("44"));
    typeInto(e.EdtHomeAddress, QStringLiteral("дом"));
    typeInto(e.EdtFizAddress, QStringLiteral("офис"));
    e.CmbCity->setFocus();
    e.CmbCity->setEditText(QStringLiteral("Москва"));
    e.DTBirthDay->setDate(QDate(1970, 5, 4));
    QVERIFY(e.isModified());
    QTest::mouseClick(e.btnOk, Qt::LeftButton);

    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 1);
    const int id = h.count(QStringLiteral("SELECT id FROM sprav"));
    QCOMPARE(h.column(id, QStringLiteral("f")).toString(), QStringLiteral("Кузнецов"));
    QCOMPARE(h.column(id, QStringLiteral("io")).toString(), QStringLiteral("Пётр"));
    QCOMPARE(h.column(id, QStringLiteral("homeaddress")).toString(), QStringLiteral("дом"));
    QCOMPARE(h.column(id, QStringLiteral("fizaddress")).toString(), QStringLiteral("офис"));
    QCOMPARE(h.column(id, QStringLiteral("birthday")).toString(), QStringLiteral("04.05.1970"));
    QCOMPARE(h.column(id, QStringLiteral("cityid")).toInt(),
             RecordStore(h.db()).cityId(QStringLiteral("Москва")));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM phone")), 2);

    // The editor is empty again, still for a new record.
    QVERIFY(e.EdtF->text().isEmpty() && e.EdtPhoneRab->text().isEmpty());
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Казань"));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (8432)"));
    QCOMPARE(e.DTBirthDay->date(), QDate(1899, 12, 30));
    QVERIFY(!e.isModified() && e.currentId() == 0 && !e.btnOk->isHidden());

    // A second "Готово" stores another, empty, record (with the default city).
    QTest::mouseClick(e.btnOk, Qt::LeftButton);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 2);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav WHERE f = '' AND birthday IS NULL "
                                    "AND profid IS NULL")),
             1);

    // The save button stores a record typed but not left, only with changes.
    typeInto(e.EdtF, QStringLiteral("Третий"));
    m.TBSave->click();
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 3);
    m.TBSave->click();
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 3);
}

void TestRecordEditor::clearEmptiesDialogFields()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    // A new record made from a shown one holds its spouse data, privacy and
    // requisites.
    h.showRecord(h.insertRecord(
        SampleRecord().spouse("Анна", "01.01.1980", "x").hided(" 1 ").owns(" u1 ").req("ИНН")));
    h.main().newFromTemplate();
    QCOMPARE(e.requisites(), QStringLiteral("ИНН"));
    typeInto(e.EdtF, QStringLiteral("Черновик"));
    e.CmbCity->setEditText(QStringLiteral("Где-то"));
    e.Label10->setText(QStringLiteral("Город"));
    QTest::mouseClick(e.btnClear, Qt::LeftButton);
    QVERIFY(e.EdtF->text().isEmpty());
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Казань"));
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (8432)"));
    for (const QString* field : {&e.spouse().fio, &e.spouse().birthday, &e.spouse().info,
                                 &e.privacy().hided, &e.privacy().owns, &e.requisites()})
        QVERIFY(field->isEmpty());
    QVERIFY(!e.isModified());
    QVERIFY(!e.btnClear->isHidden());
}

void TestRecordEditor::escapeCancelsKeepingTheEdit()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    m.newRecord();
    typeInto(e.EdtF, QStringLiteral("Брошенная"));
    press(Qt::Key_Escape);
    QCOMPARE(m.frames->currentWidget(), static_cast<QWidget*>(m.frFindMain));
    QVERIFY(!m.TBSave->isEnabled() && !m.N8->isEnabled() && !menuItem(m, "N15")->isEnabled() &&
            !m.TBPattern->isEnabled());
    QVERIFY(e.isModified());
    QCOMPARE(e.EdtF->text(), QStringLiteral("Брошенная"));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 0);

    // Esc cancels from every kind of field, and leaves nothing.
    for (QWidget* field : std::initializer_list<QWidget*>{e.CmbCity, e.CmbProf, e.DTBirthDay,
                                                          e.MmInfo, e.EdtOtherPhone, e.btnReq}) {
        m.bringEditorToFront();
        field->setFocus();
        QCOMPARE(focused(), field);
        press(Qt::Key_Escape);
        QVERIFY2(m.frames->currentWidget() == m.frFindMain, qPrintable(field->objectName()));
    }
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Казань"));
    QVERIFY(e.MmInfo->toPlainText().isEmpty());
    QVERIFY(h.prompts().log().isEmpty());

    // The next prompting command offers to store the abandoned edit.
    h.prompts().answerConfirm(Prompts::Answer::Yes);
    m.showSearch();
    QCOMPARE(h.prompts().log(), QStringList{QStringLiteral("confirm: Сохранить изменения?")});
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav WHERE f = 'Брошенная'")), 1);
    QVERIFY(!e.isModified());
}

void TestRecordEditor::templateFlow()
{
    MainWindowHarness h(QStringLiteral("u1"));
    const RecordData r = SampleRecord::person("Образец")
                             .city("Казань")
                             .homeAddress("ул. Мира")
                             .spouse("Анна")
                             .req("ИНН 1")
                             .owns(" u1 ")
                             .hided(" 13 ")
                             .phone(2, "22")
                             .birthday(QDate(1960, 1, 2));
    const int id = h.insertRecord(r);
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    h.showRecord(id);
    QVERIFY(m.TBPattern->isEnabled());
    QTest::mouseClick(m.TBPattern, Qt::LeftButton);
    QCOMPARE(h.prompts().log(),
             QStringList{QStringLiteral("information: Создана запись на основе шаблона")});
    QVERIFY(!e.btnOk->isHidden() && e.BtnChange->isHidden());
    QCOMPARE(e.currentId(), 0);
    QCOMPARE(e.EdtF->text(), QStringLiteral("Образец"));
    QCOMPARE(e.privacy().hided, QStringLiteral(" 13 "));
    QTest::mouseClick(e.btnOk, Qt::LeftButton);

    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 2);
    const int copy = h.count(QStringLiteral("SELECT MAX(id) FROM sprav"));
    const RecordData stored = *RecordStore(h.db()).load(copy, QStringLiteral("u1"));
    QCOMPARE(stored.f, r.f);
    QCOMPARE(stored.homeaddress, r.homeaddress);
    QCOMPARE(stored.spfio, r.spfio);
    QCOMPARE(stored.req, r.req);
    QCOMPARE(stored.owns, r.owns);
    QCOMPARE(stored.hided, r.hided);
    QCOMPARE(stored.phones[2], r.phones[2]);
    QCOMPARE(stored.birthday, r.birthday);
    // The copied home phone is hidden like the original's.
    QSqlQuery q = Sql::run(h.db(), QStringLiteral("SELECT hid FROM phone WHERE parentid = :id"),
                           {{"id", copy}});
    QVERIFY(q.next());
    QVERIFY(q.value(0).toBool());
    QVERIFY(!q.next());
}

void TestRecordEditor::blankedViewForStranger()
{
    MainWindowHarness h(QStringLiteral("u1"));
    const int id = h.insertRecord(secretov()
                                      .fizAddress("физ")
                                      .postAddress("почт")
                                      .homeAddress("дом")
                                      .path("путь")
                                      .email("s@x.ru")
                                      .spouse("Супруга")
                                      .req("ИНН")
                                      .phone(2, "222")
                                      .otherPhones("доб"));
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    h.showRecord(id);

    for (QLineEdit* edit : {e.EdtLegalAddress, e.EdtFizAddress, e.EdtPostAddress, e.EdtHomeAddress,
                            e.EdtPath, e.EdtPhoneRab}) {
        QCOMPARE(edit->text(), QStringLiteral(" "));
        QVERIFY2(looksBlanked(edit), qPrintable(edit->objectName()));
    }
    QCOMPARE(e.DTBirthDay->date(), QDate(1899, 12, 30));
    QVERIFY(looksBlanked(e.DTBirthDay));
    for (QWidget* off : {static_cast<QWidget*>(e.BtnChange), static_cast<QWidget*>(e.BtnDelete),
                         static_cast<QWidget*>(e.btnHide)})
        QVERIFY(!off->isEnabled());
    QVERIFY(!menuItem(m, "N17")->isEnabled() && !menuItem(m, "N18")->isEnabled() &&
            !menuItem(m, "N11")->isEnabled());
    QVERIFY(menuItem(m, "N17")->isVisible() && !menuItem(m, "N14")->isVisible());
    QCOMPARE(e.EdtEMail->text(), QStringLiteral("s@x.ru"));
    QCOMPARE(e.EdtPhoneHome->text(), QStringLiteral("222"));
    QCOMPARE(e.EdtOtherPhone->text(), QStringLiteral("доб"));
    QVERIFY(e.EdtEMail->isEnabled() && e.BtnSpouce->isEnabled() && e.btnReq->isEnabled());
    QVERIFY(menuItem(m, "N9")->isEnabled() && menuItem(m, "N10")->isEnabled());
    QCOMPARE(e.Label10->text(), QStringLiteral("Город (8432)"));
    QVERIFY(!e.isModified());

    // Spouse and requisites codes disable their buttons and menu items.
    Sql::run(h.db(), QStringLiteral("UPDATE sprav SET hided = ' 9 10 11 ' WHERE id = :id"),
             {{"id", id}});
    h.showRecord(id);
    QVERIFY(!e.BtnSpouce->isEnabled() && !menuItem(m, "N9")->isEnabled());
    QVERIFY(!e.btnReq->isEnabled() && !menuItem(m, "N10")->isEnabled());
    QVERIFY(e.spouse().fio.isEmpty() && e.requisites().isEmpty());
    for (int kind = 1; kind <= 6; ++kind)
        QVERIFY(looksBlanked(e.PhoneEdits[kind]));
    QVERIFY(looksBlanked(e.EdtOtherPhone));
    QCOMPARE(e.EdtLegalAddress->text(), QStringLiteral("юр"));
    QVERIFY(e.EdtLegalAddress->isEnabled());

    // A new record starts with everything enabled again.
    m.newRecord();
    QVERIFY(e.BtnSpouce->isEnabled() && e.btnReq->isEnabled() && e.btnHide->isEnabled());
    QVERIFY(e.EdtPhoneRab->isEnabled() && !looksBlanked(e.EdtPhoneRab));
    QVERIFY(e.EdtPhoneRab->text().isEmpty());
}

void TestRecordEditor::fullViewForPermittedUser()
{
    MainWindowHarness h(QStringLiteral("boss"));
    const int id = h.insertRecord(secretov());
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    h.showRecord(id);
    QCOMPARE(e.EdtLegalAddress->text(), QStringLiteral("юр"));
    QCOMPARE(e.EdtPhoneRab->text(), QStringLiteral("111"));
    QCOMPARE(e.DTBirthDay->date(), QDate(1970, 7, 7));
    for (QWidget* on :
         std::initializer_list<QWidget*>{e.BtnChange, e.BtnDelete, e.btnHide, e.BtnSpouce, e.btnReq,
                                         e.EdtLegalAddress, e.DTBirthDay, e.EdtPhoneRab})
        QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    QVERIFY(menuItem(m, "N17")->isEnabled() && menuItem(m, "N18")->isEnabled() &&
            menuItem(m, "N11")->isEnabled());

    // With nobody named, every user may change the record.
    Sql::run(h.db(), QStringLiteral("UPDATE sprav SET owns = '' WHERE id = :id"), {{"id", id}});
    m.signIn(QStringLiteral("anyone"));
    h.showRecord(id);
    QCOMPARE(e.EdtLegalAddress->text(), QStringLiteral("юр"));
    QVERIFY(e.BtnChange->isEnabled());
}

void TestRecordEditor::wholeRecordHiddenShownToStranger()
{
    MainWindowHarness h(QStringLiteral("u1"));
    const int id = h.insertRecord(SampleRecord::person("Невидимка")
                                      .legalAddress("юр")
                                      .phone(1, "111")
                                      .birthday(QDate(1970, 7, 7))
                                      .owns(" boss ")
                                      .hided("all"));
    TfrNewRecord& e = h.editor();
    QVERIFY(!e.ShowRecord(id));
    QCOMPARE(h.prompts().log(),
             QStringList{QStringLiteral("warning: Эта запись вам больше не доступна.")});
    QVERIFY(e.EdtF->text().isEmpty());
    QVERIFY(e.EdtLegalAddress->text().isEmpty());
    QVERIFY(e.EdtPhoneRab->text().isEmpty());
    QCOMPARE(e.DTBirthDay->date(), QDate(1899, 12, 30));
    // Nothing of it reaches a new record made from the editor.
    h.main().newFromTemplate();
    QVERIFY(e.btnOkClick());
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM phone")), 1);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav WHERE legaladdress = 'юр'")), 1);
}

void TestRecordEditor::everyCodeHidesItsParts_data()
{
    QTest::addColumn<int>("code");
    // The editor controls (buttons for the spouse data and requisites) that
    // the code hides from a user not named in owns.
    QTest::addColumn<QStringList>("hidden");
    const QStringList addresses = {QStringLiteral("EdtLegalAddress"),
                                   QStringLiteral("EdtFizAddress"),
                                   QStringLiteral("EdtPostAddress"),
                                   QStringLiteral("EdtHomeAddress"), QStringLiteral("EdtPath")};
    const QStringList phones = {QStringLiteral("EdtPhoneRab"),    QStringLiteral("EdtPhoneHome"),
                                QStringLiteral("EdtPhoneMob"),    QStringLiteral("EdtPhoneLine"),
                                QStringLiteral("EdtPhoneSecret"), QStringLiteral("EdtPhoneFax"),
                                QStringLiteral("EdtOtherPhone")};
    QTest::newRow("1") << 1 << addresses;
    for (int code = 2; code <= 6; ++code)
        QTest::addRow("%d", code) << code << QStringList{addresses.at(code - 2)};
    QTest::newRow("7") << 7 << QStringList{QStringLiteral("EdtEMail")};
    QTest::newRow("8") << 8 << QStringList{QStringLiteral("DTBirthDay")};
    QTest::newRow("9") << 9 << QStringList{QStringLiteral("BtnSpouce")};
    QTest::newRow("10") << 10 << QStringList{QStringLiteral("btnReq")};
    QTest::newRow("11") << 11 << phones;
    for (int code = 12; code <= 18; ++code)
        QTest::addRow("%d", code) << code << QStringList{phones.at(code - 12)};
}

// Each code, through the store and the editor: hidden parts neither loaded
// nor shown to a stranger, everything loaded and shown to a permitted user.
void TestRecordEditor::everyCodeHidesItsParts()
{
    QFETCH(int, code);
    QFETCH(QStringList, hidden);
    MainWindowHarness h(QStringLiteral("u1"));
    SampleRecord r = SampleRecord::person("Скрытный")
                         .legalAddress("юр")
                         .fizAddress("физ")
                         .postAddress("почт")
                         .homeAddress("дом")
                         .path("путь")
                         .email("a@b")
                         .birthday(QDate(1970, 7, 7))
                         .spouse("Супруга")
                         .req("ИНН")
                         .otherPhones("доп")
                         .owns(" boss ")
                         .hided(QStringLiteral(" %1 ").arg(code));
    for (int kind = 1; kind <= 6; ++kind)
        r.phone(kind, QString::number(kind));
    const int id = h.insertRecord(r);
    TfrNewRecord& e = h.editor();

    // Per control, whether the store left its value out for the user.
    const auto goneFor = [&](const QString& user) {
        const RecordData loaded = *RecordStore(h.db()).load(id, user);
        return QHash<QString, bool>{
            {QStringLiteral("EdtLegalAddress"), loaded.legaladdress.isEmpty()},
            {QStringLiteral("EdtFizAddress"), loaded.fizaddress.isEmpty()},
            {QStringLiteral("EdtPostAddress"), loaded.postaddress.isEmpty()},
            {QStringLiteral("EdtHomeAddress"), loaded.homeaddress.isEmpty()},
            {QStringLiteral("EdtPath"), loaded.path.isEmpty()},
            {QStringLiteral("EdtEMail"), loaded.email.isEmpty()},
            {QStringLiteral("DTBirthDay"), !loaded.birthday.isValid()},
            {QStringLiteral("BtnSpouce"), loaded.spfio.isEmpty()},
            {QStringLiteral("btnReq"), loaded.req.isEmpty()},
            {QStringLiteral("EdtPhoneRab"), loaded.phones[1].isEmpty()},
            {QStringLiteral("EdtPhoneHome"), loaded.phones[2].isEmpty()},
            {QStringLiteral("EdtPhoneMob"), loaded.phones[3].isEmpty()},
            {QStringLiteral("EdtPhoneLine"), loaded.phones[4].isEmpty()},
            {QStringLiteral("EdtPhoneSecret"), loaded.phones[5].isEmpty()},
            {QStringLiteral("EdtPhoneFax"), loaded.phones[6].isEmpty()},
            {QStringLiteral("EdtOtherPhone"), loaded.otherphones.isEmpty()},
        };
    };
    const QHash<QString, bool> gone = goneFor(QStringLiteral("u1"));
    h.showRecord(id);
    for (auto it = gone.cbegin(); it != gone.cend(); ++it) {
        const auto* control = e.findChild<QWidget*>(it.key());
        QVERIFY(control);
        const bool expected = hidden.contains(it.key());
        QVERIFY2(it.value() == expected, qPrintable(it.key()));
        QVERIFY2(control->isEnabled() != expected, qPrintable(it.key()));
    }

    h.main().signIn(QStringLiteral("boss"));
    const QHash<QString, bool> kept = goneFor(QStringLiteral("boss"));
    h.showRecord(id);
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
        QVERIFY2(!it.value(), qPrintable(it.key()));
        QVERIFY2(e.findChild<QWidget*>(it.key())->isEnabled(), qPrintable(it.key()));
    }
}

void TestRecordEditor::templateOfBlankedRecordStoresNoHiddenValues()
{
    MainWindowHarness h(QStringLiteral("u1"));
    const int id = h.insertRecord(SampleRecord::person("Чужой")
                                      .legalAddress("юр")
                                      .birthday(QDate(1970, 7, 7))
                                      .spouse("Супруга")
                                      .req("ИНН")
                                      .phone(1, "111")
                                      .phone(2, "222")
                                      .owns(" boss ")
                                      .hided(" 2 8 9 10 12 "));
    TfrNewRecord& e = h.editor();
    h.showRecord(id);
    h.main().newFromTemplate();
    QVERIFY(looksBlanked(e.EdtLegalAddress)); // the template keeps the blanked look
    QVERIFY(e.btnOkClick());

    const int copy = h.count(QStringLiteral("SELECT MAX(id) FROM sprav"));
    QVERIFY(copy != id);
    QCOMPARE(h.column(copy, QStringLiteral("legaladdress")).toString(), QString());
    QVERIFY(!h.column(copy, QStringLiteral("legaladdress")).isNull());
    QVERIFY(!h.column(copy, QStringLiteral("birthday")).isValid());
    QCOMPARE(h.column(copy, QStringLiteral("spfio")).toString(), QString());
    QCOMPARE(h.column(copy, QStringLiteral("req")).toString(), QString());
    QCOMPARE(h.column(copy, QStringLiteral("f")).toString(), QStringLiteral("Чужой"));
    QSqlQuery q = Sql::run(h.db(),
                           QStringLiteral("SELECT noteid, phone FROM phone WHERE parentid = "
                                          ":id"),
                           {{"id", copy}});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 2); // no blank work phone
    QCOMPARE(q.value(1).toString(), QStringLiteral("222"));
    QVERIFY(!q.next());
}

// The fields of a record the user may not change take no typing, so no edit
// of it can be lost; an edit marked all the same is refused, never written.
void TestRecordEditor::refusedSaveOfForeignRecord()
{
    MainWindowHarness h(QStringLiteral("u1"));
    RecordStore(h.db()).addProf(QStringLiteral("Инженер"));
    const int id = h.insertRecord(SampleRecord::person("Чужой")
                                      .prof("Инженер")
                                      .legalAddress("юр")
                                      .phone(1, "111")
                                      .owns(" boss ")
                                      .hided(" 1 12 "));
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    h.showRecord(id);
    typeInto(e.EdtF, QStringLiteral("Переписан"));
    typeInto(e.MmInfo, QStringLiteral("Заметка"));
    e.CmbProf->setFocus();
    QTest::keyClick(e.CmbProf, Qt::Key_Down);
    QCOMPARE(e.EdtF->text(), QStringLiteral("Чужой"));
    QVERIFY(e.MmInfo->toPlainText().isEmpty());
    QCOMPARE(e.CmbProf->currentText(), QStringLiteral("Инженер"));
    QVERIFY(e.DTBirthDay->isReadOnly());
    QVERIFY(!e.isModified());
    m.TBSave->click();
    QVERIFY(h.prompts().log().isEmpty());

    e.setModified(true);
    m.TBSave->click();
    QCOMPARE(h.prompts().log(),
             QStringList{QStringLiteral("warning: Эту запись вам изменять нельзя")});
    QCOMPARE(h.column(id, QStringLiteral("f")).toString(), QStringLiteral("Чужой"));
    QCOMPARE(h.column(id, QStringLiteral("legaladdress")).toString(), QStringLiteral("юр"));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM phone WHERE phone = '111'")), 1);

    // A new record takes typing again.
    h.prompts().answerConfirm(Prompts::Answer::No);
    m.newRecord();
    typeInto(e.EdtF, QStringLiteral("Свой"));
    QCOMPARE(e.EdtF->text(), QStringLiteral("Свой"));
    QVERIFY(e.isModified());
}

void TestRecordEditor::saveAfterOtherUserKeepsTheTyping_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("message");
    // Asked what to do; the box closed without an answer goes back to editing.
    QTest::newRow("changed") << false << "choose: Запись изменена другим пользователем (u2, ";
    QTest::newRow("deleted") << true << "choose: Запись удалена другим пользователем (u2, ";
}

void TestRecordEditor::saveAfterOtherUserKeepsTheTyping()
{
    QFETCH(bool, deleted);
    QFETCH(QString, message);
    MainWindowHarness h(QStringLiteral("u1"));
    RecordData r = SampleRecord::person("Старый");
    const int id = h.insertRecord(r);
    TfrNewRecord& e = h.editor();
    h.showRecord(id);
    e.EdtF->selectAll();
    typeInto(e.EdtF, QStringLiteral("Мой"));

    // Another workstation stores its change or deletes the record meanwhile.
    RecordStore other(h.db());
    const RecordWrite write{other.revision(id).rev, QStringLiteral("u2"), false};
    r.f = QStringLiteral("Чужой");
    if (deleted)
        other.remove(id, write);
    else
        other.update(id, r, write);
    QTest::mouseClick(e.BtnChange, Qt::LeftButton);

    QCOMPARE(h.prompts().log().size(), 1);
    QVERIFY2(h.prompts().last().startsWith(message), qPrintable(h.prompts().last()));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav WHERE f = 'Чужой'")),
             deleted ? 0 : 1);
    QCOMPARE(e.EdtF->text(), QStringLiteral("Мой"));
    QVERIFY(e.isModified());
}

void TestRecordEditor::changeStoresAndReturnsToSearch()
{
    MainWindowHarness h(QStringLiteral("u1"));
    RecordStore(h.db()).addProf(QStringLiteral("Инженер"));
    const int id = h.insertRecord(SampleRecord::person("Старый")
                                      .prof("Инженер")
                                      .city("Казань")
                                      .hided(" 12 ")
                                      .phone(1, "111")
                                      .phone(3, "333")
                                      .spouse("Анна"));
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    // A birthday text written elsewhere that does not read as a date.
    Sql::run(h.db(), QStringLiteral("UPDATE sprav SET birthday = '1975-03-07' WHERE id = :id"),
             {{"id", id}});
    h.showRecord(id);
    QCOMPARE(e.CmbProf->currentText(), QStringLiteral("Инженер"));
    QCOMPARE(e.CmbCity->currentText(), QStringLiteral("Казань"));

    e.EdtF->selectAll();
    typeInto(e.EdtF, QStringLiteral("Новый "));
    e.EdtPhoneRab->clear();
    typeInto(e.EdtPhoneHome, QStringLiteral("222"));
    e.EdtPhoneMob->setText(QStringLiteral("3333"));
    e.CmbProf->setEditText(QString());
    e.CmbCity->setEditText(QString());
    QTest::mouseClick(e.BtnChange, Qt::LeftButton);

    QCOMPARE(h.column(id, QStringLiteral("f")).toString(), QStringLiteral("Новый"));
    QVERIFY(!h.column(id, QStringLiteral("profid")).isValid());
    QCOMPARE(h.column(id, QStringLiteral("cityid")).toInt(), 0);
    QCOMPARE(h.column(id, QStringLiteral("spfio")).toString(), QStringLiteral("Анна"));
    QCOMPARE(h.column(id, QStringLiteral("hided")).toString(), QStringLiteral(" 12 "));
    QCOMPARE(h.column(id, QStringLiteral("birthday")).toString(), QStringLiteral("1975-03-07"));
    const RecordData stored = *RecordStore(h.db()).load(id, QString());
    QVERIFY(stored.phones[1].isEmpty());
    QCOMPARE(stored.phones[2], QStringLiteral("222"));
    QCOMPARE(stored.phones[3], QStringLiteral("3333"));
    QCOMPARE(m.frames->currentWidget(), static_cast<QWidget*>(m.frFindMain));
    // The search view's commands, with the template button on again after
    // the change until the next command.
    QVERIFY(!m.TBSave->isEnabled() && !m.N8->isEnabled() && !menuItem(m, "N15")->isEnabled());
    QVERIFY(m.TBPattern->isEnabled());
    QVERIFY(e.state().templateEnabled);
    QVERIFY(!e.isModified());
    QVERIFY(e.EdtF->text().isEmpty());
    QVERIFY(!e.BtnChange->isHidden()); // shown-record mode stays behind the search view
    menuItem(m, "N2")->trigger();
    QVERIFY(!m.TBPattern->isEnabled());
}

void TestRecordEditor::deleteAsksFirst()
{
    MainWindowHarness h(QStringLiteral("u1"));
    const RecordData r = SampleRecord::person("Удаляемый").phone(1, "1").phone(6, "6");
    const int id = h.insertRecord(r);
    const int other = h.insertRecord(r);
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    h.showRecord(id);
    h.prompts().answerConfirm(Prompts::Answer::No);
    QTest::mouseClick(e.BtnDelete, Qt::LeftButton);
    QCOMPARE(h.prompts().log(),
             QStringList{QStringLiteral("confirm: Вы уверенны, что хотите удалить запись?")});
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 2);
    QCOMPARE(e.EdtF->text(), QStringLiteral("Удаляемый"));
    QCOMPARE(m.frames->currentWidget(), static_cast<QWidget*>(&e));

    h.prompts().answerConfirm(Prompts::Answer::Yes);
    menuItem(m, "N18")->trigger();
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 1);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM phone")), 2);
    QCOMPARE(h.count(QStringLiteral("SELECT MIN(parentid) FROM phone")), other);
    QCOMPARE(m.frames->currentWidget(), static_cast<QWidget*>(m.frFindMain));
    QVERIFY(e.EdtF->text().isEmpty());
    QVERIFY(!m.N8->isEnabled());
}

void TestRecordEditor::requisites()
{
    MainWindowHarness h(QStringLiteral("u1"));
    TfrNewRecord& e = h.editor();
    TFmMain& m = h.main();
    m.newRecord();
    h.prompts().answerText(QStringLiteral("  р/с 4070; DROP TABLE sprav ' "));
    QTest::mouseClick(e.btnReq, Qt::LeftButton);
    QCOMPARE(h.prompts().log(), QStringList{QStringLiteral(
                                    "input: Заполнение реквизитов | Поле для ввода реквизитов:")});
    QCOMPARE(e.requisites(), QStringLiteral("  р/с 4070; DROP TABLE sprav ' "));
    QVERIFY(!e.isModified());
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 0);
    QVERIFY(e.btnOkClick());
    const int id = h.count(QStringLiteral("SELECT id FROM sprav"));
    QCOMPARE(h.column(id, QStringLiteral("req")).toString(),
             QStringLiteral("р/с 4070; DROP TABLE sprav '"));

    // A shown record: stored at once, trimmed; the field keeps the typed text.
    h.showRecord(id);
    QCOMPARE(e.requisites(), QStringLiteral("р/с 4070; DROP TABLE sprav '"));
    h.prompts().answerText(QStringLiteral(" БИК 1 "));
    menuItem(m, "N10")->trigger();
    QCOMPARE(h.column(id, QStringLiteral("req")).toString(), QStringLiteral("БИК 1"));
    QCOMPARE(e.requisites(), QStringLiteral(" БИК 1 "));
    h.prompts().cancelText();
    menuItem(m, "N10")->trigger();
    QCOMPARE(e.requisites(), QStringLiteral(" БИК 1 "));
    QCOMPARE(h.column(id, QStringLiteral("req")).toString(), QStringLiteral("БИК 1"));

    // A user who may not change the record types requisites that are never stored.
    Sql::run(h.db(),
             QStringLiteral("UPDATE sprav SET owns = ' boss ', hided = ' 1 ' WHERE id = :id"),
             {{"id", id}});
    h.showRecord(id);
    h.prompts().answerText(QStringLiteral("чужие"));
    e.btnReqClick();
    QCOMPARE(e.requisites(), QStringLiteral("чужие"));
    QCOMPARE(h.column(id, QStringLiteral("req")).toString(), QStringLiteral("БИК 1"));
}

void TestRecordEditor::mailAndWebLinks()
{
    MainWindowHarness h;
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    QStringList opened;
    ShellOpen::setHandler([&opened](const QUrl& url) { opened.append(url.toString()); });
    const QColor plain = e.Label12->palette().color(QPalette::WindowText);

    QTest::mouseMove(e.Label12);
    QTest::mouseClick(e.Label12, Qt::LeftButton);
    QVERIFY(opened.isEmpty());
    QVERIFY(!e.Label12->font().underline());
    QCOMPARE(e.Label12->cursor().shape(), Qt::ArrowCursor);

    typeInto(e.EdtEMail, QStringLiteral("ivan@example.org"));
    typeInto(e.EdtWww, QStringLiteral("example.org/путь"));
    QTest::mouseMove(e.Label12, QPoint(5, 5));
    QTRY_VERIFY(e.Label12->font().underline());
    QCOMPARE(e.Label12->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(e.Label12->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(e.Label12, Qt::LeftButton);
    QCOMPARE(opened, QStringList{QStringLiteral("mailto:ivan@example.org")});

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(e.Label12, &leave);
    QVERIFY(!e.Label12->font().underline());
    QCOMPARE(e.Label12->palette().color(QPalette::WindowText), plain);
    QCOMPARE(e.Label12->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseMove(e.Label19, QPoint(5, 5));
    QTRY_VERIFY(e.Label19->font().underline());
    QTest::mouseClick(e.Label19, Qt::LeftButton);
    QCOMPARE(opened.last(), QStringLiteral("http://example.org/путь"));
    ShellOpen::setHandler({});
}

void TestRecordEditor::hostileInputInEveryBox()
{
    MainWindowHarness h(QStringLiteral("u1"));
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    const QStringList hostile = {
        QStringLiteral("'); DELETE FROM sprav; --"),
        QStringLiteral("д'Артаньян \"Мушкетёр\";"),
        QStringLiteral("1 OR 1=1 /* :f ? $1 %_ */"),
        QStringLiteral("Смайл 😀 и 👍🏽"),
        QString(255, QChar(0x0416)),
    };
    const QList<QLineEdit*> edits = {
        e.EdtF,         e.EdtIO,           e.EdtPhoneRab,   e.EdtPhoneHome,   e.EdtPhoneMob,
        e.EdtPhoneLine, e.EdtPhoneSecret,  e.EdtPhoneFax,   e.EdtOtherPhone,  e.EdtShortPp,
        e.EdtLongPp,    e.EdtLegalAddress, e.EdtFizAddress, e.EdtPostAddress, e.EdtHomeAddress,
        e.EdtPath,      e.EdtEMail,        e.EdtWww,
    };
    h.prompts().answerText(QStringLiteral("'; --"));
    for (qsizetype i = 0; i < edits.size(); ++i)
        typeInto(edits.at(i), hostile.at(i % hostile.size()));
    typeInto(e.CmbProf, hostile.at(1));
    typeInto(e.CmbCity, hostile.at(3));
    typeInto(e.MmInfo, hostile.at(0) + QLatin1Char('\n') + hostile.at(3));
    e.EdtF->setFocus(); // leaves the city: asks its code
    QVERIFY(h.prompts().log().size() == 1);
    QTest::mouseClick(e.btnOk, Qt::LeftButton);
    QCOMPARE(h.prompts().log().size(), 1);

    const int id = h.count(QStringLiteral("SELECT id FROM sprav"));
    h.showRecord(id);
    for (qsizetype i = 0; i < edits.size(); ++i)
        QCOMPARE(edits.at(i)->text(), hostile.at(i % hostile.size()));
    QCOMPARE(e.CmbProf->currentText(), hostile.at(1));
    QCOMPARE(e.CmbCity->currentText(), hostile.at(3));
    QCOMPARE(e.MmInfo->toPlainText(), hostile.at(0) + QLatin1Char('\n') + hostile.at(3));
    QCOMPARE(RecordStore(h.db()).cityCode(hostile.at(3)),
             std::optional<QString>(QStringLiteral("'; --")));
}

void TestRecordEditor::failedStoreKeepsTheTyping()
{
    MainWindowHarness h(QStringLiteral("u1"));
    TfrNewRecord& e = h.editor();
    h.main().newRecord();
    typeInto(e.EdtF, QStringLiteral("Несохранённый"));
    typeInto(e.EdtPhoneRab, QStringLiteral("111"));
    Sql::run(h.db(), QStringLiteral("DROP TABLE phone"));
    h.main().TBSave->click();
    QCOMPARE(h.prompts().log().size(), 1);
    QVERIFY(h.prompts().last().startsWith(QStringLiteral("error: ")));
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), 0);
    QCOMPARE(e.EdtF->text(), QStringLiteral("Несохранённый"));
    QCOMPARE(e.EdtPhoneRab->text(), QStringLiteral("111"));
    QVERIFY(e.isModified());
    QVERIFY(!e.btnOkClick());
}

void TestRecordEditor::nulRefusedWithFieldWarning_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label"); // the field's label
    QTest::addColumn<bool>("shown");    // a shown record changed, else a new record stored
    QTest::newRow("surname") << "EdtF"
                             << "Label1" << false;
    QTest::newRow("mobile phone") << "EdtPhoneMob"
                                  << "Label17" << false;
    QTest::newRow("job title") << "CmbProf"
                               << "Label3" << false;
    QTest::newRow("notes") << "MmInfo"
                           << "StaticText1" << false;
    QTest::newRow("name of a shown record") << "EdtIO"
                                            << "Label2" << true;
}

// No database keeps a NUL: the field's own warning, before any statement.
void TestRecordEditor::nulRefusedWithFieldWarning()
{
    QFETCH(QString, field);
    QFETCH(QString, label);
    QFETCH(bool, shown);
    MainWindowHarness h(QStringLiteral("u1"));
    TfrNewRecord& e = h.editor();
    const RecordData stored = SampleRecord::person("Иванов", "Иван");
    const int id = shown ? h.insertRecord(stored) : 0;
    if (shown)
        h.showRecord(id);
    else
        h.main().newRecord();
    const QString text = QStringLiteral("Ива") + QChar(u'\0') + QStringLiteral("нов");
    QWidget* widget = e.findChild<QWidget*>(field);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setEditText(text);
    else
        qobject_cast<QPlainTextEdit*>(widget)->setPlainText(text);

    QTest::mouseClick(shown ? e.BtnChange : e.btnOk, Qt::LeftButton);
    QCOMPARE(h.prompts().log().size(), 1);
    QVERIFY2(h.prompts().last().startsWith(QStringLiteral("warning: ")) &&
                 h.prompts().last().contains(e.findChild<QLabel*>(label)->text().trimmed()),
             qPrintable(h.prompts().last()));
    QCOMPARE(focused(), widget);
    QCOMPARE(h.count(QStringLiteral("SELECT COUNT(*) FROM sprav")), shown ? 1 : 0);
    if (shown)
        QCOMPARE(h.column(id, QStringLiteral("io")).toString(), stored.io);
}

void TestRecordEditor::noticeOfChangeElsewhere_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("typedFirst");
    QTest::addColumn<QString>("notice");

    const QString update = QStringLiteral("UPDATE sprav SET f = 'Другой' WHERE id = :id");
    QTest::newRow("changed") << update << false
                             << QStringLiteral("Запись изменена на другой рабочей станции.");
    QTest::newRow("deleted") << QStringLiteral("DELETE FROM sprav WHERE id = :id") << false
                             << QStringLiteral("Запись удалена на другой рабочей станции.");
    QTest::newRow("changed while typing") << update << true << QString();
}

// The change is made on the editor's own connection and told by hand, as
// the change watcher tells what other connections commit.
void TestRecordEditor::noticeOfChangeElsewhere()
{
    QFETCH(QString, statement);
    QFETCH(bool, typedFirst);
    QFETCH(QString, notice);
    MainWindowHarness h;
    const int id = h.insertRecord(SampleRecord::person("Первый"));
    TfrNewRecord& e = h.editor();
    h.showRecord(id);
    e.directoryChanged(); // nothing changed yet
    QVERIFY(e.LblChanged->isHidden());

    if (typedFirst)
        typeText(e.EdtIO, QStringLiteral("Ив"));
    Sql::run(h.db(), statement, {{"id", id}});
    e.directoryChanged();

    QCOMPARE(!e.LblChanged->isHidden(), !notice.isEmpty());
    if (!notice.isEmpty())
        QCOMPARE(e.LblChanged->text(), notice);
    QCOMPARE(e.EdtF->text(), QStringLiteral("Первый"));
    QCOMPARE(e.EdtIO->text(), typedFirst ? QStringLiteral("Ив") : QString());
    QCOMPARE(!e.BtnReload->isHidden(), notice.contains(QStringLiteral("изменена")));
    if (e.BtnReload->isHidden())
        return;
    QTest::mouseClick(e.BtnReload, Qt::LeftButton);
    QCOMPARE(e.EdtF->text(), QStringLiteral("Другой"));
    QVERIFY(e.LblChanged->isHidden());
    QVERIFY(e.showsRecord());
}

QTEST_MAIN(TestRecordEditor)
#include "tst_recordeditor.moc"
