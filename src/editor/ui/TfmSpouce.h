// SPDX-License-Identifier: MIT
#pragma once

#include "records/SpouseData.h"

#include <QDialog>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Данные о супруге": the spouse's name, birthday and notes of a record. It
// shows the data it is given; once accepted ("Ok"), spouse() is what the user
// left in it, and the caller decides whether it is stored at once.
class TfmSpouce : public QDialog
{
    Q_OBJECT

public:
    TfmSpouce(const SpouseData& spouse, QWidget* parent);

    SpouseData spouse() const { return m_result; }

    void bntClearClick();
    void btnOkClick();
    void btnCancelClick();

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdtSpIO = nullptr;
    QLabel* Label2 = nullptr;
    QDateEdit* DTSpBirthDay = nullptr;
    QLabel* StaticText1 = nullptr;
    QPlainTextEdit* MmSpInfo = nullptr;
    QPushButton* bntClear = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();

    SpouseData m_result;
};
