// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

class QTemporaryDir;

// Contact files for tests: written to a folder, and read back as the
// records the import would store.
namespace ContactFiles
{

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);

// The non-empty fields of a record by their column names ("f", "phone3",
// "birthday" as dd.MM.yyyy), so a test lists only what it expects.
QMap<QString, QString> fields(const RecordData& record);

// Every contact of the file mapped to a record; a refused one appears as
// {"rejected": "where: field — reason"}. Throws ExchangeError.
QList<QMap<QString, QString>> read(const QString& path);

// The text in Windows-1251 (Cyrillic and ASCII only), as old programs write it.
QByteArray windows1251(const QString& text);

// UTF-8 text as UTF-16 little-endian with its byte-order mark.
QByteArray utf16le(const QByteArray& utf8);

} // namespace ContactFiles
