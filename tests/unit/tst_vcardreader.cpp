// SPDX-License-Identifier: MIT
#include "ContactFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using Fields = QMap<QString, QString>;

// vCards shaped like the exports of phones and mail programs, read into the
// records the import stores.
class TestVCardReader : public QObject
{
    Q_OBJECT

private slots:
    void readsCards_data();
    void readsCards();
};

namespace
{

QByteArray crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

} // namespace

void TestVCardReader::readsCards_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Fields>>("records");

    // An old phone: 2.1, bare parameters, quoted-printable in Windows-1251
    // with a soft line break.
    QTest::newRow("2.1 quoted-printable windows-1251")
        << crlf(
               "BEGIN:VCARD\n"
               "VERSION:2.1\n"
               "N;CHARSET=WINDOWS-1251;ENCODING=QUOTED-PRINTABLE:=C8=E2=E0=ED=EE=E2;=C8=E2=E0=ED;"
               "=CF=E5=F2=F0=EE=E2=E8=F7;;\n"
               "FN;CHARSET=WINDOWS-1251;ENCODING=QUOTED-PRINTABLE:=C8=E2=E0=ED =C8=E2=E0=ED=EE=E2\n"
               "TEL;CELL;PREF:+79171234567\n"
               "TEL;WORK;VOICE:(843) 231-00-00\n"
               "TEL;HOME:56-78-90\n"
               "TEL;WORK;FAX:231-00-01\n"
               "NOTE;CHARSET=WINDOWS-1251;ENCODING=QUOTED-PRINTABLE:=C7=E2=EE=ED=E8=F2=FC =EF=EE"
               "=F1=EB=E5 14:00, =\n"
               "=EF=F0=EE=F1=E8=F2=FC =C0=ED=ED=F3\n"
               "END:VCARD\n")
        << QList<Fields>{{{"f", "Иванов"},
                          {"io", "Иван Петрович"},
                          {"phone1", "(843) 231-00-00"},
                          {"phone2", "56-78-90"},
                          {"phone3", "+79171234567"},
                          {"phone6", "231-00-01"},
                          {"info", "Звонить после 14:00, просить Анну"}}};

    // A mail program's 2.1 in raw Windows-1251 bytes: ORG with a department,
    // two work phones (the second goes to the other phones), a pager, an
    // address whose locality becomes the city, BDAY as yyyyMMdd.
    QTest::newRow("2.1 windows-1251 bytes")
        << ContactFiles::windows1251(
               QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\n"
                              "N;LANGUAGE=ru;CHARSET=windows-1251:Кузнецов;Алексей;Петрович\r\n"
                              "FN;CHARSET=windows-1251:Кузнецов Алексей Петрович\r\n"
                              "ORG;CHARSET=windows-1251:ЗАО Стройсервис;Отдел снабжения\r\n"
                              "TITLE;CHARSET=windows-1251:Инженер\r\n"
                              "TEL;WORK;VOICE:(8432) 11-22-33\r\n"
                              "TEL;WORK;VOICE:(8432) 11-22-34\r\n"
                              "TEL;CELL;VOICE:8-917-111-22-33\r\n"
                              "TEL;WORK;FAX:(8432) 11-22-35\r\n"
                              "TEL;PAGER:12345\r\n"
                              "ADR;WORK;PREF;CHARSET=windows-1251:;;ул. Ленина, 10;Набережные "
                              "Челны;;423800;Россия\r\n"
                              "EMAIL;PREF;INTERNET:kuznetsov@stroy.ru\r\n"
                              "BDAY:19701231\r\n"
                              "END:VCARD\r\n"))
        << QList<Fields>{{{"f", "Кузнецов"},
                          {"io", "Алексей Петрович"},
                          {"shortpp", "ЗАО Стройсервис"},
                          {"prof", "Инженер"},
                          {"phone1", "(8432) 11-22-33"},
                          {"phone3", "8-917-111-22-33"},
                          {"phone6", "(8432) 11-22-35"},
                          {"otherphones", "(8432) 11-22-34, 12345"},
                          {"city", "Набережные Челны"},
                          {"fizaddress", "ул. Ленина, 10, 423800, Россия"},
                          {"email", "kuznetsov@stroy.ru"},
                          {"birthday", "31.12.1970"}}};

    // A web mail's 3.0: folded lines (one fold inside a letter), escapes,
    // TYPE lists, grouped properties, a folded base64 photo, properties
    // this program has no field for.
    QTest::newRow("3.0 web mail")
        << QByteArray(
               "BEGIN:VCARD\r\nVERSION:3.0\r\n"
               "FN:Мария Сидорова\r\n"
               "N:Сидорова;Мария;Ивановна;;\r\n"
               "ORG:ООО «Ромашка»;Бухгалтерия\r\n"
               "TITLE:Главный бухгалтер\r\n"
               "EMAIL;TYPE=INTERNET;TYPE=WORK:maria@romashka.ru\r\n"
               "EMAIL;TYPE=INTERNET:maria.s@mail.ru\r\n"
               "TEL;TYPE=WORK,VOICE:+7 843 555-12-12\r\n"
               "TEL;TYPE=CELL:+7 917 000-11-22\r\n"
               "tel;type=cell:+7 917 000-33-44\r\n"
               "item1.TEL:8 800 100-00-00\r\n"
               "item1.X-ABLabel:Горячая линия\r\n"
               "ADR;TYPE=WORK:;;ул. Баумана\\, д. 1;Казань;Татарстан;420111;Россия\r\n"
               "ADR;TYPE=HOME:;;ул. Пушкина\\, 5\\, кв. 7;Казань;;;\r\n"
               "BDAY:1985-03-17\r\n"
               "URL:https://romashka.ru\r\n"
               "NOTE:Первая строка\\nВт\xD0"
               "\r\n \xBE"
               "рая строка\r\n"
               "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwc\r\n"
               " JCQgKDBQNDAsLDBkSExQdGh8eHRocHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/\r\n"
               "X-ANNIVERSARY:2010-06-01\r\n"
               "X-UNKNOWN;FOO=bar:whatever\r\n"
               "CATEGORIES:myContacts\r\n"
               "END:VCARD\r\n")
        << QList<Fields>{{{"f", "Сидорова"},
                          {"io", "Мария Ивановна"},
                          {"shortpp", "ООО «Ромашка»"},
                          {"prof", "Главный бухгалтер"},
                          {"email", "maria@romashka.ru, maria.s@mail.ru"},
                          {"phone1", "+7 843 555-12-12"},
                          {"phone3", "+7 917 000-11-22"},
                          {"otherphones", "+7 917 000-33-44, 8 800 100-00-00"},
                          {"city", "Казань"},
                          {"fizaddress", "ул. Баумана, д. 1, Татарстан, 420111, Россия"},
                          {"homeaddress", "ул. Пушкина, 5, кв. 7"},
                          {"birthday", "17.03.1985"},
                          {"www", "https://romashka.ru"},
                          {"info", "Первая строка\nВторая строка"}}};

    // A phone's 3.0: type=... repeated, MAIN, a home fax, an assistant by
    // its label only (a plain phone: work), a home address alone.
    QTest::newRow("3.0 phone")
        << crlf("BEGIN:VCARD\nVERSION:3.0\nPRODID:-//Apple Inc.//iPhone OS 17.0//EN\n"
                "N:Петров;Иван;;;\nFN:Иван Петров\nORG:ИП Петров;\n"
                "TEL;type=CELL;type=VOICE;type=pref:+7 (917) 555-44-33\n"
                "TEL;type=MAIN:+7 (843) 500-00-00\n"
                "TEL;type=HOME;type=FAX:+7 (843) 500-00-01\n"
                "item1.TEL:+7 (843) 500-00-02\n"
                "item1.X-ABLabel:_$!<Assistant>!$_\n"
                "item2.ADR;type=HOME;type=pref:;;ул. Гагарина 3;Зеленодольск;;;Россия\n"
                "BDAY;value=date:1979-11-05\n"
                "END:VCARD\n")
        << QList<Fields>{{{"f", "Петров"},
                          {"io", "Иван"},
                          {"shortpp", "ИП Петров"},
                          {"phone1", "+7 (843) 500-00-02"},
                          {"phone3", "+7 (917) 555-44-33"},
                          {"phone4", "+7 (843) 500-00-00"},
                          {"phone6", "+7 (843) 500-00-01"},
                          {"city", "Зеленодольск"},
                          {"homeaddress", "ул. Гагарина 3, Россия"},
                          {"birthday", "05.11.1979"}}};

    // 4.0: FN when N is empty, tel: URIs, quoted TYPE lists, a birthday
    // without a year, RELATED spouse (X-SPOUSE after it does not replace it).
    QTest::newRow("4.0") << crlf("BEGIN:VCARD\nVERSION:4.0\nFN:Пётр Смирнов\nN:;;;;\n"
                                 "TEL;VALUE=uri;TYPE=\"work,voice\":tel:+7-843-111-22-33\n"
                                 "TEL;TYPE=\"home,fax\":+7-843-111-22-44\n"
                                 "BDAY:--0229\n"
                                 "RELATED;TYPE=spouse;VALUE=text:Ольга Смирнова\n"
                                 "X-SPOUSE:Другая\n"
                                 "EMAIL;PREF=1:petr@example.org\n"
                                 "END:VCARD\n")
                         << QList<Fields>{{{"f", "Пётр Смирнов"},
                                           {"phone1", "+7-843-111-22-33"},
                                           {"phone6", "+7-843-111-22-44"},
                                           {"birthday", "29.02.1904"},
                                           {"spfio", "Ольга Смирнова"},
                                           {"email", "petr@example.org"}}};

    // Several cards in UTF-16 with a byte-order mark; an AGENT card inside
    // a card is no card of its own; a card in an unknown charset and one
    // with a birthday that is no date are refused by number.
    QTest::newRow("utf-16 several")
        << ContactFiles::utf16le(
               "BEGIN:VCARD\nVERSION:2.1\nN:Один;Первый\nAGENT:\nBEGIN:VCARD\nVERSION:2.1\n"
               "N:Агент;Тайный\nEND:VCARD\nX-SPOUSE:Супруга\nEND:VCARD\n"
               "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=X-UNHEARD-OF:Два\nEND:VCARD\n"
               "BEGIN:VCARD\nVERSION:3.0\nN:Три;;;;\nBDAY:вчера\nEND:VCARD\n"
               "BEGIN:VCARD\nVERSION:3.0\nN:Четыре;;;;\nEND:VCARD\n")
        << QList<Fields>{
               {{"f", "Один"}, {"io", "Первый"}, {"spfio", "Супруга"}},
               {{"rejected", "карточка 2: свойство N в неизвестной кодировке X-UNHEARD-OF"}},
               {{"rejected", "карточка 3: День рождения — «вчера» не читается как дата"}},
               {{"f", "Четыре"}}};
}

void TestVCardReader::readsCards()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<Fields>, records);
    QTemporaryDir dir;
    QCOMPARE(ContactFiles::read(ContactFiles::write(dir, QStringLiteral("contacts.vcf"), file)),
             records);
}

QTEST_GUILESS_MAIN(TestVCardReader)
#include "tst_vcardreader.moc"
