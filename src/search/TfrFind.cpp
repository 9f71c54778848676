// SPDX-License-Identifier: MIT
#include "search/TfrFind.h"
#include "app/TFmMain.h"

#include <QLineEdit>

TfrFind::TfrFind(TFmMain* main, QWidget* parent) : QFrame(parent), m_main(main)
{
    setObjectName(QStringLiteral("frFindMain"));
    EdtRequest = new QLineEdit(this);
    EdtRequest->setObjectName(QStringLiteral("EdtRequest"));
}

void TfrFind::InitFind(const QSqlDatabase& db)
{
    m_db = db;
    EdtRequest->setFocus();
}

void TfrFind::Search() {}
void TfrFind::BtnAllClick() {}
void TfrFind::CmbCityExit() {}
void TfrFind::btnBirthClick() {}
void TfrFind::RefreshList() {}
void TfrFind::Button1Click() {}
