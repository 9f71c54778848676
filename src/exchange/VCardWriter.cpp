// SPDX-License-Identifier: MIT
#include "exchange/VCardWriter.h"
#include "db/DateText.h"
#include "exchange/PhoneKind.h"

namespace
{

constexpr qsizetype foldAt = 75;

QString isoDate(const QDate& date)
{
    return date.isValid() && date != DateText::noDate() ? date.toString(Qt::ISODate) : QString();
}

void property(QByteArray& out, const char* name, const QString& value)
{
    if (value.isEmpty())
        return;
    out += VCardWriter::folded(QByteArray(name) + ':' + VCardWriter::escaped(value).toUtf8());
}

void address(QByteArray& out, const char* type, const QString& street, const QString& city)
{
    if (street.isEmpty() && city.isEmpty())
        return;
    out += VCardWriter::folded(QByteArray("ADR;TYPE=") + type + ":;;" +
                               VCardWriter::escaped(street).toUtf8() + ';' +
                               VCardWriter::escaped(city).toUtf8() + ";;;");
}

} // namespace

QString VCardWriter::escaped(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || c == u',' || c == u';') {
            out += u'\\';
            out += c;
        } else if (c == u'\r') {
            out += QStringLiteral("\\n");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray VCardWriter::folded(const QByteArray& line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    qsizetype start = 0;
    qsizetype room = foldAt;
    while (line.size() - start > room) {
        qsizetype end = start + room;
        // Never inside a character: back to the first byte of a UTF-8 sequence.
        while (end > start && (static_cast<unsigned char>(line.at(end)) & 0xC0) == 0x80)
            --end;
        out.append(line.constData() + start, end - start);
        out += "\r\n ";
        start = end;
        room = foldAt - 1;
    }
    out.append(line.constData() + start, line.size() - start);
    out += "\r\n";
    return out;
}

QByteArray VCardWriter::card(const RecordData& r)
{
    QByteArray out = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    const qsizetype blank = r.io.indexOf(u' ');
    const QString given = blank < 0 ? r.io : r.io.left(blank);
    const QString additional = blank < 0 ? QString() : r.io.mid(blank + 1);
    out += folded("N:" + escaped(r.f).toUtf8() + ';' + escaped(given).toUtf8() + ';' +
                  escaped(additional).toUtf8() + ";;");
    out += folded("FN:" + escaped((r.f + QLatin1Char(' ') + r.io).trimmed()).toUtf8());
    property(out, "ORG", r.shortpp);
    property(out, "X-SPRAV-ORG-FULL", r.longpp);
    property(out, "TITLE", r.prof);
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind) {
        const QByteArray name = "TEL;TYPE=" + PhoneKind::vcardTypes(kind).toLatin1();
        property(out, name.constData(), r.phones[kind]);
    }
    const QByteArray others = "TEL;TYPE=" + PhoneKind::vcardTypes(PhoneKind::other).toLatin1();
    property(out, others.constData(), r.otherphones);
    property(out, "EMAIL;TYPE=INTERNET", r.email);
    property(out, "URL", r.www);
    // The city is the enterprise's: the locality of the work address.
    address(out, "WORK", r.fizaddress, r.city);
    address(out, "X-LEGAL", r.legaladdress, QString());
    address(out, "POSTAL", r.postaddress, QString());
    address(out, "HOME", r.homeaddress, QString());
    property(out, "X-SPRAV-PATH", r.path);
    property(out, "BDAY", isoDate(r.birthday));
    property(out, "X-SPOUSE", r.spfio);
    property(out, "X-SPRAV-SPOUSE-BDAY", isoDate(DateText::fromText(r.spbirthday)));
    property(out, "X-SPRAV-SPOUSE-NOTE", r.spinfo);
    property(out, "NOTE", r.info);
    property(out, "X-SPRAV-REQUISITES", r.req);
    out += "END:VCARD\r\n";
    return out;
}
