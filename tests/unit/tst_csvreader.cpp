// SPDX-License-Identifier: MIT
#include "ContactFiles.h"
#include "exchange/ContactFile.h"
#include "exchange/CsvMapping.h"
#include "exchange/CsvReader.h"
#include "exchange/CsvWriter.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using Fields = QMap<QString, QString>;

// CSV files shaped like the exports of spreadsheets and mail programs, read
// into the records the import stores.
class TestCsvReader : public QObject
{
    Q_OBJECT

private slots:
    void readsRecords_data();
    void readsRecords();
    void recognizesHeaders_data();
    void recognizesHeaders();
    void formulasStayText_data();
    void formulasStayText();
};

void TestCsvReader::readsRecords_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Fields>>("records");

    // This program's own export: UTF-8 with a mark, semicolons, quoted
    // fields with semicolons, quotes and line breaks; a row of empty
    // fields below the table; phones kept with their blanks.
    QTest::newRow("own export")
        << QByteArray("\xEF\xBB\xBF"
                      "Фамилия;Имя Отчество;Краткое название п/п;Город;Физический адрес;"
                      "Рабочий телефон;Другие телефоны;День рождения;Дополнительная информация\r\n"
                      "Иванов;Иван Иванович;\"ООО \"\"Ромашка; и Ко\"\"\";Казань;"
                      "ул. Баумана, 1; 231-00-00 ;доб. 12;07.03.1975;\"две\r\nстроки\"\r\n"
                      ";;;;;;;;\r\n")
        << QList<Fields>{{{"f", "Иванов"},
                          {"io", "Иван Иванович"},
                          {"shortpp", "ООО \"Ромашка; и Ко\""},
                          {"city", "Казань"},
                          {"fizaddress", "ул. Баумана, 1"},
                          {"phone1", " 231-00-00 "},
                          {"otherphones", "доб. 12"},
                          {"birthday", "07.03.1975"},
                          {"info", "две\nстроки"}}};

    // Outlook in English: commas, every field quoted, a note over two lines
    // with doubled quotes, US dates, the second business phone to the
    // other phones.
    QTest::newRow("outlook english")
        << QByteArray("\"First Name\",\"Middle Name\",\"Last Name\",\"Title\",\"Company\","
                      "\"Job Title\",\"Business Street\",\"Business City\","
                      "\"Business Postal Code\",\"Business Country/Region\",\"Business Fax\","
                      "\"Business Phone\",\"Business Phone 2\",\"Home Phone\",\"Mobile Phone\","
                      "\"Birthday\",\"E-mail Address\",\"Notes\",\"Spouse\",\"Web Page\"\r\n"
                      "\"Anna\",\"Sergeevna\",\"Smirnova\",\"Mrs.\",\"Uralstroy, LLC\","
                      "\"Accountant\",\"12 Lenin St\",\"Perm\",\"614000\",\"Russia\",\"\","
                      "\"+7 342 200-00-01\",\"+7 342 200-00-02\",\"\",\"+7 912 000-00-00\","
                      "\"4/12/1981\",\"anna@uralstroy.ru\",\"Line one\r\nLine \"\"two\"\"\","
                      "\"Oleg\",\"www.uralstroy.ru\"\r\n")
        << QList<Fields>{{{"f", "Smirnova"},
                          {"io", "Anna Sergeevna"},
                          {"shortpp", "Uralstroy, LLC"},
                          {"prof", "Accountant"},
                          {"city", "Perm"},
                          {"fizaddress", "12 Lenin St, 614000, Russia"},
                          {"phone1", "+7 342 200-00-01"},
                          {"phone3", "+7 912 000-00-00"},
                          {"otherphones", "+7 342 200-00-02"},
                          {"birthday", "12.04.1981"},
                          {"email", "anna@uralstroy.ru"},
                          {"info", "Line one\nLine \"two\""},
                          {"spfio", "Oleg"},
                          {"www", "www.uralstroy.ru"}}};

    // Outlook in Russian as Excel saves it: Windows-1251, semicolons, "0.0.00"
    // for no birthday.
    QTest::newRow("outlook russian windows-1251")
        << ContactFiles::windows1251(QStringLiteral(
               "Обращение;Имя;Отчество;Фамилия;Организация;Должность;Улица (раб. адрес);"
               "Город (раб. адрес);Индекс (раб. адрес);Рабочий факс;Рабочий телефон;"
               "Телефон переносной;День рождения;Адрес эл. почты;Заметки;Супруг(а)\r\n"
               ";Иван;Иванович;Иванов;ООО Ромашка;Директор;ул. Баумана, 1;Казань;420111;"
               "231-00-01;231-00-00;+7 917 000-00-00;17.03.1985;ivanov@romashka.ru;"
               "Звонить утром;\r\n"
               ";Пётр;;Петров;;;;;;;;;0.0.00;;;Ольга\r\n"))
        << QList<Fields>{{{"f", "Иванов"},
                          {"io", "Иван Иванович"},
                          {"shortpp", "ООО Ромашка"},
                          {"prof", "Директор"},
                          {"city", "Казань"},
                          {"fizaddress", "ул. Баумана, 1, 420111"},
                          {"phone1", "231-00-00"},
                          {"phone3", "+7 917 000-00-00"},
                          {"phone6", "231-00-01"},
                          {"birthday", "17.03.1985"},
                          {"email", "ivanov@romashka.ru"},
                          {"info", "Звонить утром"}},
                         {{"f", "Петров"}, {"io", "Пётр"}, {"spfio", "Ольга"}}};

    // Google: numbered groups whose label names the kind, several values in
    // one cell, a birthday without a year, a spouse among the relations.
    QTest::newRow("google")
        << QByteArray("Name,Given Name,Additional Name,Family Name,Birthday,Notes,"
                      "Group Membership,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,"
                      "Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Address 1 - Type,"
                      "Address 1 - Formatted,Address 1 - Street,Address 1 - City,"
                      "Address 1 - Postal Code,Organization 1 - Type,Organization 1 - Name,"
                      "Organization 1 - Title,Relation 1 - Type,Relation 1 - Value\n"
                      "Сергей Орлов,Сергей,,Орлов,--05-09,,* myContacts,* Work,orlov@mail.ru,"
                      "Mobile,+7 903 111-22-33 ::: +7 903 111-22-44,Work Fax,+7 495 000-00-00,"
                      "Work,\"ул. Тверская, 1\nМосква 125009\",ул. Тверская 1,Москва,125009,,"
                      "ООО Орёл,Менеджер,Spouse,Елена Орлова\n")
        << QList<Fields>{{{"f", "Орлов"},
                          {"io", "Сергей"},
                          {"birthday", "09.05.1904"},
                          {"email", "orlov@mail.ru"},
                          {"phone3", "+7 903 111-22-33"},
                          {"phone6", "+7 495 000-00-00"},
                          {"otherphones", "+7 903 111-22-44"},
                          {"city", "Москва"},
                          {"fizaddress", "ул. Тверская 1, 125009"},
                          {"shortpp", "ООО Орёл"},
                          {"prof", "Менеджер"},
                          {"spfio", "Елена Орлова"}}};

    // Thunderbird: a comma after the last column, the birthday in parts.
    QTest::newRow("thunderbird")
        << QByteArray("First Name,Last Name,Display Name,Nickname,Primary Email,"
                      "Secondary Email,Screen Name,Work Phone,Home Phone,Fax Number,Pager Number,"
                      "Mobile Number,Home Address,Home Address 2,Home City,Home State,"
                      "Home ZipCode,Home Country,Work Address,Work Address 2,Work City,"
                      "Work State,Work ZipCode,Work Country,Job Title,Department,Organization,"
                      "Web Page 1,Web Page 2,Birth Year,Birth Month,Birth Day,Custom 1,Custom 2,"
                      "Custom 3,Custom 4,Notes,\n"
                      "Olga,Petrova,Olga Petrova,,olga@example.org,,,+7 843 1,,,,+7 917 2,,,,,,,"
                      "Office 5,,Kazan,,,,Engineer,,Tatneft,,,1990,7,4,,,,,,\n")
        << QList<Fields>{{{"f", "Petrova"},
                          {"io", "Olga"},
                          {"email", "olga@example.org"},
                          {"phone1", "+7 843 1"},
                          {"phone3", "+7 917 2"},
                          {"fizaddress", "Office 5"},
                          {"city", "Kazan"},
                          {"prof", "Engineer"},
                          {"shortpp", "Tatneft"},
                          {"birthday", "04.07.1990"}}};

    // UTF-16 with a mark; a row with more fields than the header, a surname
    // longer than the editor takes, and a NUL (which UTF-16 can carry) are
    // refused by their lines.
    QTest::newRow("utf-16, refused rows")
        << ContactFiles::utf16le("Фамилия,Имя,Мобильный телефон\r\nОдин,Первый,+7 1\r\n"
                                 "Два,Второй,+7 2,лишнее\r\n" +
                                 QString(256, u'Ж').toUtf8() + ",Третий,\r\nЧет" +
                                 QByteArray(1, '\0') + "ыре,,\r\n")
        << QList<Fields>{{{"f", "Один"}, {"io", "Первый"}, {"phone3", "+7 1"}},
                         {{"rejected", "строка 3: в строке больше полей (4), чем столбцов (3)"}},
                         {{"rejected", "строка 4: Фамилия — длиннее 255 знаков"}},
                         {{"rejected", "строка 5: Фамилия — в тексте нулевой знак (NUL)"}}};
}

void TestCsvReader::readsRecords()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<Fields>, records);
    QTemporaryDir dir;
    QCOMPARE(ContactFiles::read(ContactFiles::write(dir, QStringLiteral("contacts.csv"), file)),
             records);
}

void TestCsvReader::recognizesHeaders_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<bool>("known");
    QTest::newRow("own") << CsvMapping::ownHeader() << true;
    QTest::newRow("names only") << QStringList{"Фамилия", "Имя"} << true;
    QTest::newRow("unknown") << QStringList{"Кто", "Куда", "Телефон"} << false;
    QTest::newRow("phones without names") << QStringList{"Рабочий телефон", "Факс"} << false;
    QTest::newRow("data, no header") << QStringList{"Иванов", "Иван", "231-00-00"} << false;
}

void TestCsvReader::recognizesHeaders()
{
    QFETCH(QStringList, header);
    QFETCH(bool, known);
    const std::optional<CsvMapping> mapping = CsvMapping::recognize(header);
    QCOMPARE(mapping.has_value(), known);
    if (header == CsvMapping::ownHeader())
        QCOMPARE(*mapping, CsvMapping::own());
}

// A text a spreadsheet would run is written behind an apostrophe and read
// back exactly; phones and a lone dash stay as they are.
void TestCsvReader::formulasStayText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    const auto row = [](const char* tag, const QString& text, const QString& written) {
        QTest::newRow(tag) << text << written;
    };
    row("equals", "=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\"");
    row("at", "@SUM(A1)", "'@SUM(A1)");
    row("plus word", "+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0");
    row("minus word", "-x", "'-x");
    row("tab", "\tx", "'\tx");
    row("carriage return", "\rx", "\"'\nx\"");
    row("separator inside", "=A1;B1", "\"'=A1;B1\"");
    row("phone", "+7 843 555-28-34", "+7 843 555-28-34");
    row("negative", "-5", "-5");
    row("dash", "-", "-");
    row("plus", "+", "+");
    row("apostrophe of its own", "'abc", "'abc");
    row("apostrophe before a formula", "'=x", "''=x");
    row("equals inside", "a=b", "a=b");
}

void TestCsvReader::formulasStayText()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(CsvWriter::quoted(text), written);
    auto file = std::make_unique<QBuffer>();
    file->setData((written + QStringLiteral("\r\n")).toUtf8());
    QVERIFY(file->open(QIODevice::ReadOnly));
    CsvReader reader(std::move(file), TextEncoding::Kind::Utf8, QLatin1Char(CsvWriter::separator));
    QStringList fields;
    int line = 0;
    QVERIFY(reader.next(fields, line));
    QString expected = text;
    expected.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QCOMPARE(fields, QStringList{expected});
}

QTEST_GUILESS_MAIN(TestCsvReader)
#include "tst_csvreader.moc"
