// SPDX-License-Identifier: MIT
#include "db/StoredText.h"
#include "common/DbError.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QStringDecoder>
#include <libpq-fe.h>

namespace
{

constexpr char16_t byteOrderMark = 0xFEFF;
constexpr char16_t swappedByteOrderMark = 0xFFFE;

bool isText(const QVariant& value)
{
    return value.typeId() == QMetaType::QString && !value.isNull();
}

bool isEngine(const QSqlQuery& query, QSqlDriver::DbmsType engine)
{
    return query.driver() && query.driver()->dbmsType() == engine;
}

// SQLite would take the first character of these for a byte-order mark.
bool startsWithMark(const QString& text)
{
    return text.startsWith(QChar(byteOrderMark)) || text.startsWith(QChar(swappedByteOrderMark));
}

// The bytes PostgreSQL sent for a text column of the query's current record;
// a forward-only query holds one row at a time.
QByteArrayView postgresBytes(const QSqlQuery& query, int column)
{
    const QVariant handle = query.result()->handle();
    if (qstrcmp(handle.typeName(), "pg_result*") != 0 &&
        qstrcmp(handle.typeName(), "PGresult*") != 0)
        return {};
    const PGresult* result = *static_cast<PGresult* const*>(handle.constData());
    const int rows = PQntuples(result);
    const int row = query.at() >= 0 && query.at() < rows ? query.at() : 0;
    if (row >= rows || column < 0 || column >= PQnfields(result))
        return {};
    return QByteArrayView(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

// The placeholder that Qt's result gave the bound value at a position. Qt
// keeps it from the callers of the query; a member pointer named through a
// derived class reaches it.
class BoundName : public QSqlResult
{
public:
    static QString at(const QSqlResult* result, int pos)
    {
        return (result->*(&BoundName::boundValueName))(pos);
    }
};

// Binds a value at the position where it was bound. A statement with named
// placeholders is bound by the name again: binding it by position would turn
// the query to positional binding and leave a stray placeholder behind, so
// that a statement using a name twice no longer counts its parameters right.
void rebind(QSqlQuery& query, int pos, const QVariant& value)
{
    const QString name = BoundName::at(query.result(), pos);
    if (name.isEmpty() || name == QStringLiteral(":%1").arg(pos))
        query.bindValue(pos, value);
    else
        query.bindValue(name, value);
}

} // namespace

bool StoredText::storable(const QString& text)
{
    return !text.contains(QChar(u'\0'));
}

QString StoredText::nulWarning(const QString& field)
{
    return QStringLiteral("В поле «%1» есть невидимый знак NUL (код 0), который нельзя сохранить "
                          "в базе данных. Удалите его.")
        .arg(field);
}

void StoredText::checkBindings(const QSqlQuery& query)
{
    for (const QVariant& value : query.boundValues())
        if (isText(value) && !storable(value.toString()))
            throw DbError(QStringLiteral("Текст с невидимым знаком NUL (код 0) нельзя сохранить в "
                                         "базе данных: удалите этот знак и повторите."));
}

QVariantList StoredText::protectBindings(QSqlQuery& query)
{
    if (!isEngine(query, QSqlDriver::SQLite))
        return {};
    const QVariantList given = query.boundValues();
    bool changed = false;
    for (qsizetype i = 0; i < given.size(); ++i) {
        const QVariant& value = given.at(i);
        if (isText(value) && startsWithMark(value.toString())) {
            rebind(query, int(i), QString(QChar(byteOrderMark)) + value.toString());
            changed = true;
        }
    }
    return changed ? given : QVariantList();
}

void StoredText::restoreBindings(QSqlQuery& query, const QVariantList& given)
{
    for (qsizetype i = 0; i < given.size(); ++i)
        rebind(query, int(i), given.at(i));
}

QString StoredText::read(const QSqlQuery& query, int column)
{
    const QVariant value = query.value(column);
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QString && isEngine(query, QSqlDriver::PostgreSQL)) {
        const QByteArrayView raw = postgresBytes(query, column);
        if (raw.startsWith("\xEF\xBB\xBF"))
            return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                            QStringDecoder::Flag::ConvertInitialBom)
                .decode(raw);
    }
    return value.toString();
}
