// SPDX-License-Identifier: MIT
#pragma once

#include "editor/RecordData.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace Sql
{
class Kept;
}

// The statements of the record editor: a record with its phones inserted,
// loaded, changed and deleted, each write in one transaction; the spouse,
// requisites and privacy updates; the job-title and city lists, lookups and
// additions; the user names for the privacy dialog. Throws DbError.
class RecordStore
{
public:
    explicit RecordStore(const QSqlDatabase& db);

    // Blanks and control characters removed at both ends, as texts are stored.
    static QString trimmed(const QString& text);

    // Stores a new record and its filled phones; gives the new record's id.
    int insert(const RecordData& record);
    // The same within a transaction the caller has begun, so that many
    // records go in at once or not at all (an import); the job title and the
    // city are given as ids (0: none).
    int insertInTransaction(const RecordData& record, int prof, int city);
    enum class Access { Shown, Missing, HiddenAsWhole };
    // The record as stored, or nothing when there is no such record or it is
    // hidden as a whole from the user (access tells which). Values hidden
    // from the user (who is neither named in `owns` nor finds it empty) are
    // left out: they never reach the editor.
    std::optional<RecordData> load(int id, const QString& user, Access* access = nullptr);
    // Stores the editor's columns and merges the phones: a cleared phone is
    // deleted, a new one inserted, a kept one rewritten.
    void update(int id, const RecordData& record);
    // Deletes the record and its phones.
    void remove(int id);

    void updateReq(int id, const QString& req);
    // spbirthday: empty stores NULL.
    void updateSpouse(int id, const QString& spfio, const QString& spbirthday,
                      const QString& spinfo);
    // Stores the privacy texts and recomputes the hidden flag of the phones
    // of the given kinds.
    void updatePrivacy(int id, const QString& owns, const QString& hided,
                       const QList<int>& filledKinds);

    // Lookups ignore letter case; 0 when there is no such row (or no text).
    int profId(const QString& title);
    int cityId(const QString& name);
    // The telephone code of a city, or nothing when the city is unknown.
    std::optional<QString> cityCode(const QString& name);
    int addProf(const QString& title);
    int addCity(const QString& name, const QString& code);

    // Job titles in the order they were added; cities by name.
    QStringList profTitles();
    QStringList cityNames();
    // Every user name, in the order of the accounts.
    QStringList userNames();

    // The record in a row of `SELECT * FROM sprav`, read by position; the job
    // title and the city stay empty (the row holds their ids).
    static RecordData fromRow(const QSqlQuery& query);
    // Leaves out of a record what its privacy codes hide from a user who is
    // neither named in `owns` nor finds it empty.
    static void dropHidden(RecordData& record);

private:
    void insertPhone(int parentId, int kind, const QString& phone, const QString& hided);
    QString profTitle(const QVariant& id);
    QString cityName(const QVariant& id);

    QSqlDatabase m_db;
    // Kept prepared, so that many inserts in a row (an import) compile the
    // statements and the search index's triggers once.
    std::shared_ptr<Sql::Kept> m_recordInsert;
    std::shared_ptr<Sql::Kept> m_phoneInsert;
};
