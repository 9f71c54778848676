// SPDX-License-Identifier: MIT
#include "db/DataLink.h"
#include "common/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>

namespace
{

QString unquote(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && ((value.startsWith(u'"') && value.endsWith(u'"')) ||
                              (value.startsWith(u'\'') && value.endsWith(u'\''))))
        value = value.mid(1, value.size() - 2);
    return value;
}

// Splits "A=1;B=2" into lower-cased keys and values; a quoted value may hold ';'.
QMap<QString, QString> splitPairs(const QString& line)
{
    QMap<QString, QString> pairs;
    QString part;
    QChar quote;
    auto flush = [&] {
        const qsizetype eq = part.indexOf(u'=');
        if (eq > 0)
            pairs.insert(part.left(eq).trimmed().toLower(), unquote(part.mid(eq + 1)));
        part.clear();
    };
    for (const QChar c : line) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            flush();
            continue;
        }
        part += c;
    }
    flush();
    return pairs;
}

QString firstOf(const QMap<QString, QString>& pairs, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        const auto it = pairs.constFind(QString::fromLatin1(key));
        if (it != pairs.constEnd())
            return *it;
    }
    return {};
}

} // namespace

QString DataLink::decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    // UTF-16 without a byte-order mark still shows its zero bytes.
    if (bytes.size() >= 2 && bytes[1] == '\0' && bytes[0] != '\0')
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes);
    return QString::fromUtf8(bytes);
}

DataLink DataLink::parse(const QByteArray& bytes, const QString& baseDir)
{
    QMap<QString, QString> pairs;
    const QStringList lines = decode(bytes).split(QRegularExpression(QStringLiteral("[\r\n]+")));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'['))
            continue;
        pairs.insert(splitPairs(line));
    }

    DataLink link;
    link.baseDir = baseDir;
    const QString provider = pairs.value(QStringLiteral("provider"));
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0)
        link.provider = Provider::SQLite;
    else if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0 ||
             provider.compare(QLatin1String("QPSQL"), Qt::CaseInsensitive) == 0)
        link.provider = Provider::PostgreSQL;
    else if (provider.isEmpty())
        throw DbError(QStringLiteral("В файле sprav.udl не указан поставщик данных (Provider)."));
    else
        throw DbError(QStringLiteral("Неизвестный поставщик данных «%1» в файле sprav.udl. "
                                     "Поддерживаются SQLite и PostgreSQL.")
                          .arg(provider));

    link.dataSource = firstOf(pairs, {"data source", "host", "server"});
    link.catalog = firstOf(pairs, {"initial catalog", "database"});
    link.user = firstOf(pairs, {"user id", "uid", "user"});
    link.password = firstOf(pairs, {"password", "pwd"});
    const QString port = firstOf(pairs, {"port"});
    if (!port.isEmpty())
        link.port = port.toInt();
    if (link.dataSource.isEmpty() && link.provider == Provider::SQLite)
        throw DbError(
            QStringLiteral("В файле sprav.udl не указан файл базы данных (Data Source)."));
    return link;
}

DataLink DataLink::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        throw DbError(QStringLiteral("Не найден файл связи с базой данных «%1».")
                          .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Не удалось прочитать файл «%1»: %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
    return parse(file.readAll(), QFileInfo(path).absolutePath());
}

QString DataLink::databaseFile() const
{
    if (dataSource == QLatin1String(":memory:"))
        return dataSource;
    return QDir(baseDir).absoluteFilePath(QDir::fromNativeSeparators(dataSource));
}
