// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TfrNewRecord;

// "Данные о супруге": the spouse's name, birthday and notes of the record in
// the editor. "Ok" writes them into the editor's fields; the editor decides
// whether they are stored at once.
class TfmSpouce : public QDialog
{
    Q_OBJECT

public:
    explicit TfmSpouce(TfrNewRecord* editor);

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

public slots:
    // Esc and the close box are "Отмена".
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();

    TfrNewRecord* m_editor;
};
