// SPDX-License-Identifier: MIT
#include "editor/ui/TfmDeleted.h"
#include "common/ui/Guard.h"
#include "editor/ui/ListGrid.h"
#include "records/RecordFields.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

// "1 день", "3 дня", "90 дней".
QString daysText(int days)
{
    const int lastTwo = days % 100;
    const int last = days % 10;
    if (last == 1 && lastTwo != 11)
        return QStringLiteral("%1 день").arg(days);
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QStringLiteral("%1 дня").arg(days);
    return QStringLiteral("%1 дней").arg(days);
}

QString momentText(const QDateTime& at)
{
    return at.isValid() ? at.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")) : QString();
}

} // namespace

TfmDeleted::TfmDeleted(const QSqlDatabase& db, const QString& user, int days, QWidget* parent)
    : QDialog(parent), m_db(db), m_user(user), m_days(days)
{
    setObjectName(QStringLiteral("fmDeleted"));
    setWindowTitle(QStringLiteral("Удалённые записи"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    LblResult = new QLabel(this);
    LblResult->setObjectName(QStringLiteral("LblResult"));
    SGDeleted = makeListGrid(this, "SGDeleted",
                             {QStringLiteral("Фамилия Имя Отчество"), QStringLiteral("Телефоны"),
                              QStringLiteral("Удалил"), QStringLiteral("Когда")});
    SGDeleted->setColumnWidth(0, 200);
    SGDeleted->setColumnWidth(1, 220);
    SGDeleted->setColumnWidth(2, 90);
    QHBoxLayout* buttons =
        makeRestoreButtons(this, QStringLiteral("Восстановить"), &BtnRestore, &BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblResult);
    layout->addWidget(SGDeleted, 1);
    layout->addLayout(buttons);
    resize(680, 400);

    connect(BtnRestore, &QPushButton::clicked, this, &TfmDeleted::BtnRestoreClick);
    connect(SGDeleted, &QTableWidget::cellDoubleClicked, this, &TfmDeleted::BtnRestoreClick);
    connect(SGDeleted, &QTableWidget::itemSelectionChanged, this, &TfmDeleted::updateButtons);
    SGDeleted->installEventFilter(this);
    RefreshList();
}

void TfmDeleted::RefreshList()
{
    const int keptRow = SGDeleted->currentRow();
    m_rows.clear();
    guarded(this, [this] { m_rows = RecordHistory(m_db).deletedRecords(m_user, m_days); });
    LblResult->setText(
        QStringLiteral("Удалено за последние %1: %2").arg(daysText(m_days)).arg(m_rows.size()));
    SGDeleted->clearContents();
    SGDeleted->setRowCount(int(m_rows.size()));
    for (int row = 0; row < m_rows.size(); ++row) {
        const RecordVersion& v = m_rows.at(row);
        setGridRow(SGDeleted, row,
                   {v.data.f + QLatin1Char(' ') + v.data.io,
                    RecordFields::phonesText(v.data, m_user), v.changedBy,
                    momentText(v.changedAt)});
    }
    if (!m_rows.isEmpty())
        SGDeleted->selectRow(std::clamp(keptRow, 0, int(m_rows.size()) - 1));
    updateButtons();
}

void TfmDeleted::BtnRestoreClick()
{
    const int row = SGDeleted->currentRow();
    if (row < 0 || row >= m_rows.size())
        return;
    const int histId = m_rows.at(row).histId;
    int id = 0;
    const bool restored =
        guarded(this, [&] { id = RecordHistory(m_db).restoreDeleted(histId, m_user); });
    if (restored)
        emit recordRestored(id);
    // Restored here or by somebody else meanwhile: either way it leaves the list.
    RefreshList();
}

void TfmDeleted::updateButtons()
{
    BtnRestore->setEnabled(SGDeleted->currentRow() >= 0 && !m_rows.isEmpty());
}

bool TfmDeleted::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == SGDeleted && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BtnRestoreClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
