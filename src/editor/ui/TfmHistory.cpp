// SPDX-License-Identifier: MIT
#include "editor/ui/TfmHistory.h"
#include "common/ui/Guard.h"
#include "common/ui/Prompts.h"
#include "editor/ui/ListGrid.h"
#include "records/RecordFields.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QString momentText(const QDateTime& at)
{
    return at.isValid() ? at.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")) : QString();
}

} // namespace

TfmHistory::TfmHistory(const QSqlDatabase& db, int id, const RecordWrite& write, bool mayRestore,
                       QWidget* parent)
    : QDialog(parent), m_db(db), m_id(id), m_write(write), m_mayRestore(mayRestore)
{
    setObjectName(QStringLiteral("fmHistory"));
    setWindowTitle(QStringLiteral("История записи"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    LblResult = new QLabel(this);
    LblResult->setObjectName(QStringLiteral("LblResult"));
    SGVersions = makeListGrid(this, "SGVersions",
                              {QStringLiteral("Сохранил"), QStringLiteral("Сохранено"),
                               QStringLiteral("Заменил"), QStringLiteral("Заменено"),
                               QStringLiteral("Что изменено")});
    SGVersions->setColumnWidth(0, 80);
    SGVersions->setColumnWidth(1, 125);
    SGVersions->setColumnWidth(2, 80);
    SGVersions->setColumnWidth(3, 125);
    SGValues = makeListGrid(this, "SGValues",
                            {QStringLiteral("Поле"), QStringLiteral("Значение в этой версии")});
    SGValues->setColumnWidth(0, 220);
    SGValues->setSelectionMode(QAbstractItemView::NoSelection);
    QHBoxLayout* buttons =
        makeRestoreButtons(this, QStringLiteral("Восстановить эту версию"), &BtnRestore, &BtnClose);
    BtnRestore->setVisible(mayRestore);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblResult);
    layout->addWidget(SGVersions, 2);
    layout->addWidget(SGValues, 3);
    layout->addLayout(buttons);
    resize(720, 520);

    connect(BtnRestore, &QPushButton::clicked, this, &TfmHistory::BtnRestoreClick);
    connect(SGVersions, &QTableWidget::itemSelectionChanged, this, &TfmHistory::ShowVersion);
    RefreshList();
}

void TfmHistory::RefreshList()
{
    m_versions.clear();
    guarded(this, [this] { m_versions = RecordHistory(m_db).versions(m_id, m_write.user); });
    LblResult->setText(QStringLiteral("Прежних версий: %1").arg(m_versions.size()));
    SGVersions->clearContents();
    SGVersions->setRowCount(int(m_versions.size()));
    for (int row = 0; row < m_versions.size(); ++row) {
        const RecordVersion& v = m_versions.at(row);
        const QString changed = v.deleted
                                    ? QStringLiteral("запись удалена")
                                    : RecordFields::captions(v.changedFields, v.data, m_write.user)
                                          .join(QStringLiteral(", "));
        setGridRow(SGVersions, row,
                   {v.written.user, momentText(v.written.at), v.changedBy, momentText(v.changedAt),
                    changed});
    }
    if (!m_versions.isEmpty())
        SGVersions->selectRow(0);
    ShowVersion();
}

const RecordVersion* TfmHistory::chosen() const
{
    const int row = SGVersions->currentRow();
    return row >= 0 && row < m_versions.size() ? &m_versions.at(row) : nullptr;
}

void TfmHistory::ShowVersion()
{
    const RecordVersion* v = chosen();
    BtnRestore->setEnabled(v != nullptr);
    SGValues->clearContents();
    SGValues->setRowCount(0);
    if (!v)
        return;
    const QList<const RecordField*> fields = RecordFields::visible(v->data, m_write.user);
    SGValues->setRowCount(int(fields.size()));
    for (int row = 0; row < fields.size(); ++row)
        setGridRow(SGValues, row, {fields.at(row)->caption, fields.at(row)->value(v->data)});
}

void TfmHistory::BtnRestoreClick()
{
    const RecordVersion* v = chosen();
    if (!v || !m_mayRestore)
        return;
    try {
        RecordHistory(m_db).restoreVersion(m_id, v->histId, m_write);
    } catch (const RecordConflict& conflict) {
        // Nothing was written: the user decides anew on the record as it is.
        Prompts::instance().warning(this, conflict.text());
        return;
    } catch (const DbError& e) {
        Prompts::instance().error(this, e.text());
        return;
    }
    emit versionRestored(m_id);
    accept();
}
