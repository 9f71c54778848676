// SPDX-License-Identifier: MIT
#include "db/SqliteFile.h"
#include "common/DbError.h"
#include "db/DataLink.h"
#include "db/Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>
#if defined(Q_OS_LINUX)
#include <sys/vfs.h>
#elif defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

namespace
{

struct Table {
    QString name;
    // Read by position (SELECT *): its columns lead in this order.
    bool byPosition;
    QStringList columns;
};

// What every version of the program has created.
const QList<Table>& directoryTables()
{
    const auto columns = [](const char* names) {
        return QString::fromLatin1(names).split(QLatin1Char(' '));
    };
    static const QList<Table> tables = {
        {QStringLiteral("sprav"), true,
         columns("id f io profid shortpp longpp legaladdress postaddress fizaddress homeaddress "
                 "cityid path email www birthday spfio spbirthday spinfo otherphones info req "
                 "owns hided")},
        {QStringLiteral("phone"), false, columns("parentid phone noteid hid")},
        {QStringLiteral("notes"), false, columns("id note")},
        {QStringLiteral("city"), false, columns("id cityname citycode")},
        {QStringLiteral("prof"), false, columns("id proftitle")},
        {QStringLiteral("users"), true, columns("id log pass")},
    };
    return tables;
}

QString displayName(const QString& path)
{
    return QDir::toNativeSeparators(DataLink::maskPasswords(path));
}

QString fileOf(const QSqlDatabase& db)
{
    sqlite3* handle = SqliteFile::handle(db.driver());
    const char* name = handle ? sqlite3_db_filename(handle, "main") : nullptr;
    return name && *name ? QString::fromUtf8(name) : db.databaseName();
}

QStringList columnsOf(const QSqlDatabase& db, const QString& table)
{
    QStringList names;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT name FROM pragma_table_info(:table)"),
                           {{"table", table}});
    while (q.next())
        names.append(q.value(0).toString().toLower());
    return names;
}

// What keeps the database from being a directory of this program; empty
// when nothing does.
QString whatIsMissing(const QSqlDatabase& db)
{
    for (const Table& table : directoryTables()) {
        const QStringList present = columnsOf(db, table.name);
        if (present.isEmpty())
            return QStringLiteral("в нём нет таблицы «%1»").arg(table.name);
        for (const QString& column : table.columns)
            if (!present.contains(column))
                return QStringLiteral("в таблице «%1» нет столбца «%2»").arg(table.name, column);
        if (table.byPosition && present.mid(0, table.columns.size()) != table.columns)
            return QStringLiteral("столбцы таблицы «%1» стоят не в том порядке, в каком их "
                                  "читает программа")
                .arg(table.name);
    }
    return {};
}

bool isEmpty(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT name FROM sqlite_master "
                                              "WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    return !q.next();
}

SqliteFile::FileSystemProbe& fileSystemProbe()
{
    static SqliteFile::FileSystemProbe probe;
    return probe;
}

// The file itself when it exists (through links), else the folder that
// would hold it.
QString existingPathOf(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    return info.absolutePath();
}

bool systemSaysNetwork(const QString& path)
{
#if defined(Q_OS_LINUX)
    struct statfs fs = {};
    if (::statfs(QFile::encodeName(path).constData(), &fs) != 0)
        return false;
    return SqliteFile::isNetworkFileSystem(quint64(quint32(fs.f_type)));
#elif defined(Q_OS_WIN)
    const QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(QLatin1String("\\\\")))
        return true; // a UNC path: \\server\share
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(reinterpret_cast<const wchar_t*>(native.utf16()), root, MAX_PATH))
        return false;
    return GetDriveTypeW(root) == DRIVE_REMOTE;
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace

bool SqliteFile::isNetworkFileSystem(quint64 type)
{
    // Only what is surely on another machine: 9p and FUSE serve local
    // folders as often as remote ones.
    switch (type) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x73757245: // Coda
    case 0x564C:     // NCP
    case 0x00C36400: // Ceph
        return true;
    default:
        return false;
    }
}

bool SqliteFile::onNetworkShare(const QString& path)
{
    if (path.isEmpty() || path == QLatin1String(":memory:"))
        return false;
    const QString existing = existingPathOf(path);
    if (const FileSystemProbe& probe = fileSystemProbe())
        return isNetworkFileSystem(probe(existing));
    return systemSaysNetwork(existing);
}

void SqliteFile::setFileSystemProbe(FileSystemProbe probe)
{
    fileSystemProbe() = std::move(probe);
}

QString SqliteFile::networkShareText(const QString& path)
{
    return QStringLiteral("База данных «%1» находится в сетевой папке. С файлом SQLite в сетевой "
                          "папке может надёжно работать только одно рабочее место: программа "
                          "работает с ним без режима WAL, но при одновременной работе нескольких "
                          "компьютеров база может повредиться. Если справочником пользуются "
                          "несколько рабочих мест, перенесите его на сервер PostgreSQL "
                          "(Provider=PostgreSQL в файле sprav.udl).")
        .arg(displayName(path));
}

sqlite3* SqliteFile::handle(const QSqlDriver* driver)
{
    if (!driver)
        return nullptr;
    const QVariant handle = driver->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

void SqliteFile::checkPath(const QString& path)
{
    const QFileInfo info(path);
    if (path == QLatin1String(":memory:") || !info.exists() || info.isFile())
        return;
    throw DbError(QStringLiteral("«%1» — не файл базы данных, а %2. Укажите в файле sprav.udl "
                                 "(Data Source) файл базы данных справочника.")
                      .arg(displayName(info.absoluteFilePath()),
                           info.isDir() ? QStringLiteral("папка")
                                        : QStringLiteral("особый файл (канал или устройство)")));
}

bool SqliteFile::check(const QSqlDatabase& db)
{
    const bool readOnly = SqliteFile::readOnly(db);
    if (isEmpty(db)) {
        if (readOnly)
            throw DbError(QStringLiteral("База данных «%1» пуста и открыта только для чтения: "
                                         "создать в ней справочник нельзя. Разрешите запись в "
                                         "файл и его папку или укажите в файле sprav.udl "
                                         "(Data Source) базу данных справочника.")
                              .arg(displayName(fileOf(db))));
        return false;
    }
    const QString missing = whatIsMissing(db);
    if (!missing.isEmpty())
        throw DbError(QStringLiteral("Файл «%1» не является базой данных справочника: %2. "
                                     "Программа не изменила этот файл. Укажите в файле sprav.udl "
                                     "(Data Source) базу данных справочника или имя нового файла.")
                          .arg(displayName(fileOf(db)), missing));
    return readOnly;
}

bool SqliteFile::readOnly(const QSqlDatabase& db)
{
    sqlite3* connection = handle(db.driver());
    return connection && sqlite3_db_readonly(connection, "main") == 1;
}

QString SqliteFile::explain(const QSqlError& error, const QSqlDriver* driver)
{
    sqlite3* connection = handle(driver);
    if (!connection)
        return {};
    const char* name = sqlite3_db_filename(connection, "main");
    return explain(error, QString::fromUtf8(name ? name : ""));
}

QString SqliteFile::explain(const QSqlError& error, const QString& path)
{
    bool isCode = false;
    const int code = error.nativeErrorCode().toInt(&isCode) & 0xFF;
    if (!isCode)
        return {};
    QString text;
    switch (code) {
    case SQLITE_NOTADB:
        text = QStringLiteral("Файл «%1» не является базой данных SQLite (или зашифрован). Укажите "
                              "в файле sprav.udl (Data Source) файл базы данных справочника.");
        break;
    case SQLITE_CORRUPT:
        text = QStringLiteral("База данных «%1» повреждена. Восстановите этот файл из резервной "
                              "копии.");
        break;
    case SQLITE_READONLY:
        text = QStringLiteral("База данных «%1» открыта только для чтения: изменения в ней "
                              "сохранить нельзя. Чтобы вносить изменения, разрешите запись в этот "
                              "файл и его папку (и уберите Mode=Read из файла sprav.udl, если он "
                              "там указан).");
        break;
    case SQLITE_CANTOPEN:
        text = QStringLiteral("Не удалось открыть файл базы данных «%1». Проверьте, что его папка "
                              "существует и программе разрешён доступ к ней.");
        break;
    default:
        return {};
    }
    return text.arg(displayName(path)) + QLatin1Char('\n') + error.text().trimmed();
}
