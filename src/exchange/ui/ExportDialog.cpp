// SPDX-License-Identifier: MIT
#include "exchange/ui/ExportDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

QRadioButton* option(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    parent->layout()->addWidget(button);
    return button;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    new QVBoxLayout(box);
    parent->layout()->addWidget(box);
    return box;
}

} // namespace

ExportDialog::ExportDialog(int listed, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FmExport"));
    setWindowTitle(QStringLiteral("Экспорт контактов"));
    auto* layout = new QVBoxLayout(this);

    QGroupBox* which = group(this, "GBWhich", QStringLiteral("Какие записи"));
    RbList = option(which, "RbList", QStringLiteral("Записи списка результатов (%1)").arg(listed));
    RbAll = option(which, "RbAll", QStringLiteral("Все записи, которые вам видны"));
    RbList->setEnabled(listed > 0);
    (listed > 0 ? RbList : RbAll)->setChecked(true);

    QGroupBox* format = group(this, "GBFormat", QStringLiteral("Формат"));
    RbVCard = option(format, "RbVCard",
                     QStringLiteral("vCard 3.0 (.vcf) — для почтовых программ и телефонов"));
    RbCsv = option(format, "RbCsv", QStringLiteral("CSV (.csv) — для электронных таблиц"));
    RbVCard->setChecked(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnExport = new QPushButton(QStringLiteral("Экспортировать"), this);
    BtnExport->setObjectName(QStringLiteral("BtnExport"));
    BtnExport->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addWidget(BtnExport);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);

    connect(BtnExport, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool ExportDialog::listOnly() const
{
    return RbList->isChecked();
}

Exporter::Format ExportDialog::format() const
{
    return RbCsv->isChecked() ? Exporter::Format::Csv : Exporter::Format::VCard;
}
