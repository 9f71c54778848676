// SPDX-License-Identifier: MIT
#pragma once

#include "editor/ui/FieldLocks.h"
#include "editor/ui/RecordFormWidgets.h"
#include "records/Privacy.h"
#include "records/RecordData.h"
#include "records/SpouseData.h"

#include <QWidget>

// The fields of one directory record in four group boxes, and the values of
// the record that have no field of their own (spouse data, requisites,
// privacy): they wait here until the record is stored. Gives and takes the
// record as RecordData; a field hidden from the user gives an empty text.
class RecordForm : public QWidget, public RecordFormWidgets
{
    Q_OBJECT

public:
    explicit RecordForm(QWidget* parent = nullptr);

    RecordData record() const;
    void fill(const RecordData& record);
    // Empty fields and values; the city is left to its combo box.
    void clear();
    // The fields become a new record: a birthday text that could not be
    // shown is not among them, and every field may be typed into.
    void keepAsTemplate();

    // The text a field stores: empty when the field is blanked.
    QString fieldText(const QLineEdit* edit) const;
    FieldLocks& locks() { return m_locks; }
    const FieldLocks& locks() const { return m_locks; }

    const SpouseData& spouse() const { return m_spouse; }
    void setSpouse(const SpouseData& spouse) { m_spouse = spouse; }
    const Privacy& privacy() const { return m_privacy; }
    void setPrivacy(const Privacy& privacy) { m_privacy = privacy; }
    const QString& requisites() const { return m_req; }
    void setRequisites(const QString& req) { m_req = req; }

private:
    void createPersonalBox();
    void createPhoneBox();
    void createFirmBox();
    void createExtraBox();
    void layOut();

    FieldLocks m_locks{*this};
    SpouseData m_spouse;
    Privacy m_privacy;
    QString m_req;
    // The shown record's birthday text when it does not read as a date.
    QString m_unreadBirthday;
};
