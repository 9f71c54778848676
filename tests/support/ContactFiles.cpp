// SPDX-License-Identifier: MIT
#include "ContactFiles.h"
#include "db/DateText.h"
#include "exchange/ContactFile.h"
#include "exchange/ContactMapper.h"
#include "exchange/Importer.h"

#include <QFile>
#include <QTemporaryDir>

namespace ContactFiles
{

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QMap<QString, QString> fields(const RecordData& r)
{
    QMap<QString, QString> m;
    auto put = [&m](const char* name, const QString& value) {
        if (!value.isEmpty())
            m.insert(QLatin1String(name), value);
    };
    put("f", r.f);
    put("io", r.io);
    put("prof", r.prof);
    put("shortpp", r.shortpp);
    put("longpp", r.longpp);
    put("city", r.city);
    put("legaladdress", r.legaladdress);
    put("fizaddress", r.fizaddress);
    put("postaddress", r.postaddress);
    put("homeaddress", r.homeaddress);
    put("path", r.path);
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        put(QStringLiteral("phone%1").arg(kind).toLatin1().constData(), r.phones[kind]);
    put("otherphones", r.otherphones);
    put("email", r.email);
    put("www", r.www);
    if (r.birthday.isValid())
        put("birthday", DateText::toText(r.birthday));
    put("spfio", r.spfio);
    put("spbirthday", r.spbirthday);
    put("spinfo", r.spinfo);
    put("info", r.info);
    put("req", r.req);
    return m;
}

QList<QMap<QString, QString>> read(const QString& path)
{
    const ContactFile file(path);
    const std::unique_ptr<ContactReader> reader = file.open();
    QList<QMap<QString, QString>> records;
    Contact contact;
    while (reader->next(contact)) {
        const ContactMapper::Result mapped = ContactMapper::map(contact);
        if (mapped.rejected())
            records.append(
                {{QStringLiteral("rejected"),
                  Importer::Rejection{file.where(contact.position), mapped.field, mapped.reason}
                      .text()}});
        else
            records.append(fields(mapped.record));
    }
    return records;
}

QByteArray utf16le(const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

QByteArray windows1251(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            bytes.append(char(u));
        else if (u >= 0x0410 && u <= 0x044F)
            bytes.append(char(0xC0 + (u - 0x0410)));
        else if (u == 0x0401)
            bytes.append(char(0xA8));
        else if (u == 0x0451)
            bytes.append(char(0xB8));
        else if (u == 0x00AB)
            bytes.append(char(0xAB));
        else if (u == 0x00BB)
            bytes.append(char(0xBB));
        else
            bytes.append('?');
    }
    return bytes;
}

} // namespace ContactFiles
