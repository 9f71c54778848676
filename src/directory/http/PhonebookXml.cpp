// SPDX-License-Identifier: MIT
#include "directory/http/PhonebookXml.h"
#include "db/Schema.h"

#include <QXmlStreamWriter>

namespace
{

bool xmlChar(char32_t c)
{
    if (c < 0x20)
        return c == 0x9 || c == 0xA || c == 0xD;
    if (c >= 0x7F && c <= 0x9F) // DEL and the C1 controls: allowed, but no phone shows them
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0xFFFE && c != 0xFFFF;
}

class Document
{
public:
    explicit Document(const QString& root) : m_xml(&m_bytes)
    {
        m_xml.setAutoFormatting(true);
        m_xml.writeStartDocument();
        m_xml.writeStartElement(root);
    }
    QXmlStreamWriter& xml() { return m_xml; }
    void text(const QString& name, const QString& value)
    {
        m_xml.writeTextElement(name, PhonebookXml::clean(value));
    }
    QByteArray finish()
    {
        m_xml.writeEndDocument();
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
};

QString kindName(int kind)
{
    const QStringList& kinds = Schema::phoneKinds();
    return kind >= 1 && kind <= kinds.size() ? kinds.at(kind - 1) : QString();
}

QString grandstreamType(int kind)
{
    switch (kind) {
    case 2:
        return QStringLiteral("Home");
    case 3:
        return QStringLiteral("Cell");
    default:
        return QStringLiteral("Work");
    }
}

QString shortKind(int kind)
{
    static const QStringList kinds = {
        QStringLiteral("раб."),  QStringLiteral("дом."),  QStringLiteral("моб."),
        QStringLiteral("прям."), QStringLiteral("секр."), QStringLiteral("факс"),
    };
    return kind >= 1 && kind <= kinds.size() ? kinds.at(kind - 1) : QString();
}

void softKey(Document& doc, const QString& name, const QString& url, int position)
{
    doc.xml().writeStartElement(QStringLiteral("SoftKeyItem"));
    doc.text(QStringLiteral("Name"), name);
    doc.text(QStringLiteral("URL"), url);
    doc.text(QStringLiteral("Position"), QString::number(position));
    doc.xml().writeEndElement();
}

} // namespace

QString PhonebookXml::clean(const QString& text)
{
    QString cleaned;
    cleaned.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cleaned += c;
            cleaned += text.at(++i);
            continue;
        }
        cleaned += xmlChar(c.unicode()) && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
                           c != QLatin1Char('\r')
                       ? c
                       : QLatin1Char(' ');
    }
    return cleaned.trimmed();
}

QString PhonebookXml::cut(const QString& text, int length)
{
    if (text.size() <= length)
        return text;
    QString cutText = text.left(length);
    if (cutText.back().isHighSurrogate())
        cutText.chop(1);
    return cutText;
}

QByteArray PhonebookXml::yealink(const QList<PhonebookEntry>& entries)
{
    Document doc(QStringLiteral("YealinkIPPhoneDirectory"));
    for (const PhonebookEntry& entry : entries) {
        doc.xml().writeStartElement(QStringLiteral("DirectoryEntry"));
        doc.text(QStringLiteral("Name"), entry.name);
        for (const PhonebookEntry::Phone& phone : entry.phones) {
            doc.xml().writeStartElement(QStringLiteral("Telephone"));
            doc.xml().writeAttribute(QStringLiteral("label"), kindName(phone.kind));
            doc.xml().writeCharacters(clean(phone.dial));
            doc.xml().writeEndElement();
        }
        doc.xml().writeEndElement();
    }
    return doc.finish();
}

QByteArray PhonebookXml::grandstream(const QList<PhonebookEntry>& entries)
{
    Document doc(QStringLiteral("AddressBook"));
    for (const PhonebookEntry& entry : entries) {
        doc.xml().writeStartElement(QStringLiteral("Contact"));
        const bool person = !clean(entry.surname).isEmpty() || !clean(entry.given).isEmpty();
        doc.text(QStringLiteral("LastName"), person ? entry.surname : entry.name);
        doc.text(QStringLiteral("FirstName"), person ? entry.given : QString());
        for (const PhonebookEntry::Phone& phone : entry.phones) {
            doc.xml().writeStartElement(QStringLiteral("Phone"));
            doc.xml().writeAttribute(QStringLiteral("type"), grandstreamType(phone.kind));
            doc.text(QStringLiteral("phonenumber"), phone.dial);
            doc.text(QStringLiteral("accountindex"), QStringLiteral("0"));
            doc.xml().writeEndElement();
        }
        doc.xml().writeEndElement();
    }
    return doc.finish();
}

QByteArray PhonebookXml::cisco(const CiscoPage& page)
{
    Document doc(QStringLiteral("CiscoIPPhoneDirectory"));
    doc.text(QStringLiteral("Title"), cut(clean(page.title), CiscoTextLength));
    doc.text(QStringLiteral("Prompt"), cut(clean(page.prompt), CiscoTextLength));
    int written = 0;
    for (const PhonebookEntry& entry : page.entries) {
        for (const PhonebookEntry::Phone& phone : entry.phones) {
            if (written == CiscoPageSize)
                break;
            ++written;
            // The kind is worth its room only when the record has several phones.
            const QString kind =
                entry.phones.size() > 1 ? QStringLiteral(", ") + shortKind(phone.kind) : QString();
            const QString name = cut(clean(entry.name), CiscoTextLength - int(kind.size()));
            doc.xml().writeStartElement(QStringLiteral("DirectoryEntry"));
            doc.text(QStringLiteral("Name"), name + kind);
            doc.text(QStringLiteral("Telephone"), cut(phone.dial, CiscoTextLength));
            doc.xml().writeEndElement();
        }
    }
    softKey(doc, QStringLiteral("Набрать"), QStringLiteral("SoftKey:Dial"), 1);
    int position = 2;
    if (!page.nextUrl.isEmpty() && page.nextUrl.size() <= CiscoUrlLength)
        softKey(doc, QStringLiteral("Далее"), page.nextUrl, position++);
    softKey(doc, QStringLiteral("Выход"), QStringLiteral("SoftKey:Exit"), position);
    return doc.finish();
}

QByteArray PhonebookXml::ciscoSearch(const QString& url)
{
    Document doc(QStringLiteral("CiscoIPPhoneInput"));
    doc.text(QStringLiteral("Title"), QStringLiteral("Справочник"));
    doc.text(QStringLiteral("Prompt"), QStringLiteral("Введите фамилию"));
    doc.text(QStringLiteral("URL"), url);
    doc.xml().writeStartElement(QStringLiteral("InputItem"));
    doc.text(QStringLiteral("DisplayName"), QStringLiteral("Фамилия или номер"));
    doc.text(QStringLiteral("QueryStringParam"), QStringLiteral("q"));
    doc.text(QStringLiteral("DefaultValue"), QString());
    doc.text(QStringLiteral("InputFlags"), QStringLiteral("A"));
    doc.xml().writeEndElement();
    return doc.finish();
}
