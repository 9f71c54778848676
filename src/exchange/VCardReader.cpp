// SPDX-License-Identifier: MIT
#include "exchange/VCardReader.h"
#include "exchange/ExchangeError.h"
#include "exchange/PhoneKind.h"

#include <QIODevice>

namespace
{

// The properties read into a contact; any other is skipped unread.
bool isUsed(const QByteArray& name)
{
    static const QList<QByteArray> used = {"BEGIN",
                                           "END",
                                           "N",
                                           "FN",
                                           "ORG",
                                           "TITLE",
                                           "TEL",
                                           "EMAIL",
                                           "URL",
                                           "ADR",
                                           "BDAY",
                                           "NOTE",
                                           "RELATED",
                                           "X-SPOUSE",
                                           "X-MS-SPOUSE",
                                           "X-EVOLUTION-SPOUSE",
                                           "X-KADDRESSBOOK-X-SPOUSESNAME"};
    return used.contains(name) || name.startsWith("X-SPRAV-");
}

// The property name of a line: before the first ';' or ':', without a
// group ("item1.TEL"), in upper case.
QByteArray nameOf(const QByteArray& line)
{
    qsizetype end = 0;
    while (end < line.size() && line.at(end) != ';' && line.at(end) != ':')
        ++end;
    QByteArray name = line.left(end).trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 ? name.mid(dot + 1) : name;
}

bool isBlank(const QByteArray& line)
{
    for (const char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray fromQuotedPrintable(const QByteArray& value)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c == '=' && i + 2 < value.size() && hexValue(value.at(i + 1)) >= 0 &&
            hexValue(value.at(i + 2)) >= 0) {
            bytes.append(char(hexValue(value.at(i + 1)) * 16 + hexValue(value.at(i + 2))));
            i += 2;
        } else {
            bytes.append(c);
        }
    }
    return bytes;
}

// The escape whose backslash stands at value[i] (a character follows it):
// \n for a line break, \, \; \\ \: for the character; any other pair is kept
// as it stands. i moves onto the escaped character.
void takeEscape(const QString& value, qsizetype& i, QString& out)
{
    const QChar e = value.at(++i);
    if (e == u'n' || e == u'N')
        out += u'\n';
    else if (e == u',' || e == u';' || e == u'\\' || e == u':')
        out += e;
    else
        out += QLatin1Char('\\') + QString(e);
}

// Splits a structured value at the semicolons that are not escaped, and
// undoes the escapes of each part: \n for a line break, \, \; \\.
QStringList components(const QString& value, bool listsAsBlanks = false)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            takeEscape(value, i, part);
        } else if (c == u';') {
            parts.append(part);
            part.clear();
        } else if (c == u',' && listsAsBlanks) {
            part += u' ';
        } else {
            part += c;
        }
    }
    parts.append(part);
    return parts;
}

QString unescaped(const QString& value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            takeEscape(value, i, text);
        } else {
            text += c;
        }
    }
    return text;
}

Contact::AddressKind addressKind(const QStringList& types)
{
    if (types.contains(QStringLiteral("X-LEGAL")))
        return Contact::AddressKind::Legal;
    if (types.contains(QStringLiteral("HOME")))
        return Contact::AddressKind::Home;
    if (types.contains(QStringLiteral("WORK")))
        return Contact::AddressKind::Work;
    if (types.contains(QStringLiteral("POSTAL")) || types.contains(QStringLiteral("PARCEL")))
        return Contact::AddressKind::Postal;
    if (types.isEmpty() || types == QStringList{QStringLiteral("PREF")})
        return Contact::AddressKind::Work;
    return Contact::AddressKind::Other;
}

QString pieceOf(const QStringList& parts, int index)
{
    return parts.value(index);
}

void setOnce(QString& field, const QString& value)
{
    if (field.isEmpty())
        field = value;
}

} // namespace

VCardReader::VCardReader(std::unique_ptr<QIODevice> device, TextEncoding::Kind encoding)
    : m_device(std::move(device)),
      m_encoding(encoding == TextEncoding::Kind::Windows1251 ? encoding : TextEncoding::Kind::Utf8),
      m_lines(m_device.get(), encoding, maxLineBytes)
{
}

VCardReader::~VCardReader() = default;

bool VCardReader::nextLine(LineReader::Line& line)
{
    if (m_hasPending) {
        m_hasPending = false;
        line = std::move(m_pending);
        return true;
    }
    if (!m_lines.next(line))
        return false;
    if (line.overlong)
        throw ExchangeError(overlongLine(line.number));
    return true;
}

// One property with its folded continuation lines (and, in quoted-printable
// values, the lines after a soft break). The value of a property that is not
// used is not kept.
bool VCardReader::readProperty(Property& property)
{
    LineReader::Line line;
    do {
        if (!nextLine(line))
            return false;
    } while (isBlank(line.bytes));

    property.name = nameOf(line.bytes);
    property.line = line.number;
    const bool keep = isUsed(property.name);
    const qsizetype colon = line.bytes.indexOf(':');
    const bool quotedPrintable =
        colon > 0 && line.bytes.left(colon).toUpper().contains("QUOTED-PRINTABLE");
    bool softBreak = quotedPrintable && line.bytes.endsWith('=');
    QByteArray logical = keep ? std::move(line.bytes) : QByteArray();

    LineReader::Line more;
    while (nextLine(more)) {
        const bool folded =
            !more.bytes.isEmpty() && (more.bytes.at(0) == ' ' || more.bytes.at(0) == '\t');
        if (softBreak) {
            if (keep) {
                logical.chop(1);
                logical.append(more.bytes);
            }
            softBreak = more.bytes.endsWith('=');
        } else if (folded) {
            if (keep)
                logical.append(more.bytes.constData() + 1, more.bytes.size() - 1);
        } else {
            m_pending = std::move(more);
            m_hasPending = true;
            break;
        }
        if (keep && logical.size() > maxValueBytes)
            throw ExchangeError(overlongLine(property.line));
    }

    property.params.clear();
    property.value.clear();
    if (!keep)
        return true;
    // Parameters up to the first colon outside double quotes.
    qsizetype i = 0;
    while (i < logical.size() && logical.at(i) != ';' && logical.at(i) != ':')
        ++i;
    qsizetype valueStart = -1;
    bool quoted = false;
    QByteArray current;
    auto addParam = [&property](const QByteArray& text) {
        if (text.isEmpty())
            return;
        const qsizetype eq = text.indexOf('=');
        QByteArray key = eq < 0 ? QByteArray() : text.left(eq).trimmed().toUpper();
        QByteArray value = eq < 0 ? text.trimmed() : text.mid(eq + 1).trimmed();
        value.replace('"', QByteArray());
        if (key.isEmpty()) {
            const QByteArray upper = value.toUpper();
            key = upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" ||
                          upper == "7BIT"
                      ? QByteArray("ENCODING")
                      : QByteArray("TYPE");
        }
        property.params.append({key, value});
    };
    for (; i < logical.size(); ++i) {
        const char c = logical.at(i);
        if (c == '"') {
            quoted = !quoted;
            current.append(c);
        } else if (!quoted && c == ':') {
            valueStart = i + 1;
            break;
        } else if (!quoted && c == ';') {
            addParam(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    addParam(current);
    if (valueStart < 0) {
        // A line without a colon holds no value; it is skipped like an
        // unknown property.
        property.name.clear();
        return true;
    }
    property.value = logical.mid(valueStart);
    return true;
}

QByteArray VCardReader::param(const Property& property, const char* key) const
{
    for (const auto& [k, v] : property.params)
        if (k == key)
            return v;
    return {};
}

QStringList VCardReader::types(const Property& property) const
{
    QStringList list;
    for (const auto& [k, v] : property.params)
        if (k == "TYPE")
            for (const QByteArray& t : v.split(','))
                if (!t.trimmed().isEmpty())
                    list.append(QString::fromLatin1(t.trimmed()).toUpper());
    return list;
}

// The value as text (escapes left in place): quoted-printable undone, the
// CHARSET applied, else the file's encoding. A value in an unknown charset
// makes the whole card unreadable.
QString VCardReader::text(const Property& property, Contact& contact) const
{
    QByteArray raw = property.value;
    const QByteArray encoding = param(property, "ENCODING").toUpper();
    if (encoding == "QUOTED-PRINTABLE")
        raw = fromQuotedPrintable(raw);
    const QByteArray charset = param(property, "CHARSET");
    if (!charset.isEmpty()) {
        if (std::optional<QString> decoded =
                TextEncoding::decodeCharset(raw, QString::fromLatin1(charset)))
            return *decoded;
        contact.unreadReason =
            QStringLiteral("свойство %1 в неизвестной кодировке %2")
                .arg(QString::fromLatin1(property.name), QString::fromLatin1(charset));
        return {};
    }
    if (m_encoding == TextEncoding::Kind::Utf8 && !TextEncoding::isUtf8(raw))
        return TextEncoding::fromWindows1251(raw);
    return TextEncoding::decode(raw, m_encoding);
}

bool VCardReader::next(Contact& contact)
{
    Property property;
    int depth = 0;
    int begunAt = 0;
    while (readProperty(property)) {
        const bool card = (property.name == "BEGIN" || property.name == "END") &&
                          property.value.trimmed().toUpper() == "VCARD";
        if (depth == 0) {
            if (property.name == "BEGIN" && card) {
                contact = Contact();
                contact.position = ++m_cards;
                begunAt = property.line;
                depth = 1;
            }
            // Anything between cards is no part of a contact.
            continue;
        }
        if (card) {
            depth += property.name == "BEGIN" ? 1 : -1;
            if (depth == 0)
                return true;
            continue;
        }
        if (depth == 1)
            apply(property, contact);
    }
    if (depth > 0)
        throw ExchangeError(QStringLiteral("Карточка %1, начатая в строке %2, не закончена: "
                                           "нет строки END:VCARD.")
                                .arg(m_cards)
                                .arg(begunAt));
    if (m_cards == 0)
        throw ExchangeError(
            QStringLiteral("В файле нет ни одной карточки vCard (строки BEGIN:VCARD)."));
    return false;
}

void VCardReader::apply(const Property& property, Contact& contact)
{
    const QByteArray& name = property.name;
    if (name.isEmpty() || param(property, "ENCODING").toUpper() == "B" ||
        param(property, "ENCODING").toUpper() == "BASE64")
        return;
    const QString value = text(property, contact);
    if (name == "N") {
        if (contact.family.isEmpty() && contact.given.isEmpty() && contact.additional.isEmpty()) {
            const QStringList parts = components(value, true);
            contact.family = pieceOf(parts, 0);
            contact.given = pieceOf(parts, 1);
            contact.additional = pieceOf(parts, 2);
        }
    } else if (name == "FN") {
        setOnce(contact.formatted, unescaped(value));
    } else if (name == "ORG") {
        setOnce(contact.org, pieceOf(components(value), 0));
    } else if (name == "TITLE") {
        setOnce(contact.title, unescaped(value));
    } else if (name == "TEL") {
        QString number = unescaped(value);
        if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number.remove(0, 4);
        if (!number.isEmpty())
            contact.phones.append({number, PhoneKind::fromVCardTypes(types(property))});
    } else if (name == "EMAIL") {
        contact.emails.append(unescaped(value));
    } else if (name == "URL") {
        contact.urls.append(unescaped(value));
    } else if (name == "ADR") {
        const QStringList parts = components(value);
        Contact::Address address;
        address.kind = addressKind(types(property));
        address.poBox = pieceOf(parts, 0);
        address.extended = pieceOf(parts, 1);
        address.street = pieceOf(parts, 2);
        address.locality = pieceOf(parts, 3);
        address.region = pieceOf(parts, 4);
        address.code = pieceOf(parts, 5);
        address.country = pieceOf(parts, 6);
        contact.addresses.append(address);
    } else if (name == "BDAY") {
        setOnce(contact.birthday, unescaped(value));
    } else if (name == "NOTE") {
        const QString note = unescaped(value);
        contact.note = contact.note.isEmpty() ? note : contact.note + u'\n' + note;
    } else if (name == "RELATED") {
        const QStringList kinds = types(property);
        if (kinds.contains(QStringLiteral("SPOUSE")))
            setOnce(contact.spouse, unescaped(value));
    } else if (name == "X-SPOUSE" || name == "X-MS-SPOUSE" || name == "X-EVOLUTION-SPOUSE" ||
               name == "X-KADDRESSBOOK-X-SPOUSESNAME") {
        setOnce(contact.spouse, unescaped(value));
    } else if (name == "X-SPRAV-ORG-FULL") {
        setOnce(contact.orgFull, unescaped(value));
    } else if (name == "X-SPRAV-PATH") {
        setOnce(contact.path, unescaped(value));
    } else if (name == "X-SPRAV-REQUISITES") {
        setOnce(contact.requisites, unescaped(value));
    } else if (name == "X-SPRAV-SPOUSE-BDAY") {
        setOnce(contact.spouseBirthday, unescaped(value));
    } else if (name == "X-SPRAV-SPOUSE-NOTE") {
        setOnce(contact.spouseInfo, unescaped(value));
    }
}
