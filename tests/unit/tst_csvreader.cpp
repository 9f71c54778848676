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

namespace
{

// The header rows Outlook writes, in English and in Russian, in their order.
const QStringList outlookEnglish =
    QStringLiteral("Title,First Name,Middle Name,Last Name,Suffix,Company,Department,"
                   "Job Title,Business Street,Business Street 2,Business Street 3,"
                   "Business City,Business State,Business Postal Code,"
                   "Business Country/Region,Home Street,Home Street 2,Home Street 3,"
                   "Home City,Home State,Home Postal Code,Home Country/Region,"
                   "Other Street,Other Street 2,Other Street 3,Other City,Other State,"
                   "Other Postal Code,Other Country/Region,Assistant's Phone,Business Fax,"
                   "Business Phone,Business Phone 2,Callback,Car Phone,Company Main Phone,"
                   "Home Fax,Home Phone,Home Phone 2,ISDN,Mobile Phone,Other Fax,"
                   "Other Phone,Pager,Primary Phone,Radio Phone,TTY/TDD Phone,Telex,"
                   "Account,Anniversary,Assistant's Name,Billing Information,Birthday,"
                   "Business Address PO Box,Categories,Children,Directory Server,"
                   "E-mail Address,E-mail Type,E-mail Display Name,E-mail 2 Address,"
                   "E-mail 2 Type,E-mail 2 Display Name,E-mail 3 Address,E-mail 3 Type,"
                   "E-mail 3 Display Name,Gender,Government ID Number,Hobby,"
                   "Home Address PO Box,Initials,Internet Free Busy,Keywords,Language,"
                   "Location,Manager's Name,Mileage,Notes,Office Location,"
                   "Organizational ID Number,Other Address PO Box,Priority,Private,"
                   "Profession,Referred By,Sensitivity,Spouse,User 1,User 2,User 3,User 4,"
                   "Web Page")
        .split(QLatin1Char(','));
const QStringList outlookRussian =
    QStringLiteral("Обращение,Имя,Отчество,Фамилия,Суффикс,Организация,Отдел,Должность,"
                   "Улица (раб. адрес),Улица 2 (раб. адрес),Улица 3 (раб. адрес),"
                   "Город (раб. адрес),Область (раб. адрес),Индекс (раб. адрес),"
                   "Страна или регион (раб. адрес),Улица (дом. адрес),"
                   "Улица 2 (дом. адрес),Улица 3 (дом. адрес),Город (дом. адрес),"
                   "Область (дом. адрес),Почтовый код (дом.),"
                   "Страна или регион (дом. адрес),Улица (другой адрес),"
                   "Улица 2 (другой адрес),Улица 3 (другой адрес),Город (другой адрес),"
                   "Область (другой адрес),Индекс (другой адрес),"
                   "Страна или регион (другой адрес),Телефон помощника,Факс (раб.),"
                   "Рабочий телефон,Телефон раб. 2,Обратный вызов,Телефон в машине,"
                   "Основной телефон организации,Факс (дом.),Домашний телефон,"
                   "Телефон дом. 2,ISDN,Телефон переносной,Другой факс,Другой телефон,"
                   "Пейджер,Основной телефон,Радиотелефон,Телетайп/телефон с титрами,"
                   "Телекс,Учетная запись,Годовщина,Имя помощника,Сведения о счете,"
                   "День рождения,Почтовый ящик (раб. адрес),Категории,Дети,"
                   "Сервер каталогов,Адрес эл. почты,Тип эл. почты,Краткое имя эл. почты,"
                   "Адрес 2 эл. почты,Тип 2 эл. почты,Краткое 2 имя эл. почты,"
                   "Адрес 3 эл. почты,Тип 3 эл. почты,Краткое 3 имя эл. почты,Пол,"
                   "Код правительства,Хобби,Почтовый ящик (дом. адрес),Инициалы,"
                   "Сведения о доступности в Интернете,Ключевые слова,Язык,"
                   "Местонахождение,Имя руководителя,Расстояние,Заметки,Расположение,"
                   "Код организации,Почтовый ящик (другой адрес),Важность,Частное,"
                   "Профессия,Рекомендован,Пометка,Супруг(а),Пользователь 1,"
                   "Пользователь 2,Пользователь 3,Пользователь 4,Веб-страница")
        .split(QLatin1Char(','));

// A file of the header and one contact, the values given by column name.
QByteArray outlookFile(const QStringList& header, const QMap<QString, QString>& values)
{
    QStringList cells(header.size());
    for (auto v = values.begin(); v != values.end(); ++v)
        cells[header.indexOf(v.key())] = v.value();
    return (header.join(QLatin1Char(',')) + QStringLiteral("\r\n") + cells.join(QLatin1Char(',')) +
            QStringLiteral("\r\n"))
        .toUtf8();
}

} // namespace

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
    void namesColumnsNotImported();
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

    // Every phone, fax, e-mail and address column of Outlook's export, in
    // both languages; the second work phone and the pager to the other
    // phones.
    const QStringList en = outlookEnglish;
    const QStringList ru = outlookRussian;
    const QList<Fields> outlookContact = {{{"f", "Smirnova"},
                                           {"io", "Anna"},
                                           {"shortpp", "Uralstroy"},
                                           {"prof", "Accountant"},
                                           {"city", "Perm"},
                                           {"fizaddress", "12 Lenin St, 614000"},
                                           {"homeaddress", "5 Mira St"},
                                           {"phone1", "200-00-01"},
                                           {"phone2", "300-00-01"},
                                           {"phone3", "+7 912 000-00-00"},
                                           {"phone4", "200-00-00"},
                                           {"phone5", "200-00-09"},
                                           {"phone6", "200-00-05"},
                                           {"otherphones", "200-00-02, 300-00-05, 777"},
                                           {"email", "anna@uralstroy.ru, anna@mail.ru"},
                                           {"www", "uralstroy.ru"}}};
    for (const auto& [tag, header] : {std::pair{"outlook english, every column", en},
                                      std::pair{"outlook russian, every column", ru}})
        QTest::newRow(tag) << outlookFile(header, {{header.at(3), "Smirnova"},
                                                   {header.at(1), "Anna"},
                                                   {header.at(5), "Uralstroy"},
                                                   {header.at(6), "Accounts"},
                                                   {header.at(7), "Accountant"},
                                                   {header.at(8), "12 Lenin St"},
                                                   {header.at(11), "Perm"},
                                                   {header.at(13), "614000"},
                                                   {header.at(15), "5 Mira St"},
                                                   {header.at(29), "200-00-09"},
                                                   {header.at(30), "200-00-05"},
                                                   {header.at(31), "200-00-01"},
                                                   {header.at(32), "200-00-02"},
                                                   {header.at(35), "200-00-00"},
                                                   {header.at(36), "300-00-05"},
                                                   {header.at(37), "300-00-01"},
                                                   {header.at(40), "+7 912 000-00-00"},
                                                   {header.at(43), "777"},
                                                   {header.at(57), "anna@uralstroy.ru"},
                                                   {header.at(60), "anna@mail.ru"},
                                                   {header.at(91), "uralstroy.ru"}})
                           << outlookContact;
    // A phone column no rule knows goes to the other phones with its name.
    QTest::newRow("unknown phone column")
        << QByteArray("Фамилия,Имя,Телефон на даче,Home Fax 2\r\nИванов,Иван,123-45-67,765\r\n")
        << QList<Fields>{{{"f", "Иванов"},
                          {"io", "Иван"},
                          {"otherphones", "Телефон на даче: 123-45-67, Home Fax 2: 765"}}};

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

// Outlook's columns that hold nothing of a record are named, and only those.
void TestCsvReader::namesColumnsNotImported()
{
    for (const QStringList& header : {outlookEnglish, outlookRussian}) {
        const QStringList skipped = CsvMapping::recognize(header)->unmapped(header);
        QVERIFY(skipped.contains(header.at(6)));  // the department
        QVERIFY(skipped.contains(header.at(54))); // the categories
        for (int phoneOrMail : {29, 30, 36, 41, 44, 47, 57, 60, 63})
            QVERIFY2(!skipped.contains(header.at(phoneOrMail)), qPrintable(header.at(phoneOrMail)));
    }
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
