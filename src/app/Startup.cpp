// SPDX-License-Identifier: MIT
#include "app/Startup.h"
#include "app/TFmMain.h"
#include "common/DbError.h"
#include "common/Prompts.h"
#include "db/DataLink.h"
#include "db/Database.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace
{
void loadTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}
} // namespace

int Startup::run(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Справочник"));
    QApplication::setApplicationDisplayName(QStringLiteral("Справочник"));
    loadTranslations(app);

    std::unique_ptr<Database> database;
    try {
        database = std::make_unique<Database>(
            DataLink::fromFile(QDir::current().filePath(QStringLiteral("sprav.udl"))));
    } catch (const DbError& e) {
        Prompts::instance().error(nullptr, e.text());
        return 1;
    }

    TFmMain window(database->db());
    window.show();
    return QApplication::exec();
}
