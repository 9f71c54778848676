// SPDX-License-Identifier: MIT
#include "exchange/CsvColumn.h"
#include "exchange/Contact.h"

#include <QHash>
#include <QRegularExpression>

namespace
{

using Field = CsvColumn::Field;
using Part = CsvColumn::Part;
using Kind = Contact::AddressKind;

CsvColumn plain(Field field)
{
    CsvColumn c;
    c.field = field;
    return c;
}

CsvColumn phone(int kind, int group = 0)
{
    CsvColumn c;
    c.field = Field::Phone;
    c.kind = kind;
    c.group = group;
    return c;
}

CsvColumn address(Kind kind)
{
    CsvColumn c;
    c.field = Field::Address;
    c.kind = int(kind);
    return c;
}

CsvColumn addressPart(int kind, Part part, int group = 0)
{
    CsvColumn c;
    c.field = Field::AddressPart;
    c.kind = kind;
    c.part = part;
    c.group = group;
    return c;
}

CsvColumn grouped(Field field, int group)
{
    CsvColumn c;
    c.field = field;
    c.group = group;
    return c;
}

QString normalized(const QString& header)
{
    return header.simplified().toLower();
}

// Header names of the common exports (Outlook in English and Russian,
// Thunderbird, Google) and of this program, lower case, blanks simplified.
const QHash<QString, CsvColumn>& knownNames()
{
    static const QHash<QString, CsvColumn> names = [] {
        QHash<QString, CsvColumn> h;
        auto add = [&h](std::initializer_list<const char*> list, const CsvColumn& column) {
            for (const char* name : list)
                h.insert(normalized(QString::fromUtf8(name)), column);
        };
        const int work = int(Kind::Work);
        const int home = int(Kind::Home);
        const int other = int(Kind::Other);
        add({"Фамилия", "Last Name", "Family Name", "Surname"}, plain(Field::Surname));
        add({"Имя", "First Name", "Given Name"}, plain(Field::GivenName));
        add({"Отчество", "Middle Name", "Additional Name"}, plain(Field::MiddleName));
        add({"Имя Отчество", "Имя, Отчество"}, plain(Field::GivenNames));
        add({"Name", "Display Name", "Full Name", "ФИО", "Ф.И.О.", "Полное имя",
             "Отображаемое имя"},
            plain(Field::FullName));
        add({"Должность", "Job Title", "Organization Title"}, plain(Field::JobTitle));
        add({"Краткое название п/п", "Организация", "Company", "Organization", "Organization Name",
             "Предприятие", "Компания"},
            plain(Field::Enterprise));
        add({"Полное название п/п"}, plain(Field::EnterpriseFull));
        add({"Город"}, plain(Field::City));
        add({"Юридический адрес"}, address(Kind::Legal));
        add({"Физический адрес", "Адрес", "Рабочий адрес"}, address(Kind::Work));
        add({"Почтовый адрес"}, address(Kind::Postal));
        add({"Домашний адрес"}, address(Kind::Home));
        add({"Как доехать"}, plain(Field::Path));

        add({"Business Street", "Work Address", "Улица (раб. адрес)"},
            addressPart(work, Part::Street));
        add({"Business Street 2", "Work Address 2", "Улица 2 (раб. адрес)"},
            addressPart(work, Part::Street2));
        add({"Business Street 3", "Улица 3 (раб. адрес)"}, addressPart(work, Part::Street3));
        add({"Business City", "Work City", "Город (раб. адрес)"}, addressPart(work, Part::City));
        add({"Business State", "Work State", "Область (раб. адрес)"},
            addressPart(work, Part::Region));
        add({"Business Postal Code", "Work ZipCode", "Индекс (раб. адрес)"},
            addressPart(work, Part::Code));
        add({"Business Country/Region", "Business Country", "Work Country",
             "Страна или регион (раб. адрес)"},
            addressPart(work, Part::Country));
        add({"Business Address PO Box", "Почтовый ящик (раб. адрес)"},
            addressPart(work, Part::PoBox));
        add({"Home Street", "Home Address", "Улица (дом. адрес)"}, addressPart(home, Part::Street));
        add({"Home Street 2", "Home Address 2", "Улица 2 (дом. адрес)"},
            addressPart(home, Part::Street2));
        add({"Home Street 3", "Улица 3 (дом. адрес)"}, addressPart(home, Part::Street3));
        add({"Home City", "Город (дом. адрес)"}, addressPart(home, Part::City));
        add({"Home State", "Область (дом. адрес)"}, addressPart(home, Part::Region));
        add({"Home Postal Code", "Home ZipCode", "Почтовый код (дом.)", "Индекс (дом. адрес)"},
            addressPart(home, Part::Code));
        add({"Home Country/Region", "Home Country", "Страна или регион (дом. адрес)"},
            addressPart(home, Part::Country));
        add({"Home Address PO Box", "Почтовый ящик (дом. адрес)"}, addressPart(home, Part::PoBox));
        add({"Other Street", "Улица (другой адрес)"}, addressPart(other, Part::Street));
        add({"Other Street 2", "Улица 2 (другой адрес)"}, addressPart(other, Part::Street2));
        add({"Other Street 3", "Улица 3 (другой адрес)"}, addressPart(other, Part::Street3));
        add({"Other City", "Город (другой адрес)"}, addressPart(other, Part::City));
        add({"Other State", "Область (другой адрес)"}, addressPart(other, Part::Region));
        add({"Other Postal Code", "Индекс (другой адрес)"}, addressPart(other, Part::Code));
        add({"Other Country/Region", "Страна или регион (другой адрес)"},
            addressPart(other, Part::Country));
        add({"Other Address PO Box", "Почтовый ящик (другой адрес)"},
            addressPart(other, Part::PoBox));

        add({"Рабочий телефон", "Business Phone", "Business Phone 2", "Телефон раб. 2",
             "Телефон (раб.)", "Телефон (раб. 2)", "Work Phone"},
            phone(1));
        add({"Домашний телефон", "Home Phone", "Home Phone 2", "Телефон дом. 2", "Телефон (дом.)",
             "Телефон (дом. 2)"},
            phone(2));
        add({"Мобильный телефон", "Mobile Phone", "Mobile Number", "Телефон переносной",
             "Сотовый телефон", "Cell Phone"},
            phone(3));
        add({"Прямой телефон", "Primary Phone", "Основной телефон", "Company Main Phone",
             "Основной телефон организации"},
            phone(4));
        add({"Телефон секретаря", "Assistant's Phone", "Телефон помощника"}, phone(5));
        add({"Факс", "Business Fax", "Рабочий факс", "Факс (раб.)", "Home Fax", "Домашний факс",
             "Факс (дом.)", "Other Fax", "Другой факс", "Факс (другой)", "Fax Number"},
            phone(6));
        add({"Другой телефон", "Other Phone", "Pager", "Pager Number", "Пейджер", "Car Phone",
             "Телефон в машине", "Callback", "Обратный вызов", "Radio Phone", "Радиотелефон",
             "ISDN", "Telex", "Телекс", "TTY/TDD Phone", "Телетайп/телефон с титрами"},
            phone(0));
        add({"Другие телефоны", "Другие"}, plain(Field::OtherPhones));
        add({"Электронная почта", "Адрес эл. почты", "Адрес 2 эл. почты", "Адрес 3 эл. почты",
             "E-mail Address", "E-mail 2 Address", "E-mail 3 Address", "E-mail", "Email",
             "Primary Email", "Secondary Email", "Основной адрес эл. почты",
             "Дополнительный адрес эл. почты"},
            plain(Field::Email));
        add({"Веб сайт", "Веб-сайт", "Веб-страница", "Web Page", "Web Page 1", "Web Page 2",
             "Веб-страница 1", "Веб-страница 2", "Website"},
            plain(Field::Www));
        add({"День рождения", "Birthday", "Дата рождения"}, plain(Field::Birthday));
        add({"Birth Year", "Год рождения"}, plain(Field::BirthYear));
        add({"Birth Month", "Месяц рождения"}, plain(Field::BirthMonth));
        add({"Birth Day"}, plain(Field::BirthDay));
        add({"Дополнительная информация", "Заметки", "Notes", "Note", "Примечания", "Примечание"},
            plain(Field::Notes));
        add({"Супруг(а)", "Spouse", "Супруг"}, plain(Field::Spouse));
        add({"День рождения супруга"}, plain(Field::SpouseBirthday));
        add({"О супруге"}, plain(Field::SpouseInfo));
        add({"Реквизиты"}, plain(Field::Requisites));
        return h;
    }();
    return names;
}

// The numbered groups of Google's export: "Phone 1 - Label", "Address 2 - City".
CsvColumn groupColumn(const QString& name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(phone|e-mail|email|address|website|relation|organization) "
                       "(\\d+) - (.+)$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return {};
    const QString what = m.captured(1);
    const int group = m.captured(2).toInt();
    const QString item = m.captured(3);
    const bool label = item == QLatin1String("type") || item == QLatin1String("label");
    const bool value = item == QLatin1String("value");
    if (what == QLatin1String("phone"))
        return label ? grouped(Field::PhoneLabel, group)
                     : (value ? phone(CsvColumn::byLabel, group) : CsvColumn());
    if (what == QLatin1String("e-mail") || what == QLatin1String("email"))
        return value ? plain(Field::Email) : CsvColumn();
    if (what == QLatin1String("website"))
        return value ? plain(Field::Www) : CsvColumn();
    if (what == QLatin1String("relation"))
        return label ? grouped(Field::RelationLabel, group)
                     : (value ? grouped(Field::RelationValue, group) : CsvColumn());
    if (what == QLatin1String("organization")) {
        if (group != 1)
            return {};
        if (item == QLatin1String("name"))
            return plain(Field::Enterprise);
        return item == QLatin1String("title") ? plain(Field::JobTitle) : CsvColumn();
    }
    // Addresses.
    if (label)
        return grouped(Field::AddressLabel, group);
    static const QHash<QString, Part> parts = {
        {QStringLiteral("street"), Part::Street},
        {QStringLiteral("city"), Part::City},
        {QStringLiteral("region"), Part::Region},
        {QStringLiteral("postal code"), Part::Code},
        {QStringLiteral("country"), Part::Country},
        {QStringLiteral("po box"), Part::PoBox},
        {QStringLiteral("extended address"), Part::Extended},
    };
    const auto part = parts.constFind(item);
    return part == parts.constEnd() ? CsvColumn()
                                    : addressPart(CsvColumn::byLabel, part.value(), group);
}

QString phoneCaption(int kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("Рабочий телефон");
    case 2:
        return QStringLiteral("Домашний телефон");
    case 3:
        return QStringLiteral("Мобильный телефон");
    case 4:
        return QStringLiteral("Прямой телефон");
    case 5:
        return QStringLiteral("Телефон секретаря");
    case 6:
        return QStringLiteral("Факс");
    default:
        return QStringLiteral("Другой телефон");
    }
}

QString addressCaption(int kind)
{
    switch (Kind(kind)) {
    case Kind::Work:
        return QStringLiteral("Физический адрес");
    case Kind::Home:
        return QStringLiteral("Домашний адрес");
    case Kind::Postal:
        return QStringLiteral("Почтовый адрес");
    case Kind::Legal:
        return QStringLiteral("Юридический адрес");
    case Kind::Other:
        break;
    }
    return QStringLiteral("Другой адрес");
}

QString partCaption(Part part)
{
    switch (part) {
    case Part::Street:
        return QStringLiteral("улица");
    case Part::Street2:
        return QStringLiteral("улица 2");
    case Part::Street3:
        return QStringLiteral("улица 3");
    case Part::City:
        return QStringLiteral("город");
    case Part::Region:
        return QStringLiteral("область");
    case Part::Code:
        return QStringLiteral("индекс");
    case Part::Country:
        return QStringLiteral("страна");
    case Part::PoBox:
        return QStringLiteral("абонентский ящик");
    case Part::Extended:
        break;
    }
    return QStringLiteral("дополнительно");
}

} // namespace

QString CsvColumn::caption() const
{
    switch (field) {
    case Field::None:
        return QStringLiteral("(не загружать)");
    case Field::Surname:
        return QStringLiteral("Фамилия");
    case Field::GivenName:
        return QStringLiteral("Имя");
    case Field::MiddleName:
        return QStringLiteral("Отчество");
    case Field::GivenNames:
        return QStringLiteral("Имя Отчество");
    case Field::FullName:
        return QStringLiteral("Полное имя");
    case Field::JobTitle:
        return QStringLiteral("Должность");
    case Field::Enterprise:
        return QStringLiteral("Краткое название п/п");
    case Field::EnterpriseFull:
        return QStringLiteral("Полное название п/п");
    case Field::City:
        return QStringLiteral("Город");
    case Field::Address:
        return addressCaption(kind);
    case Field::AddressPart:
        return (kind == byLabel ? QStringLiteral("Адрес %1").arg(group) : addressCaption(kind)) +
               QStringLiteral(": ") + partCaption(part);
    case Field::Path:
        return QStringLiteral("Как доехать");
    case Field::Phone:
        return kind == byLabel ? QStringLiteral("Телефон %1").arg(group) : phoneCaption(kind);
    case Field::OtherPhones:
        return label.isEmpty() ? QStringLiteral("Другие телефоны")
                               : QStringLiteral("Другие телефоны («%1»)").arg(label);
    case Field::Email:
        return QStringLiteral("Электронная почта");
    case Field::Www:
        return QStringLiteral("Веб сайт");
    case Field::Birthday:
        return QStringLiteral("День рождения");
    case Field::BirthYear:
        return QStringLiteral("Год рождения");
    case Field::BirthMonth:
        return QStringLiteral("Месяц рождения");
    case Field::BirthDay:
        return QStringLiteral("Число рождения");
    case Field::Notes:
        return QStringLiteral("Дополнительная информация");
    case Field::Spouse:
        return QStringLiteral("Супруг(а)");
    case Field::SpouseBirthday:
        return QStringLiteral("День рождения супруга");
    case Field::SpouseInfo:
        return QStringLiteral("О супруге");
    case Field::Requisites:
        return QStringLiteral("Реквизиты");
    case Field::PhoneLabel:
        return QStringLiteral("Телефон %1: вид").arg(group);
    case Field::AddressLabel:
        return QStringLiteral("Адрес %1: вид").arg(group);
    case Field::RelationLabel:
        return QStringLiteral("Близкий %1: кем приходится").arg(group);
    case Field::RelationValue:
        return QStringLiteral("Близкий %1").arg(group);
    }
    return {};
}

const QList<CsvColumn>& CsvColumn::choices()
{
    static const QList<CsvColumn> list = {
        plain(Field::None),
        plain(Field::Surname),
        plain(Field::GivenName),
        plain(Field::MiddleName),
        plain(Field::GivenNames),
        plain(Field::FullName),
        plain(Field::JobTitle),
        plain(Field::Enterprise),
        plain(Field::EnterpriseFull),
        plain(Field::City),
        address(Kind::Legal),
        address(Kind::Work),
        address(Kind::Postal),
        address(Kind::Home),
        plain(Field::Path),
        phone(1),
        phone(2),
        phone(3),
        phone(4),
        phone(5),
        phone(6),
        phone(0),
        plain(Field::OtherPhones),
        plain(Field::Email),
        plain(Field::Www),
        plain(Field::Birthday),
        plain(Field::Notes),
        plain(Field::Spouse),
        plain(Field::SpouseBirthday),
        plain(Field::SpouseInfo),
        plain(Field::Requisites),
    };
    return list;
}

CsvColumn CsvColumn::forHeader(const QString& header)
{
    const QString name = normalized(header);
    const auto known = knownNames().constFind(name);
    if (known != knownNames().constEnd())
        return known.value();
    const CsvColumn group = groupColumn(name);
    if (group.field != Field::None)
        return group;
    for (const char* word : {"телефон", "phone", "факс", "fax"}) {
        if (name.contains(QString::fromUtf8(word))) {
            CsvColumn other = plain(Field::OtherPhones);
            other.label = header.simplified();
            return other;
        }
    }
    return {};
}
