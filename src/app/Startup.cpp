// SPDX-License-Identifier: MIT
#include "app/Startup.h"
#include "app/TFmMain.h"
#include "auth/SettingsStore.h"
#include "auth/ui/TfmLogin.h"
#include "common/DbError.h"
#include "common/ui/Prompts.h"
#include "db/DataLink.h"
#include "db/DataLinkFile.h"
#include "db/Database.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace
{

// Qt's own texts (standard buttons, the print dialog) in Russian.
void loadTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

std::unique_ptr<Database> openDatabase()
{
    return std::make_unique<Database>(DataLink::fromFile(DataLinkFile::find()));
}

} // namespace

int Startup::run(QApplication& app, const QString& settingsFile)
{
    QApplication::setApplicationName(QStringLiteral("Справочник"));
    loadTranslations(app);
    // The windows are laid out at fixed sizes for an 8-point dialog font.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    std::unique_ptr<Database> database;
    try {
        database = openDatabase();
    } catch (const DbError& e) {
        Prompts::instance().error(nullptr, e.text());
        return 1;
    }

    TFmMain window(database->db());
    // The window may be hidden in the notification area when it is closed
    // from there; the program ends all the same.
    QObject::connect(&window, &TFmMain::closed, &app, &QCoreApplication::quit);
    window.show();
    // Once per start, before anyone works with the data.
    if (!database->notice().isEmpty())
        Prompts::instance().warning(&window, database->notice());
    {
        TfmLogin login(
            &window, window.database(),
            [&window](const QString& user) { return window.signIn(user); },
            settingsFile.isEmpty() ? std::make_unique<SettingsStore>()
                                   : std::make_unique<SettingsStore>(settingsFile));
        login.exec();
    }
    // Cancelling the login has closed the window already.
    if (window.isClosed())
        return 0;
    // Without a window manager nothing hands the focus back after the dialog.
    window.activateWindow();
    return QApplication::exec();
}
