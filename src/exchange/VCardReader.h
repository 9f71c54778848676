// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/ContactReader.h"
#include "exchange/LineReader.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <memory>

class QIODevice;

// Reads vCard 2.1, 3.0 and 4.0: folded lines, parameters in every spelling
// (TYPE=WORK,VOICE, type=work;type=voice, 2.1's bare WORK;VOICE), quoted-
// printable values with their CHARSET, escaped texts. Properties this
// program has no field for (PHOTO, X-ANNIVERSARY, ...) are skipped without
// being kept in memory; a card embedded in another (2.1's AGENT) is skipped
// too. Cards are numbered from 1 in the order of the file.
class VCardReader : public ContactReader
{
public:
    VCardReader(std::unique_ptr<QIODevice> device, TextEncoding::Kind encoding);
    ~VCardReader() override;

    bool next(Contact& contact) override;
    qint64 bytesRead() const override { return m_lines.bytesRead(); }

private:
    struct Property {
        QByteArray name; // upper case, without a group
        QList<QPair<QByteArray, QByteArray>>
            params; // keys upper case; 2.1's bare values under TYPE
        QByteArray value;
        int line = 0;
    };

    bool readProperty(Property& property);
    bool nextLine(LineReader::Line& line);
    void apply(const Property& property, Contact& contact);
    QString text(const Property& property, Contact& contact) const;
    QStringList types(const Property& property) const;
    QByteArray param(const Property& property, const char* key) const;

    std::unique_ptr<QIODevice> m_device;
    TextEncoding::Kind m_encoding;
    LineReader m_lines;
    LineReader::Line m_pending;
    bool m_hasPending = false;
    int m_cards = 0;
};
