// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>
#include <QSqlDatabase>

class QLineEdit;
class TFmMain;

// The search view: lists the records the current user may see, by search
// text, all, by city, or by birthday, in one grid that is also printed.
class TfrFind : public QFrame
{
    Q_OBJECT

public:
    TfrFind(TFmMain* main, QWidget* parent);

    void InitFind(const QSqlDatabase& db);
    void Search();
    void BtnAllClick();
    void CmbCityExit();
    void btnBirthClick();
    void RefreshList();
    void Button1Click();

    QLineEdit* EdtRequest = nullptr;

private:
    TFmMain* m_main;
    QSqlDatabase m_db;
};
