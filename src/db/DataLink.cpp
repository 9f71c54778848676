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

// UTF-16 without a byte-order mark shows the zero bytes of its Latin
// letters: after them in little-endian order, before them in big-endian.
QStringDecoder::Encoding utf16Order(const QByteArray& bytes)
{
    qsizetype odd = 0;
    qsizetype even = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes.at(i) == '\0')
            ++(i % 2 ? odd : even);
    return odd >= even ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
}

QString displayName(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// OLE DB's Mode setting, e.g. "Read", "ReadWrite|Share Deny None".
bool readOnlyMode(const QString& mode)
{
    QStringList flags;
    for (const QString& flag : mode.split(QLatin1Char('|')))
        flags.append(flag.trimmed().toLower());
    return flags.contains(QLatin1String("read")) && !flags.contains(QLatin1String("write")) &&
           !flags.contains(QLatin1String("readwrite"));
}

// A data-link file holds a few lines; anything larger is not one.
constexpr qint64 maxFileSize = 64 * 1024;

} // namespace

std::optional<QString> DataLink::decode(const QByteArray& bytes)
{
    QStringDecoder::Encoding encoding = QStringDecoder::Utf8;
    qsizetype mark = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringDecoder::Utf16LE;
        mark = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringDecoder::Utf16BE;
        mark = 2;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        mark = 3;
    } else if (bytes.contains('\0')) {
        encoding = utf16Order(bytes);
    }
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes).sliced(mark));
    if (decoder.hasError() || text.contains(QChar(u'\0')))
        return std::nullopt;
    return text;
}

QString DataLink::maskPasswords(const QString& value)
{
    static const QRegularExpression setting(QStringLiteral("(password|pwd)\\s*="),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = setting.match(value);
    return match.hasMatch() ? value.left(match.capturedEnd()) + QStringLiteral("***") : value;
}

QString DataLink::masked(const QString& message) const
{
    QString text = message;
    for (const QString& value : {dataSource, catalog, user}) {
        const QString hidden = maskPasswords(value);
        if (hidden != value)
            text.replace(value, hidden);
    }
    return text;
}

DataLink DataLink::parse(const QByteArray& bytes, const QString& baseDir, const QString& fileName)
{
    const std::optional<QString> text = decode(bytes);
    if (!text)
        throw DbError(QStringLiteral("Файл «%1» не удалось прочитать: это не текст в кодировке "
                                     "UTF-8 или UTF-16. Сохраните его в одной из этих кодировок.")
                          .arg(fileName));
    QMap<QString, QString> pairs;
    const QStringList lines = text->split(QRegularExpression(QStringLiteral("[\r\n]+")));
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
        throw DbError(
            QStringLiteral("В файле «%1» не указан поставщик данных (Provider).").arg(fileName));
    else
        throw DbError(QStringLiteral("Неизвестный поставщик данных «%1» в файле «%2». "
                                     "Поддерживаются SQLite и PostgreSQL; настройки разделяются "
                                     "знаком «;».")
                          .arg(maskPasswords(provider), fileName));

    link.dataSource = firstOf(pairs, {"data source", "host", "server"});
    link.catalog = firstOf(pairs, {"initial catalog", "database"});
    link.user = firstOf(pairs, {"user id", "uid", "user"});
    link.password = firstOf(pairs, {"password", "pwd"});
    link.readOnly = readOnlyMode(firstOf(pairs, {"mode"}));
    const QString port = firstOf(pairs, {"port"});
    if (!port.isEmpty()) {
        bool number = false;
        link.port = port.toInt(&number);
        if (!number || link.port <= 0 || link.port > 65535)
            throw DbError(QStringLiteral("Неверный номер порта «%1» в файле «%2».")
                              .arg(maskPasswords(port), fileName));
    }
    if (link.dataSource.isEmpty() && link.provider == Provider::SQLite)
        throw DbError(
            QStringLiteral("В файле «%1» не указан файл базы данных (Data Source).").arg(fileName));
    return link;
}

DataLink DataLink::fromFile(const QString& path)
{
    const QFileInfo info(path);
    const QString name = displayName(path);
    if (!info.exists())
        throw DbError(QStringLiteral("Не найден файл связи с базой данных «%1».").arg(name));
    // A pipe or a device would keep the program waiting for ever.
    if (!info.isFile())
        throw DbError(QStringLiteral("«%1» — не файл связи с базой данных, а папка, канал или "
                                     "устройство. Замените его текстовым файлом, который называет "
                                     "базу данных.")
                          .arg(name));
    if (info.size() > maxFileSize)
        throw DbError(
            QStringLiteral("Файл «%1» слишком велик для файла связи с базой данных.").arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(
            QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(name, file.errorString()));
    return parse(file.read(maxFileSize), info.absolutePath(), name);
}

QString DataLink::databaseFile() const
{
    if (dataSource == QLatin1String(":memory:"))
        return dataSource;
    return QDir(baseDir).absoluteFilePath(QDir::fromNativeSeparators(dataSource));
}
