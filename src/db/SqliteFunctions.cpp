// SPDX-License-Identifier: MIT
// Built twice: into the core library, calling SQLite directly, and with
// SPRAV_SQLITE_EXTENSION as the loadable extension, calling SQLite through
// the routines its host hands over (the host may carry its own SQLite).
#include "db/SqliteFunctions.h"
#include "db/ContactIndex.h"
#include "db/Database.h"
#include "db/SortKey.h"

#include <QByteArray>
#include <QString>
#include <tuple>

#ifdef SPRAV_SQLITE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1
#else
#include <sqlite3.h>
#endif

namespace
{

void sqliteLower(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int size = sqlite3_value_bytes(argv[0]);
    const QByteArray lowered = Database::lowerUtf8(QByteArray::fromRawData(raw, size));
    sqlite3_result_text(context, lowered.constData(), int(lowered.size()), SQLITE_TRANSIENT);
}

QString sqliteText(sqlite3_value* value)
{
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return QString();
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QString::fromUtf8(raw, sqlite3_value_bytes(value));
}

void sqliteSortKey(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 2) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray key = SortKey::of(sqliteText(argv[0]), sqliteText(argv[1])).toUtf8();
    sqlite3_result_text(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

void sqlitePhoneDigits(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    const QByteArray digits =
        ContactIndex::digitsOf(argc == 1 ? sqliteText(argv[0]) : QString()).toLatin1();
    sqlite3_result_text(context, digits.constData(), int(digits.size()), SQLITE_TRANSIENT);
}

// contains(text, part): 1 when the text holds the part, as instr() > 0 tells
// (for UTF-8 texts a match of bytes is a match of characters), 0 when not,
// NULL when either is NULL. instr() compares at every character of the text,
// which made it the largest cost of a broad search.
void sqliteContains(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL ||
        sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int textSize = sqlite3_value_bytes(argv[0]);
    const auto* part = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int partSize = sqlite3_value_bytes(argv[1]);
    sqlite3_result_int(
        context,
        QByteArrayView(text, textSize).indexOf(QByteArrayView(part, partSize)) >= 0 ? 1 : 0);
}

// idlist(id): the integers of its rows, in the order they come, as one blob
// of 32-bit integers in the machine's byte order (NULL without rows). A
// listing of a million ids travels without a text to write and parse.
struct IdList {
    QByteArray* ids;
};

void sqliteIdListStep(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    auto* list = static_cast<IdList*>(sqlite3_aggregate_context(context, sizeof(IdList)));
    if (!list || argc != 1) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (!list->ids)
        list->ids = new QByteArray;
    const qint32 id = qint32(sqlite3_value_int64(argv[0]));
    list->ids->append(reinterpret_cast<const char*>(&id), sizeof id);
}

void sqliteIdListFinal(sqlite3_context* context)
{
    auto* list = static_cast<IdList*>(sqlite3_aggregate_context(context, 0));
    if (!list || !list->ids) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_blob(context, list->ids->constData(), int(list->ids->size()), SQLITE_TRANSIENT);
    delete list->ids;
    list->ids = nullptr;
}

int registerAll(sqlite3* handle)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    for (const auto& [name, arguments, function] :
         {std::tuple{"ulower", 1, &sqliteLower}, std::tuple{"sortkey", 2, &sqliteSortKey},
          std::tuple{"phonedigits", 1, &sqlitePhoneDigits},
          std::tuple{"contains", 2, &sqliteContains}}) {
        const int rc = sqlite3_create_function(handle, name, arguments, flags, nullptr, function,
                                               nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return sqlite3_create_function(handle, "idlist", 1, SQLITE_UTF8, nullptr, nullptr,
                                   sqliteIdListStep, sqliteIdListFinal);
}

} // namespace

#ifdef SPRAV_SQLITE_EXTENSION
// The entry point SQLite looks for in libsprav_sqlite.
extern "C" Q_DECL_EXPORT int sqlite3_spravsqlite_init(sqlite3* handle, char** /*error*/,
                                                      const sqlite3_api_routines* api)
{
    SQLITE_EXTENSION_INIT2(api);
    return registerAll(handle);
}
#else
int SqliteFunctions::registerOn(sqlite3* handle)
{
    return registerAll(handle);
}
#endif
