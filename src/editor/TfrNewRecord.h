// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>
#include <QSqlDatabase>

class QPushButton;
class TFmMain;

// The record editor: one directory record typed, shown, changed or deleted.
class TfrNewRecord : public QFrame
{
    Q_OBJECT

public:
    TfrNewRecord(TFmMain* main, QWidget* parent);

    void InitFrame(const QSqlDatabase& db);
    void NewRecord();
    void NewFromTemplate();
    void ShowRecord(int id);
    void ClearRecord();

    // Each returns false when the action stopped (refused input, database error).
    bool btnOkClick();
    bool BtnChangeClick();
    void BtnDeleteClick();
    void btnReqClick();
    void btnClearClick();
    void BtnSpouceClick();
    void btnHideClick();
    void BtnCancelClick();

    // True while an existing record is shown ("Изменить" visible).
    bool showsRecord() const;

    // The unsaved-changes flag.
    bool Modified = false;
    int CurId = 0;

    QPushButton* BtnChange = nullptr;

private:
    TFmMain* m_main;
    QSqlDatabase m_db;
};
