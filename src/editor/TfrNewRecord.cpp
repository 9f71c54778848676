// SPDX-License-Identifier: MIT
#include "editor/TfrNewRecord.h"
#include "app/TFmMain.h"

#include <QPushButton>

TfrNewRecord::TfrNewRecord(TFmMain* main, QWidget* parent) : QFrame(parent), m_main(main)
{
    setObjectName(QStringLiteral("frNewRecordMain"));
    BtnChange = new QPushButton(QStringLiteral("Изменить"), this);
    BtnChange->setObjectName(QStringLiteral("BtnChange"));
    BtnChange->hide();
}

void TfrNewRecord::InitFrame(const QSqlDatabase& db)
{
    m_db = db;
}

void TfrNewRecord::NewRecord()
{
    CurId = 0;
    BtnChange->hide();
    Modified = false;
}

void TfrNewRecord::NewFromTemplate()
{
    CurId = 0;
    BtnChange->hide();
    Modified = false;
}

void TfrNewRecord::ShowRecord(int id)
{
    CurId = id;
    BtnChange->show();
    Modified = false;
}

void TfrNewRecord::ClearRecord()
{
    Modified = false;
}

bool TfrNewRecord::btnOkClick()
{
    Modified = false;
    return true;
}

bool TfrNewRecord::BtnChangeClick()
{
    Modified = false;
    return true;
}

void TfrNewRecord::BtnDeleteClick() {}
void TfrNewRecord::btnReqClick() {}
void TfrNewRecord::btnClearClick()
{
    ClearRecord();
}
void TfrNewRecord::BtnSpouceClick() {}
void TfrNewRecord::btnHideClick() {}

void TfrNewRecord::BtnCancelClick()
{
    m_main->bringFindToFront();
    m_main->setRecordCommandsEnabled(false);
}

bool TfrNewRecord::showsRecord() const
{
    return !BtnChange->isHidden();
}
