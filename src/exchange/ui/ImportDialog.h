// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/ContactFile.h"
#include "exchange/CsvMapping.h"
#include "exchange/Importer.h"

#include <QDialog>
#include <QSqlDatabase>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// The preview of an import: the first records as they will be stored, the
// records already in the directory and those that will be refused, and for
// a CSV file what each column holds, which the user may change. Reads the
// file but stores nothing; gives out the mapping and the user's choice
// about duplicates.
class ImportDialog : public QDialog
{
    Q_OBJECT

public:
    ImportDialog(const ContactFile& file, const QSqlDatabase& db, const QString& user,
                 QWidget* parent = nullptr);

    // Reads the file for the preview. False when it cannot be read (the
    // error box has been shown) or the user cancelled the reading.
    bool prepare();

    CsvMapping mapping() const { return m_mapping; }
    bool headerRow() const;
    bool storeDuplicates() const;
    const Importer::Preview& preview() const { return m_preview; }

    // Records shown in the preview.
    static constexpr int previewRows = 100;

    QLabel* LblFile = nullptr;
    QTableWidget* TblMapping = nullptr;
    QCheckBox* ChBHeader = nullptr;
    QTableWidget* TblPreview = nullptr;
    QLabel* LblCounts = nullptr;
    QPlainTextEdit* MmRejected = nullptr;
    QCheckBox* ChBDuplicates = nullptr;
    QPushButton* BtnImport = nullptr;
    QPushButton* BtnCancel = nullptr;

private:
    void createControls();
    void fillMapping();
    void mappingChanged();
    bool readPreview();
    void showPreview();

    const ContactFile& m_file;
    CsvMapping m_mapping;
    Importer m_importer;
    Importer::Preview m_preview;
};
