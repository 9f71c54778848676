// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "ModalCloser.h"
#include "RecordSeed.h"
#include "SampleRecord.h"
#include "TypeText.h"
#include "app/TFmMain.h"
#include "common/Clock.h"
#include "db/Sql.h"
#include "editor/ui/TfrNewRecord.h"
#include "report/ReportPage.h"
#include "report/UserDataSet.h"
#include "report/ui/Report.h"
#include "search/FoundModel.h"
#include "search/ui/TfrFind.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace
{
const QDate julyFifth(2023, 7, 5);       // 14 birthdays
const QDate septNineteenth(2023, 9, 19); // 15 birthdays on the 20th
const QDate nobodysDay(2023, 1, 15);

// A record of "Тест" with a work phone that names its id.
int addRecord(const QSqlDatabase& db, const QString& f, const QString& shortpp, int city,
              const QDate& birthday = QDate())
{
    const int id = RecordSeed::record(
        db, SampleRecord::person(f, "Тест").firm(shortpp).birthday(birthday), city);
    RecordSeed::phone(db, id, 1, QStringLiteral("%1-00").arg(id));
    return id;
}
} // namespace

// The search view inside a real main window, on a database of 71 records:
// 20 of "Альфа" in Москва, 21 of "Бета" in Тверь, 29 with birthdays and one
// record in Клин hidden from the signed-in user petrov.
class TestTfrFind : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void birthdayCommandsAfterLogin();
    void typingListsFromTheThirdCharacter();
    void numberTypedOrPastedFindsTheCaller();
    void gridHeightAndColumns();
    void nothingFoundHidesTheGrid();
    void birthdayList();
    void cityCombo();
    void refreshRepeatsEachListing();
    void changeElsewhereKeepsThePlace_data();
    void changeElsewhereKeepsThePlace();
    void commitOfAnotherCopyReachesTheList();
    void doubleClickOpensTheRecord();
    void recordHiddenSinceListedIsNotShown();
    void printingReadsTheGrid();

private:
    void openWindow(const QDate& today);
    TfrFind* find() const { return m_window->frFindMain; }
    int shown() const
    {
        return find()->SGFindRes->isHidden() ? -1 : find()->foundModel()->rowCount();
    }
    QSqlDatabase db() const { return m_harness->db(); }

    std::unique_ptr<MainWindowHarness> m_harness;
    TFmMain* m_window = nullptr;
    ScriptedPrompts* m_prompts = nullptr;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    int m_moscow = 0;
    int m_tver = 0;
};

void TestTfrFind::openWindow(const QDate& today)
{
    Clock::setToday(today);
    const auto seed = [this](const QSqlDatabase& db) {
        m_moscow = RecordSeed::city(db, QStringLiteral("Москва"), QStringLiteral("495"));
        m_tver = RecordSeed::city(db, QStringLiteral("Тверь"), QStringLiteral("4822"));
        const int klin = RecordSeed::city(db, QStringLiteral("Клин"), QStringLiteral("49624"));
        const auto numbered = [](const char* name, int i) {
            return QString::fromUtf8(name) + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        };
        for (int i = 1; i <= 20; ++i)
            addRecord(db, numbered("Альфов", i), QStringLiteral("Альфа"), m_moscow);
        for (int i = 1; i <= 21; ++i)
            addRecord(db, numbered("Бетов", i), QStringLiteral("Бета"), m_tver);
        for (int i = 1; i <= 14; ++i)
            addRecord(db, numbered("Июлев", i), QStringLiteral("Июль"), 0, QDate(1960 + i, 7, 5));
        for (int i = 1; i <= 15; ++i)
            addRecord(db, numbered("Сентябрёв", i), QStringLiteral("Сентябрь"), 0,
                      QDate(1960 + i, 9, 20));
        RecordSeed::record(
            db, SampleRecord::person("Клинов", "Клим").firm("Завод").hided("all").owns(" ivanov "),
            klin);
    };
    m_harness =
        std::make_unique<MainWindowHarness>(QString(), MainWindowHarness::Cities(), false, seed);
    m_window = &m_harness->main();
    m_prompts = &m_harness->prompts();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_tester = std::make_unique<QAbstractItemModelTester>(
        find()->SGFindRes->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_window->signIn(QStringLiteral("petrov"));
}

void TestTfrFind::cleanup()
{
    m_tester.reset();
    m_harness.reset();
    Clock::setToday(QDate());
}

void TestTfrFind::birthdayCommandsAfterLogin()
{
    openWindow(nobodysDay);
    QVERIFY(m_window->TBBirth->isHidden());
    QVERIFY(!menuItem(m_window, "N5")->isEnabled());
    // Nothing else is listed at login; the print button alone is on.
    QVERIFY(find()->SGFindRes->isHidden());
    QVERIFY(find()->LblResult->isHidden());
    QVERIFY(!menuItem(m_window, "N3")->isEnabled());
    QVERIFY(m_window->TBPrint->isEnabled());
    QVERIFY(find()->EdtRequest->hasFocus());
    // The cities of the records, sorted, the hidden record's city included.
    QStringList cities;
    for (int i = 0; i < find()->CmbCity->count(); ++i)
        cities.append(find()->CmbCity->itemText(i));
    QCOMPARE(cities, (QStringList{QStringLiteral("Клин"), QStringLiteral("Москва"),
                                  QStringLiteral("Тверь")}));
    QVERIFY(find()->CmbCity->currentText().isEmpty());
    QVERIFY(!find()->CmbCity->isHidden());
    QCOMPARE(m_prompts->log(), QStringList());
    cleanup();

    openWindow(julyFifth);
    QTRY_VERIFY(m_window->TBBirth->isVisible());
    QVERIFY(menuItem(m_window, "N5")->isEnabled());
}

void TestTfrFind::typingListsFromTheThirdCharacter()
{
    openWindow(nobodysDay);
    find()->CmbCity->setEditText(QStringLiteral("Тверь"));
    typeText(find()->EdtRequest, QStringLiteral("  а"));
    // Typing empties the city text even when nothing runs.
    QVERIFY(find()->CmbCity->currentText().isEmpty());
    typeText(find()->EdtRequest, QStringLiteral("л"));
    QVERIFY(find()->SGFindRes->isHidden());
    QVERIFY(find()->LblResult->isHidden());
    typeText(find()->EdtRequest, QStringLiteral("ь"));
    QCOMPARE(shown(), 20);
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 20"));
    QVERIFY(menuItem(m_window, "N3")->isEnabled());
    QVERIFY(m_window->TBPrint->isEnabled());
    const FoundModel* model = find()->foundModel();
    QCOMPARE(model->text(0, 1), QStringLiteral("Альфов01 Тест"));
    QCOMPARE(model->text(0, 2), QStringLiteral("Альфа"));
    QCOMPARE(model->text(0, 3), QStringLiteral("(495) Рабочий: %1-00; ").arg(model->idAt(0)));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("Название предприятия"));

    // Back to two characters: the listing stays.
    QTest::keyClick(find()->EdtRequest, Qt::Key_Backspace);
    QCOMPARE(shown(), 20);
    typeText(find()->EdtRequest, QStringLiteral("ьфов1"));
    QCOMPARE(shown(), 10);
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 10"));
}

// A number as a caller-ID display or a note writes it lists the owner of
// the phone, like any search result; three digits are a name search.
void TestTfrFind::numberTypedOrPastedFindsTheCaller()
{
    openWindow(nobodysDay);
    const int id = addRecord(db(), QStringLiteral("Звонков"), QStringLiteral("Связь"), m_moscow);
    RecordSeed::phone(db(), id, 3, QStringLiteral("+7 (917) 512-34-56"));
    typeText(find()->EdtRequest, QStringLiteral("8 917 5123456"));
    QCOMPARE(shown(), 1);
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 1"));
    const FoundModel* model = find()->foundModel();
    QCOMPARE(model->text(0, 1), QStringLiteral("Звонков Тест"));
    QCOMPARE(model->text(0, 3),
             QStringLiteral("(495) Рабочий: %1-00; Мобильный: +7 (917) 512-34-56; ").arg(id));
    find()->EdtRequest->setText(QStringLiteral("34-56"));
    QCOMPARE(shown(), 1);
    find()->EdtRequest->setText(QStringLiteral("512"));
    QVERIFY(find()->SGFindRes->isHidden());
}

void TestTfrFind::gridHeightAndColumns()
{
    openWindow(nobodysDay);
    QTableView* grid = find()->SGFindRes;
    typeText(find()->EdtRequest, QStringLiteral("Альфа"));
    QCOMPARE(shown(), 20); // 21 grid rows with the header
    QCOMPARE(grid->geometry(), QRect(3, 39, 679, 381));
    QVERIFY(grid->isColumnHidden(0));
    QVERIFY(grid->verticalHeader()->isHidden());
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 17);
    QCOMPARE(grid->rowHeight(5), 17);

    find()->EdtRequest->clear();
    typeText(find()->EdtRequest, QStringLiteral("Бета"));
    QCOMPARE(shown(), 21); // 22 grid rows
    QCOMPARE(grid->height(), 399);

    const auto checkColumns = [grid] {
        const int w = grid->viewport()->width();
        return grid->columnWidth(1) == 9 * w / 32 && grid->columnWidth(2) == 7 * w / 32 &&
               grid->columnWidth(3) == 16 * w / 32 - 4;
    };
    QTRY_VERIFY(checkColumns());

    // All 70 visible records: the grid keeps its height and scrolls; the
    // columns share the width left beside the scroll bar.
    QTest::mouseClick(find()->BtnAll, Qt::LeftButton);
    QCOMPARE(shown(), 70);
    QCOMPARE(grid->height(), 399);
    QTRY_VERIFY(grid->verticalScrollBar()->isVisible());
    QTRY_VERIFY(checkColumns());
    QVERIFY(grid->viewport()->width() < 679 - 2 * grid->frameWidth());
    QVERIFY(!grid->model()->flags(grid->model()->index(0, 1)).testFlag(Qt::ItemIsEditable));
}

void TestTfrFind::nothingFoundHidesTheGrid()
{
    openWindow(nobodysDay);
    typeText(find()->EdtRequest, QStringLiteral("Бета"));
    QCOMPARE(shown(), 21);
    typeText(find()->EdtRequest, QStringLiteral(" нет"));
    QVERIFY(find()->SGFindRes->isHidden());
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 0"));
    QVERIFY(!find()->LblResult->isHidden());
    QVERIFY(!menuItem(m_window, "N3")->isEnabled());
    QVERIFY(!m_window->TBPrint->isEnabled());
    // Nothing is printed from a hidden grid.
    ModalCloser preview;
    find()->Button1Click();
    QCOMPARE(preview.closed(), QStringList{QStringLiteral("ReportPreview")});
    QCOMPARE(find()->frUserDS->rangeEndCount(), 0);
}

void TestTfrFind::birthdayList()
{
    openWindow(julyFifth);
    QTableView* grid = find()->SGFindRes;
    find()->EdtRequest->setText(QStringLiteral("xy"));
    find()->CmbCity->setEditText(QStringLiteral("Москва"));
    QVERIFY(menuItem(m_window, "N5")->isEnabled());
    menuItem(m_window, "N5")->trigger();
    QCOMPARE(shown(), 14); // 15 grid rows with the header
    QCOMPARE(grid->height(), 273);
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 14"));
    QVERIFY(find()->EdtRequest->text().isEmpty());
    QVERIFY(find()->CmbCity->currentText().isEmpty());
    const FoundModel* model = find()->foundModel();
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("День рождения"));
    QCOMPARE(model->text(0, 1), QStringLiteral("Июлев01 Тест"));
    QCOMPARE(model->text(0, 2), QStringLiteral("05.07.1961"));
    QCOMPARE(model->text(0, 3), QStringLiteral("Рабочий: %1-00; ").arg(model->idAt(0)));
    QTRY_VERIFY(grid->columnWidth(1) == grid->viewport()->width() / 4 &&
                grid->columnWidth(3) == grid->viewport()->width() / 2 - 4);
    // The print commands keep the state they had: off before any listing...
    QVERIFY(!menuItem(m_window, "N3")->isEnabled());

    // ...and on after a listing that showed rows; tomorrow's window (20.09) has 15.
    find()->BtnAllClick();
    QVERIFY(menuItem(m_window, "N3")->isEnabled());
    Clock::setToday(septNineteenth);
    QTest::mouseClick(m_window->TBBirth, Qt::LeftButton);
    QCOMPARE(shown(), 15); // 16 grid rows
    QCOMPARE(grid->height(), 291);
    QVERIFY(menuItem(m_window, "N3")->isEnabled());
    QVERIFY(m_window->TBPrint->isEnabled());

    Clock::setToday(nobodysDay);
    find()->btnBirthClick();
    QVERIFY(grid->isHidden());
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 0"));
    QVERIFY(menuItem(m_window, "N3")->isEnabled());
}

void TestTfrFind::cityCombo()
{
    openWindow(nobodysDay);
    QComboBox* city = find()->CmbCity;
    find()->EdtRequest->setText(QStringLiteral("Альфа"));
    QCOMPARE(shown(), 20);

    // Enter runs the city listing, the letter case of the name aside.
    city->setFocus();
    typeText(city, QStringLiteral("тверь"));
    QTest::keyClick(city, Qt::Key_Return);
    QCOMPARE(shown(), 21);
    QCOMPARE(find()->foundModel()->text(0, 3).left(7), QStringLiteral("(4822) "));
    QCOMPARE(city->count(), 3); // typed text is not added to the list
    // The search text stays.
    QCOMPARE(find()->EdtRequest->text(), QStringLiteral("Альфа"));

    // Leaving the combo lists the city again.
    city->setEditText(QStringLiteral("Москва"));
    find()->BtnAll->setFocus();
    QCOMPARE(shown(), 20);

    // Choosing from the list.
    city->setFocus();
    city->showPopup();
    QTRY_VERIFY(city->view()->isVisible());
    const int tver = city->findText(QStringLiteral("Тверь"));
    city->view()->setCurrentIndex(city->model()->index(tver, 0));
    QTest::keyClick(city->view(), Qt::Key_Return);
    QCOMPARE(city->currentText(), QStringLiteral("Тверь"));
    QCOMPARE(shown(), 21);

    // A city whose records are all hidden from petrov.
    city->setEditText(QStringLiteral("Клин"));
    QTest::keyClick(city, Qt::Key_Enter);
    QVERIFY(find()->SGFindRes->isHidden());
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 0"));
    QCOMPARE(m_prompts->log(), QStringList());
}

void TestTfrFind::refreshRepeatsEachListing()
{
    openWindow(julyFifth);

    // A search, with the search text kept.
    typeText(find()->EdtRequest, QStringLiteral("бет"));
    QCOMPARE(shown(), 21);
    addRecord(db(), QStringLiteral("Бетов22"), QStringLiteral("Бета"), m_tver);
    find()->RefreshList();
    QCOMPARE(shown(), 22);
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 22"));

    // A city listing, with the city text kept.
    find()->EdtRequest->clear();
    find()->CmbCity->setEditText(QStringLiteral("Москва"));
    find()->CmbCityExit();
    QCOMPARE(shown(), 20);
    addRecord(db(), QStringLiteral("Альфов21"), QStringLiteral("Альфа"), m_moscow);
    find()->RefreshList();
    QCOMPARE(find()->CmbCity->currentText(), QStringLiteral("Москва"));
    QCOMPARE(shown(), 21);
    QCOMPARE(find()->foundModel()->headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("Название предприятия"));

    // The birthday list.
    menuItem(m_window, "N5")->trigger();
    QCOMPARE(shown(), 14);
    addRecord(db(), QStringLiteral("Июлев15"), QStringLiteral("Июль"), 0, QDate(2000, 7, 6));
    find()->RefreshList();
    QCOMPARE(shown(), 15);
    QCOMPARE(find()->foundModel()->headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("День рождения"));

    // All records.
    menuItem(m_window, "N4")->trigger();
    QCOMPARE(shown(), 73);
    addRecord(db(), QStringLiteral("Новиков"), QStringLiteral("Новая"), 0);
    find()->RefreshList();
    QCOMPARE(shown(), 74);
    QCOMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: 74"));

    // Nothing found: the city list is refilled, nothing is listed.
    typeText(find()->EdtRequest, QStringLiteral("нет такого"));
    QVERIFY(find()->SGFindRes->isHidden());
    const int omsk = RecordSeed::city(db(), QStringLiteral("Омск"), QStringLiteral("3812"));
    addRecord(db(), QStringLiteral("Омичев"), QStringLiteral("нет такого"), omsk);
    find()->RefreshList();
    QVERIFY(find()->SGFindRes->isHidden());
    QVERIFY(find()->CmbCity->findText(QStringLiteral("Омск")) >= 0);
}

void TestTfrFind::changeElsewhereKeepsThePlace_data()
{
    QTest::addColumn<bool>("deleteSelected");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selectedRow");
    QTest::newRow("record added above") << false << 71 << 41;
    QTest::newRow("selected record deleted") << true << 69 << 40;
}

// The change is made on the window's own connection and told by hand, as
// the change watcher tells what other connections commit.
void TestTfrFind::changeElsewhereKeepsThePlace()
{
    QFETCH(bool, deleteSelected);
    QFETCH(int, count);
    QFETCH(int, selectedRow);
    openWindow(julyFifth);
    menuItem(m_window, "N4")->trigger();
    QCOMPARE(shown(), 70);
    QTableView* grid = find()->SGFindRes;
    grid->setCurrentIndex(find()->foundModel()->index(40, FoundModel::NameColumn));
    grid->verticalScrollBar()->setValue(30);
    const int selected = find()->foundModel()->idAt(40);

    if (deleteSelected)
        Sql::run(db(), QStringLiteral("DELETE FROM sprav WHERE id = :id"), {{"id", selected}});
    else
        addRecord(db(), QStringLiteral("Аабов"), QStringLiteral("Новая"), m_moscow);
    find()->directoryChanged();

    QTRY_COMPARE(find()->LblResult->text(), QStringLiteral("Найдено записей: %1").arg(count));
    QCOMPARE(shown(), count);
    QCOMPARE(grid->currentIndex().row(), selectedRow);
    if (!deleteSelected)
        QCOMPARE(find()->foundModel()->idAt(selectedRow), selected);
    QCOMPARE(grid->rowAt(0), 30);
    QCOMPARE(find()->foundModel()->secondHeader(), FoundModel::firmHeader());
}

void TestTfrFind::commitOfAnotherCopyReachesTheList()
{
    openWindow(julyFifth);
    typeText(find()->EdtRequest, QStringLiteral("бет"));
    QCOMPARE(shown(), 21);
    const auto other = m_harness->connectAgain(QStringLiteral("other"));
    RecordSeed::record(other->db(), SampleRecord::person("Бетов22").firm("Бета"));
    QTRY_COMPARE_WITH_TIMEOUT(shown(), 22, 10000);
    QCOMPARE(find()->EdtRequest->text(), QStringLiteral("бет"));
}

void TestTfrFind::doubleClickOpensTheRecord()
{
    openWindow(nobodysDay);
    QTest::mouseClick(find()->BtnAll, Qt::LeftButton);
    QTableView* grid = find()->SGFindRes;
    const FoundModel* model = find()->foundModel();
    QVERIFY(!m_window->N8->isEnabled());

    const QRect row2 = grid->visualRect(model->index(2, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
    QCOMPARE(m_window->frames->currentWidget(), m_window->frNewRecordMain);
    QCOMPARE(m_window->frNewRecordMain->currentId(), model->idAt(2));
    QVERIFY(m_window->N8->isEnabled());
    QVERIFY(m_window->TBSave->isEnabled());
    QVERIFY(menuItem(m_window, "N15")->isEnabled());
    QVERIFY(m_window->TBPattern->isEnabled());

    // Back in the search view: arrow keys move the row, Enter opens it.
    menuItem(m_window, "N2")->trigger();
    QVERIFY(!m_window->N8->isEnabled());
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentIndex().row(), 4);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(m_window->frames->currentWidget(), m_window->frNewRecordMain);
    QCOMPARE(m_window->frNewRecordMain->currentId(), model->idAt(4));
    QVERIFY(m_window->N8->isEnabled());

    // The header row opens the current record as well.
    menuItem(m_window, "N2")->trigger();
    grid->setCurrentIndex(model->index(6, 1));
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                       QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    QCOMPARE(m_window->frames->currentWidget(), m_window->frNewRecordMain);
    QCOMPARE(m_window->frNewRecordMain->currentId(), model->idAt(6));
}

// Another workstation hides a listed record as a whole: opening its stale row
// shows none of it, says so, and lists anew.
void TestTfrFind::recordHiddenSinceListedIsNotShown()
{
    openWindow(nobodysDay);
    typeText(find()->EdtRequest, QStringLiteral("Альфов"));
    const FoundModel* model = find()->foundModel();
    QCOMPARE(model->rowCount(), 20);
    const int id = model->idAt(0);
    {
        auto other = m_harness->connectAgain(QStringLiteral("other"));
        Sql::run(other->db(),
                 QStringLiteral("UPDATE sprav SET hided = 'all', owns = ' ivanov ' WHERE id = :id"),
                 {{"id", id}});
    }
    QTableView* grid = find()->SGFindRes;
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(model->index(0, 1)).center());
    QCOMPARE(m_prompts->log(),
             QStringList{QStringLiteral("warning: Эта запись вам больше не доступна.")});
    QCOMPARE(m_window->frames->currentWidget(), m_window->frFindMain);
    QVERIFY(!m_window->N8->isEnabled());
    QCOMPARE(model->rowCount(), 19);
    TfrNewRecord* editor = m_window->frNewRecordMain;
    QVERIFY(editor->EdtF->text().isEmpty());
    QVERIFY(editor->EdtPhoneRab->text().isEmpty());
}

void TestTfrFind::printingReadsTheGrid()
{
    openWindow(nobodysDay);
    find()->BtnAllClick();
    {
        ModalCloser preview;
        find()->Button1Click();
        QCOMPARE(preview.closed(), QStringList{QStringLiteral("ReportPreview")});
    }
    UserDataSet* data = find()->frUserDS;
    QCOMPARE(data->rangeEndCount(), 70);

    // The printed lines are the grid's rows, in grid order.
    const FoundModel* model = find()->foundModel();
    QStringList printedNames;
    for (const ReportPage& page : find()->repShort2->preparedPages())
        printedNames += page.texts(QStringLiteral("Memo5"));
    QCOMPARE(printedNames.size(), 70);
    QCOMPARE(printedNames.first(), model->text(0, 1));
    QCOMPARE(printedNames.last(), model->text(69, 1));

    data->first();
    data->next(); // record 1 stands for the second listed row
    QVariant value = QStringLiteral("untouched");
    find()->repShort2GetValue(QStringLiteral(" fio"), value);
    QCOMPARE(value.toString(), model->text(1, 1));
    find()->repShort2GetValue(QStringLiteral(" pp"), value);
    QCOMPARE(value.toString(), model->text(1, 2));
    find()->repShort2GetValue(QStringLiteral(" phone"), value);
    QCOMPARE(value.toString(), model->text(1, 3));
    QVERIFY(value.toString().endsWith(QStringLiteral("; ")));
    value = QStringLiteral("untouched");
    find()->repShort2GetValue(QStringLiteral("Page#"), value);
    QCOMPARE(value.toString(), QStringLiteral("untouched"));
}

QTEST_MAIN(TestTfrFind)
#include "tst_tfrfind.moc"
