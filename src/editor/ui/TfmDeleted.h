// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordHistory.h"

#include <QDialog>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class QLabel;
class QPushButton;
class QTableWidget;

// "Удалённые записи": the records deleted in the last days that the user
// could have changed, the latest deletion first. "Восстановить" (or a double
// click, or Enter) brings the chosen record back; the window tells which by
// recordRestored and lists the rest anew.
class TfmDeleted : public QDialog
{
    Q_OBJECT

public:
    TfmDeleted(const QSqlDatabase& db, const QString& user, int days, QWidget* parent);

    void RefreshList();
    void BtnRestoreClick();

    QLabel* LblResult = nullptr;
    QTableWidget* SGDeleted = nullptr;
    QPushButton* BtnRestore = nullptr;
    QPushButton* BtnClose = nullptr;

signals:
    // The record is stored again under this id.
    void recordRestored(int id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateButtons();

    QSqlDatabase m_db;
    QString m_user;
    int m_days = 0;
    QList<RecordVersion> m_rows;
};
