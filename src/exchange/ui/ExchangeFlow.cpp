// SPDX-License-Identifier: MIT
#include "exchange/ui/ExchangeFlow.h"
#include "common/DbError.h"
#include "common/ui/Prompts.h"
#include "exchange/ContactFile.h"
#include "exchange/ExchangeError.h"
#include "exchange/Importer.h"
#include "exchange/VisibleRecords.h"
#include "exchange/ui/ExchangeProgress.h"
#include "exchange/ui/ExportDialog.h"
#include "exchange/ui/ImportDialog.h"

#include <QDir>
#include <QFileInfo>

namespace
{

QString summaryText(const Importer::Summary& summary)
{
    QString text =
        QStringLiteral("Сохранено записей: %1.\nПропущено (уже есть в справочнике): %2.\n"
                       "Отклонено: %3.")
            .arg(summary.stored)
            .arg(summary.duplicates)
            .arg(summary.rejections.size());
    for (qsizetype i = 0; i < summary.rejections.size(); ++i) {
        if (i == ExchangeFlow::listedRejections) {
            text += QStringLiteral("\n… и ещё %1.").arg(summary.rejections.size() - i);
            break;
        }
        text += u'\n' + summary.rejections.at(i).text();
    }
    return text;
}

QString filterFor(Exporter::Format format)
{
    return format == Exporter::Format::Csv ? QStringLiteral("CSV (*.csv)")
                                           : QStringLiteral("vCard (*.vcf)");
}

} // namespace

bool ExchangeFlow::importContacts(QWidget* parent, const QSqlDatabase& db, const QString& user)
{
    const QString path = Prompts::instance().openFileName(
        parent, QStringLiteral("Импорт контактов"),
        QStringLiteral("Контакты (*.vcf *.vcard *.csv);;vCard (*.vcf *.vcard);;CSV (*.csv);;"
                       "Все файлы (*)"));
    if (path.isEmpty())
        return false;
    try {
        const ContactFile file(path);
        ImportDialog dialog(file, db, user, parent);
        if (!dialog.prepare() || dialog.exec() != QDialog::Accepted)
            return false;
        const std::unique_ptr<ContactReader> reader =
            file.open(dialog.mapping(), dialog.headerRow());
        ExchangeProgress progress(parent, QStringLiteral("Импорт записей..."),
                                  dialog.preview().records > ExchangeProgress::shownAbove);
        const Importer::Summary summary =
            Importer(db, user).run(file, *reader, dialog.storeDuplicates(), progress.callback());
        if (summary.cancelled) {
            Prompts::instance().information(parent,
                                            QStringLiteral("Импорт отменён: ничего не сохранено."));
            return false;
        }
        Prompts::instance().information(parent, summaryText(summary));
        return summary.stored > 0;
    } catch (const ExchangeError& e) {
        Prompts::instance().error(parent, e.text() + QStringLiteral("\nНичего не сохранено."));
    } catch (const DbError& e) {
        Prompts::instance().error(parent, e.text() + QStringLiteral("\nНичего не сохранено."));
    }
    return false;
}

void ExchangeFlow::exportContacts(QWidget* parent, const QSqlDatabase& db, const QString& user,
                                  const QList<int>& listed)
{
    ExportDialog dialog(int(listed.size()), parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Exporter::Format format = dialog.format();
    const QString suffix = Exporter::suffix(format);
    QString path = Prompts::instance().saveFileName(
        parent, QStringLiteral("Экспорт контактов"),
        QDir::home().filePath(QStringLiteral("Контакты.") + suffix), filterFor(format));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    try {
        const QList<int> ids = dialog.listOnly() ? listed : VisibleRecords(db, user).allIds();
        ExchangeProgress progress(parent, QStringLiteral("Экспорт записей..."),
                                  ids.size() > ExchangeProgress::shownAbove);
        const Exporter::Result result =
            Exporter(db, user).write(path, format, ids, progress.callback());
        Prompts::instance().information(
            parent, result.cancelled ? QStringLiteral("Экспорт отменён: файл не записан.")
                                     : QStringLiteral("Экспортировано записей: %1.\nФайл: %2")
                                           .arg(result.written)
                                           .arg(QDir::toNativeSeparators(path)));
    } catch (const ExchangeError& e) {
        Prompts::instance().error(parent, e.text());
    } catch (const DbError& e) {
        Prompts::instance().error(parent, e.text());
    }
}
