// SPDX-License-Identifier: MIT
#include "PhoneWriteFailure.h"
#include "TestDatabase.h"
#include "db/Sql.h"

void makePhoneWritesFail(const TestDatabase& database)
{
    const QSqlDatabase db = database.db();
    if (database.engine() == Engine::PostgreSQL) {
        Sql::run(db, QStringLiteral(
                         "CREATE FUNCTION phone_fail() RETURNS trigger LANGUAGE plpgsql AS $$ "
                         "BEGIN IF (TG_OP <> 'DELETE' AND NEW.phone = 'boom') "
                         "OR (TG_OP <> 'INSERT' AND OLD.phone = 'boom') THEN "
                         "RAISE EXCEPTION 'boom'; END IF; "
                         "IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$"));
        Sql::run(db, QStringLiteral("CREATE TRIGGER phone_fail BEFORE INSERT OR UPDATE OR DELETE "
                                    "ON phone FOR EACH ROW EXECUTE FUNCTION phone_fail()"));
        return;
    }
    Sql::run(db, QStringLiteral("CREATE TRIGGER phone_fail_ins BEFORE INSERT ON phone "
                                "WHEN NEW.phone = 'boom' BEGIN SELECT RAISE(ABORT, 'boom'); END"));
    Sql::run(db, QStringLiteral("CREATE TRIGGER phone_fail_upd BEFORE UPDATE ON phone "
                                "WHEN NEW.phone = 'boom' OR OLD.phone = 'boom' "
                                "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
    Sql::run(db, QStringLiteral("CREATE TRIGGER phone_fail_del BEFORE DELETE ON phone "
                                "WHEN OLD.phone = 'boom' BEGIN SELECT RAISE(ABORT, 'boom'); END"));
}
