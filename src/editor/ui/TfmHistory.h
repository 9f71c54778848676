// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordHistory.h"

#include <QDialog>
#include <QList>
#include <QSqlDatabase>

class QLabel;
class QPushButton;
class QTableWidget;

// "История записи": the earlier versions of one record, newest first, with
// who stored and who replaced each and which fields the change altered;
// below, the values of the chosen version. "Восстановить эту версию" stores
// it as a new change of the record, checked against the revision the editor
// saw; offered only to a user who may change the record. Shows nothing but
// what the history gives for the user.
class TfmHistory : public QDialog
{
    Q_OBJECT

public:
    // write: the revision the editor saw and the acting user.
    TfmHistory(const QSqlDatabase& db, int id, const RecordWrite& write, bool mayRestore,
               QWidget* parent);

    void RefreshList();
    void ShowVersion();
    void BtnRestoreClick();

    QLabel* LblResult = nullptr;
    QTableWidget* SGVersions = nullptr;
    QTableWidget* SGValues = nullptr;
    QPushButton* BtnRestore = nullptr;
    QPushButton* BtnClose = nullptr;

signals:
    // The chosen version is stored as the record's newest state.
    void versionRestored(int id);

private:
    const RecordVersion* chosen() const;

    QSqlDatabase m_db;
    int m_id = 0;
    RecordWrite m_write;
    bool m_mayRestore = false;
    QList<RecordVersion> m_versions;
};
