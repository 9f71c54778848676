// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "Scalar.h"
#include "app/TFmMain.h"
#include "app/TTrayIcon.h"
#include "db/Sql.h"
#include "editor/ui/TfrNewRecord.h"
#include "records/RecordStore.h"
#include "search/ui/TfrFind.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

MainWindowHarness::MainWindowHarness(const QString& user, const Cities& cities, bool trayAvailable,
                                     const Seed& seed)
{
    isolateSettings();
    TTrayIcon::setAvailabilityCheck([trayAvailable] { return trayAvailable; });
    RecordStore store(m_database.db());
    for (const auto& [name, code] : cities)
        store.addCity(name, code);
    if (seed)
        seed(m_database.db());
    m_main = std::make_unique<TFmMain>(m_database.db());
    m_main->show();
    // Without a user the test signs in, or shows the login, itself.
    if (user.isEmpty())
        return;
    m_main->signIn(user);
    if (!QTest::qWaitForWindowActive(m_main.get()))
        qWarning("the main window did not become active");
}

MainWindowHarness::~MainWindowHarness()
{
    m_main.reset();
    TTrayIcon::setAvailabilityCheck({});
}

void MainWindowHarness::isolateSettings()
{
    static QTemporaryDir dir;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

TfrNewRecord& MainWindowHarness::editor() const
{
    return *m_main->frNewRecordMain;
}

void MainWindowHarness::addUser(const QString& name)
{
    Sql::run(db(), QStringLiteral("INSERT INTO users (log, pass) VALUES (:log, :pass)"),
             {{"log", name}, {"pass", QStringLiteral("x")}});
}

int MainWindowHarness::insertRecord(const RecordData& record)
{
    return RecordStore(db()).insert(record);
}

void MainWindowHarness::showRecord(int id)
{
    emit m_main->frFindMain->recordChosen(id);
}

QVariant MainWindowHarness::column(int id, const QString& name) const
{
    // The column name is the test's own constant, never typed text.
    const QVariant value =
        scalar(db(), QStringLiteral("SELECT %1 FROM sprav WHERE id = :id").arg(name), {{"id", id}});
    return value.isNull() ? QVariant() : value;
}

int MainWindowHarness::count(const QString& statement) const
{
    return ::count(db(), statement);
}
