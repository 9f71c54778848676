// SPDX-License-Identifier: MIT
#include "ContactFiles.h"
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "WhenShown.h"
#include "app/TFmMain.h"
#include "editor/ui/TfrNewRecord.h"
#include "exchange/ui/ExportDialog.h"
#include "exchange/ui/ImportDialog.h"
#include "search/FoundModel.h"
#include "search/ui/TfrFind.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// «Файл» → «Импорт...» and «Экспорт...» driven as a user would: the file
// box, the preview with its column mapping, the export choices, the summary.
class TestExchangeFlow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void onlyForSomebodySignedIn();
    void importCsvWithColumnsSetByHand();
    void secondImportSkipsDuplicates();
    void unreadableFileStoresNothing();
    void exportOfTheResultList();

private:
    int storedRecords() const
    {
        return m_harness->count(QStringLiteral("SELECT COUNT(*) FROM sprav"));
    }

    std::unique_ptr<MainWindowHarness> m_harness;
    TFmMain* m_main = nullptr;
    ScriptedPrompts* m_prompts = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestExchangeFlow::init()
{
    SPRAV_REQUIRE_DATABASE();
    m_harness =
        std::make_unique<MainWindowHarness>(QStringLiteral("ivan"), MainWindowHarness::Cities());
    m_main = &m_harness->main();
    m_prompts = &m_harness->prompts();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestExchangeFlow::cleanup()
{
    m_harness.reset();
    m_dir.reset();
}

void TestExchangeFlow::onlyForSomebodySignedIn()
{
    QVERIFY(menuItem(m_main, "NImport")->isEnabled());
    QVERIFY(menuItem(m_main, "NExport")->isEnabled());
    TFmMain signedOut(m_harness->db());
    QVERIFY(!menuItem(signedOut, "NImport")->isEnabled());
    QVERIFY(!menuItem(signedOut, "NExport")->isEnabled());
}

// An unknown header: nothing maps until the user says what the columns
// hold; then the preview shows the records and "Импортировать" stores them.
void TestExchangeFlow::importCsvWithColumnsSetByHand()
{
    m_harness->insertRecord(SampleRecord::person("Архипов"));
    m_main->frFindMain->BtnAllClick();
    m_prompts->answerFileName(
        ContactFiles::write(*m_dir, QStringLiteral("list.csv"),
                            "Кто;Где;Телефон;Кем\r\nИванов;ООО Ромашка;231-00-00;Столяр\r\n"
                            "Петров;ООО Лютик;231-00-01;\r\n"));
    whenShown<ImportDialog>([](ImportDialog* dialog) {
        QVERIFY(dialog->TblMapping->isVisible());
        QCOMPARE(dialog->TblMapping->rowCount(), 4);
        QCOMPARE(dialog->TblMapping->item(0, 0)->text(), QStringLiteral("Кто"));
        QCOMPARE(dialog->TblMapping->item(0, 1)->text(), QStringLiteral("Иванов"));
        QVERIFY(!dialog->BtnImport->isEnabled());
        QCOMPARE(dialog->TblPreview->item(0, 12)->text(),
                 QStringLiteral("отклонена: запись пуста"));
        auto choose = [dialog](int column, const QString& caption) {
            auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("CmbColumn%1").arg(column));
            QVERIFY(combo);
            const int index = combo->findText(caption);
            QVERIFY(index >= 0);
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        };
        choose(1, QStringLiteral("Фамилия"));
        choose(2, QStringLiteral("Краткое название п/п"));
        choose(3, QStringLiteral("Рабочий телефон"));
        QVERIFY(dialog->LblCounts->text().endsWith(
            QStringLiteral("\nНе импортируются столбцы: «Кем».")));
        choose(4, QStringLiteral("Должность"));
        QVERIFY(!dialog->LblCounts->text().contains(QStringLiteral("Не импортируются")));
        QCOMPARE(dialog->TblPreview->rowCount(), 2);
        QCOMPARE(dialog->TblPreview->item(1, 0)->text(), QStringLiteral("строка 3"));
        QCOMPARE(dialog->TblPreview->item(1, 1)->text(), QStringLiteral("Петров"));
        QCOMPARE(dialog->TblPreview->item(1, 3)->text(), QStringLiteral("ООО Лютик"));
        QCOMPARE(dialog->TblPreview->item(1, 6)->text(), QStringLiteral("Рабочий 231-00-01"));
        QVERIFY(dialog->BtnImport->isEnabled());
        QTest::mouseClick(dialog->BtnImport, Qt::LeftButton);
    });
    QVERIFY(menuItem(m_main, "NImport")->isEnabled());
    menuItem(m_main, "NImport")->trigger();
    QCOMPARE(m_prompts->log().value(0).left(24), QStringLiteral("open: Импорт контактов |"));
    QCOMPARE(m_prompts->last(),
             QStringLiteral("information: Сохранено записей: 2.\nПропущено (уже есть в "
                            "справочнике): 0.\nОтклонено: 0."));
    QCOMPARE(storedRecords(), 3);
    // The list shown before the import shows the new records, and the
    // editor offers the new job title.
    QCOMPARE(m_main->frFindMain->foundModel()->rowCount(), 3);
    QVERIFY(m_main->frNewRecordMain->CmbProf->findText(QStringLiteral("Столяр")) >= 0);
}

// A file of a few hundred cards, imported twice: the second time the preview
// marks every card, and nothing is stored.
void TestExchangeFlow::secondImportSkipsDuplicates()
{
    QByteArray cards;
    for (int i = 1; i <= 350; ++i)
        cards += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Фамилия%1;Имя;;;\r\n"
                                "TEL;TYPE=CELL:+7 900 %1\r\nEND:VCARD\r\n")
                     .arg(i)
                     .toUtf8();
    const QString path = ContactFiles::write(*m_dir, QStringLiteral("cards.vcf"), cards);
    for (int round = 0; round < 2; ++round) {
        m_prompts->answerFileName(path);
        whenShown<ImportDialog>([round](ImportDialog* dialog) {
            QVERIFY(!dialog->TblMapping->isVisible());
            QVERIFY(dialog->ChBDuplicates->isChecked());
            QCOMPARE(dialog->TblPreview->rowCount(), ImportDialog::previewRows);
            QCOMPARE(dialog->TblPreview->item(0, 12)->text(),
                     round == 0 ? QString() : QStringLiteral("уже есть в справочнике"));
            QCOMPARE(dialog->LblCounts->text(),
                     QStringLiteral("Записей в файле: 350, из них уже есть в справочнике: %1. "
                                    "Отклонено: 0.")
                         .arg(round == 0 ? 0 : 350));
            QTest::mouseClick(dialog->BtnImport, Qt::LeftButton);
        });
        menuItem(m_main, "NImport")->trigger();
        QVERIFY2(m_prompts->last().startsWith(
                     QStringLiteral("information: Сохранено записей: %1.\nПропущено (уже есть в "
                                    "справочнике): %2.")
                         .arg(round == 0 ? 350 : 0)
                         .arg(round == 0 ? 0 : 350)),
                 qPrintable(m_prompts->last()));
        QCOMPARE(storedRecords(), 350);
    }
}

void TestExchangeFlow::unreadableFileStoresNothing()
{
    m_prompts->answerFileName(
        ContactFiles::write(*m_dir, QStringLiteral("broken.vcf"),
                            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Иванов;;;;\r\nEND:VCARD\r\nBEGIN:"
                            "VCARD\r\nN:Петров;;;;\r\n"));
    menuItem(m_main, "NImport")->trigger();
    QCOMPARE(m_prompts->last(),
             QStringLiteral("error: Карточка 2, начатая в строке 5, не закончена: нет строки "
                            "END:VCARD.\nНичего не сохранено."));
    QCOMPARE(storedRecords(), 0);
    // A cancelled file box does nothing.
    m_prompts->clear();
    menuItem(m_main, "NImport")->trigger();
    QCOMPARE(m_prompts->log().size(), 1);
}

// The records of the result list, as CSV; the name gets its ending.
void TestExchangeFlow::exportOfTheResultList()
{
    for (const char* name : {"Иванов", "Петров"})
        m_harness->insertRecord(SampleRecord::person(name));
    m_main->frFindMain->EdtRequest->setText(QStringLiteral("иван"));
    QCOMPARE(m_main->frFindMain->foundModel()->rowCount(), 1);
    const QString path = m_dir->filePath(QStringLiteral("found"));
    m_prompts->answerFileName(path);
    whenShown<ExportDialog>([](ExportDialog* dialog) {
        QCOMPARE(dialog->RbList->text(), QStringLiteral("Записи списка результатов (1)"));
        QVERIFY(dialog->RbList->isChecked());
        QVERIFY(dialog->RbVCard->isChecked());
        dialog->RbCsv->click();
        QTest::mouseClick(dialog->BtnExport, Qt::LeftButton);
    });
    menuItem(m_main, "NExport")->trigger();
    QCOMPARE(m_prompts->last(), QStringLiteral("information: Экспортировано записей: 1.\nФайл: ") +
                                    QDir::toNativeSeparators(path + QStringLiteral(".csv")));
    QFile file(path + QStringLiteral(".csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains(QStringLiteral("\r\nИванов;")));
    QVERIFY(!text.contains(QStringLiteral("Петров")));
}

QTEST_MAIN(TestExchangeFlow)
#include "tst_exchangeflow.moc"
