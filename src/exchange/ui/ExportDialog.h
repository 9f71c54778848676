// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/Exporter.h"

#include <QDialog>

class QPushButton;
class QRadioButton;

// Asks what to export: the records of the current result list or all the
// user may see, as vCard or as CSV. Takes the number of listed records in,
// gives the choice out.
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    ExportDialog(int listed, QWidget* parent = nullptr);

    bool listOnly() const;
    Exporter::Format format() const;

    QRadioButton* RbList = nullptr;
    QRadioButton* RbAll = nullptr;
    QRadioButton* RbVCard = nullptr;
    QRadioButton* RbCsv = nullptr;
    QPushButton* BtnExport = nullptr;
    QPushButton* BtnCancel = nullptr;
};
