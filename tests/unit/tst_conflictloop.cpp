// SPDX-License-Identifier: MIT
#include "editor/ConflictLoop.h"
#include "records/RecordStore.h"

#include <QtTest>

using Written = ConflictLoop::Written;
using Kinds = QList<int>;
using Answers = QList<Written>;
using Flags = QList<bool>;

Q_DECLARE_METATYPE(ConflictLoop::Written)

// The one loop behind every write of the shown record (change, deletion, a
// dialog's store): what it writes again, when it stops, which revision it keeps.
class TestConflictLoop : public QObject
{
    Q_OBJECT

private slots:
    void answersDecideTheWrites_data();
    void answersDecideTheWrites();
    void otherErrorsPassOn();
};

void TestConflictLoop::answersDecideTheWrites_data()
{
    QTest::addColumn<Kinds>("conflicts"); // met by the first writes, in order
    QTest::addColumn<Answers>("answers"); // the user's, one a conflict
    QTest::addColumn<Written>("written");
    QTest::addColumn<Flags>("overwrites"); // each write's overwrite flag
    QTest::addColumn<int>("rev");

    const int C = RecordConflict::Changed;
    const int D = RecordConflict::Deleted;
    QTest::newRow("no conflict") << Kinds{} << Answers{} << Written::Stored << Flags{false} << 8;
    QTest::newRow("changed, overwrite") << Kinds{C} << Answers{Written::Overwritten}
                                        << Written::Overwritten << Flags{false, true} << 8;
    QTest::newRow("changed, back to editing")
        << Kinds{C} << Answers{Written::Nothing} << Written::Nothing << Flags{false} << 7;
    QTest::newRow("changed, reload")
        << Kinds{C} << Answers{Written::Reloaded} << Written::Reloaded << Flags{false} << 7;
    QTest::newRow("deleted, save as new")
        << Kinds{D} << Answers{Written::SavedAsNew} << Written::SavedAsNew << Flags{false} << 7;
    QTest::newRow("deletion finds it gone")
        << Kinds{D} << Answers{Written::Gone} << Written::Gone << Flags{false} << 7;
    QTest::newRow("overwrite finds it deleted by now")
        << Kinds{C, D} << Answers{Written::Overwritten, Written::SavedAsNew} << Written::SavedAsNew
        << Flags{false, true} << 7;
    QTest::newRow("overwrite finds it deleted, deletion gone")
        << Kinds{C, D} << Answers{Written::Overwritten, Written::Gone} << Written::Gone
        << Flags{false, true} << 7;
}

void TestConflictLoop::answersDecideTheWrites()
{
    QFETCH(Kinds, conflicts);
    QFETCH(Answers, answers);
    QFETCH(Written, written);
    QFETCH(Flags, overwrites);
    QFETCH(int, rev);

    Flags flags;
    Kinds asked;
    int kept = 7;
    const auto write = [&](const RecordWrite& w) {
        // Every write goes on the revision loaded, in the user's name.
        if (w.seenRev != 7 || w.user != QStringLiteral("u1"))
            throw DbError(QStringLiteral("wrong write"));
        flags.append(w.overwrite);
        if (flags.size() <= conflicts.size())
            throw RecordConflict(RecordConflict::Kind(conflicts.at(flags.size() - 1)),
                                 QStringLiteral("u2"), QDateTime());
        return 8;
    };
    const auto resolve = [&](const RecordConflict& conflict) {
        asked.append(conflict.kind);
        return answers.value(asked.size() - 1, Written::Nothing);
    };

    QCOMPARE(ConflictLoop::run({7, QStringLiteral("u1")}, write, resolve, &kept), written);
    QCOMPARE(flags, overwrites);
    QCOMPARE(asked, conflicts);
    QCOMPARE(kept, rev);
}

void TestConflictLoop::otherErrorsPassOn()
{
    int resolved = 0;
    int kept = 7;
    QVERIFY_THROWS_EXCEPTION(
        DbError, ConflictLoop::run(
                     {7, QStringLiteral("u1")},
                     [](const RecordWrite&) -> int { throw DbError(QStringLiteral("gone away")); },
                     [&](const RecordConflict&) {
                         ++resolved;
                         return Written::Nothing;
                     },
                     &kept));
    QCOMPARE(resolved, 0);
    QCOMPARE(kept, 7);
}

QTEST_APPLESS_MAIN(TestConflictLoop)
#include "tst_conflictloop.moc"
