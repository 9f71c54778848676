// SPDX-License-Identifier: MIT
#include "EditorHarness.h"
#include "app/TFmMain.h"
#include "db/Sql.h"
#include "editor/ui/TfrNewRecord.h"
#include "records/RecordStore.h"
#include "search/ui/TfrFind.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTest>

EditorHarness::EditorHarness(const QString& user, const QList<QPair<QString, QString>>& cities)
{
    RecordStore store(m_database.db());
    for (const auto& [name, code] : cities)
        store.addCity(name, code);
    m_main = std::make_unique<TFmMain>(m_database.db());
    m_main->show();
    m_main->signIn(user);
    if (!QTest::qWaitForWindowActive(m_main.get()))
        qWarning("the main window did not become active");
}

EditorHarness::~EditorHarness()
{
    m_main.reset();
}

void EditorHarness::isolateSettings()
{
    static QTemporaryDir dir;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

TfrNewRecord& EditorHarness::editor() const
{
    return *m_main->frNewRecordMain;
}

void EditorHarness::addUser(const QString& name)
{
    Sql::run(db(), QStringLiteral("INSERT INTO users (log, pass) VALUES (:log, :pass)"),
             {{"log", name}, {"pass", QStringLiteral("x")}});
}

int EditorHarness::insertRecord(const RecordData& record)
{
    return RecordStore(db()).insert(record);
}

void EditorHarness::showRecord(int id)
{
    emit m_main->frFindMain->recordChosen(id);
}

QVariant EditorHarness::column(int id, const QString& name) const
{
    // The column name is the test's own constant, never typed text.
    QSqlQuery q = Sql::run(db(), QStringLiteral("SELECT %1 FROM sprav WHERE id = :id").arg(name),
                           {{"id", id}});
    return q.next() && !q.value(0).isNull() ? q.value(0) : QVariant();
}

int EditorHarness::count(const QString& statement) const
{
    QSqlQuery q = Sql::run(db(), statement);
    return q.next() ? q.value(0).toInt() : -1;
}

void EditorHarness::typeText(QWidget* widget, const QString& text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c == U'\n') {
            QTest::keyClick(widget, Qt::Key_Return);
            continue;
        }
        const QString typed = QString::fromUcs4(&c, 1);
        const Qt::Key key = c < 0x80 && QChar(c).isLetterOrNumber()
                                ? Qt::Key(QChar(c).toUpper().unicode())
                                : (c == U' ' ? Qt::Key_Space : Qt::Key_unknown);
        QTest::sendKeyEvent(QTest::Press, widget, key, typed, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, typed, Qt::NoModifier);
    }
}
