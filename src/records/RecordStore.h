// SPDX-License-Identifier: MIT
#pragma once

#include "common/DbError.h"
#include "records/RecordData.h"

#include <QDateTime>
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

// The revision of a record and who wrote it when. A record stored before
// revisions were kept has revision 0 and nobody.
struct RecordRevision {
    int rev = 0;
    QString user;
    QDateTime at;
};

// What a write of a loaded record needs: the revision the editor saw and the
// acting user. With overwrite the write goes through whatever was stored
// meanwhile (the user chose so).
struct RecordWrite {
    int seenRev = 0;
    QString user;
    bool overwrite = false;
};

// A write refused because another user changed or deleted the record after
// it was loaded. Nothing was written. The text is the message for the user.
class RecordConflict : public DbError
{
public:
    enum Kind { Changed, Deleted };
    RecordConflict(Kind kind, const QString& user, const QDateTime& at);
    Kind kind;
    QString user;
    QDateTime at;
};

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

    // Stores a new record and its filled phones as revision 1 of the user;
    // gives the new record's id.
    int insert(const RecordData& record, const QString& user = QString());
    // The same within a transaction the caller has begun, so that many
    // records go in at once or not at all (an import); the job title and the
    // city are given as ids (0: none).
    int insertInTransaction(const RecordData& record, int prof, int city,
                            const QString& user = QString());
    enum class Access { Shown, Missing, HiddenAsWhole };
    // The record as stored, or nothing when there is no such record or it is
    // hidden as a whole from the user (access tells which). Values hidden
    // from the user (who is neither named in `owns` nor finds it empty) are
    // left out: they never reach the editor.
    // revision: the revision seen, for the writes that follow.
    std::optional<RecordData> load(int id, const QString& user, Access* access = nullptr,
                                   RecordRevision* revision = nullptr);
    // The stored revision of a record (0 when none was kept).
    RecordRevision revision(int id);

    // The writes of a loaded record. Each checks the revision seen and
    // writes, with the previous state copied into the history, in one
    // transaction, and gives the record's new revision. Throws
    // RecordConflict when the record changed or was deleted meanwhile
    // (unless overwrite: then a deleted record is still reported deleted),
    // DbError when it is gone without a trace.

    // Stores the editor's columns and merges the phones: a cleared phone is
    // deleted, a new one inserted, a kept one rewritten.
    int update(int id, const RecordData& record, const RecordWrite& write);
    // Deletes the record and its phones; the history keeps them.
    void remove(int id, const RecordWrite& write);

    int updateReq(int id, const QString& req, const RecordWrite& write);
    // spbirthday: empty stores NULL.
    int updateSpouse(int id, const QString& spfio, const QString& spbirthday, const QString& spinfo,
                     const RecordWrite& write);
    // Stores the privacy texts and recomputes the hidden flag of the phones
    // of the given kinds.
    int updatePrivacy(int id, const QString& owns, const QString& hided,
                      const QList<int>& filledKinds, const RecordWrite& write);

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
    friend class RecordHistory;
    // The record exactly as stored, hidden values included.
    std::optional<RecordData> stored(int id, RecordRevision* revision = nullptr);
    // Checks and raises the revision and copies the record's state into the
    // history, inside the caller's transaction; gives the new revision.
    int advance(int id, const RecordWrite& write, bool deleting = false);
    void insertPhone(int parentId, int kind, const QString& phone, const QString& hided);
    QString profTitle(const QVariant& id);
    QString cityName(const QVariant& id);

    QSqlDatabase m_db;
    // Kept prepared, so that many inserts in a row (an import) compile the
    // statements and the search index's triggers once.
    std::shared_ptr<Sql::Kept> m_recordInsert;
    std::shared_ptr<Sql::Kept> m_phoneInsert;
    std::shared_ptr<Sql::Kept> m_revisionInsert;
};
