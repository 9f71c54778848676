// SPDX-License-Identifier: MIT
#include "exchange/ui/ImportDialog.h"
#include "common/DbError.h"
#include "common/ui/Prompts.h"
#include "db/DateText.h"
#include "exchange/ExchangeError.h"
#include "exchange/ui/ExchangeProgress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{

// Files larger than this are read with a progress dialog (a few hundred cards).
constexpr qint64 largeFile = 100 * 1024;

QString phonesText(const RecordData& r)
{
    static const char* const kinds[] = {"",       "Рабочий",   "Домашний", "Мобильный",
                                        "Прямой", "Секретарь", "Факс"};
    QStringList parts;
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        if (!r.phones[kind].isEmpty())
            parts.append(QString::fromUtf8(kinds[kind]) + QLatin1Char(' ') + r.phones[kind]);
    if (!r.otherphones.isEmpty())
        parts.append(QStringLiteral("Другие ") + r.otherphones);
    return parts.join(QStringLiteral("; "));
}

QString addressesText(const RecordData& r)
{
    QStringList parts;
    const std::pair<const char*, const QString*> addresses[] = {
        {"юр.", &r.legaladdress},
        {"физ.", &r.fizaddress},
        {"почт.", &r.postaddress},
        {"дом.", &r.homeaddress},
    };
    for (const auto& [caption, text] : addresses)
        if (!text->isEmpty())
            parts.append(QString::fromUtf8(caption) + QLatin1Char(' ') + *text);
    return parts.join(QStringLiteral("; "));
}

QString stateText(const Importer::PreviewRow& row)
{
    if (!row.reason.isEmpty())
        return QStringLiteral("отклонена: ") +
               (row.field.isEmpty() ? row.reason : row.field + QStringLiteral(" — ") + row.reason);
    return row.duplicate ? QStringLiteral("уже есть в справочнике") : QString();
}

QTableWidget* table(QWidget* parent, const char* name, const QStringList& headers)
{
    auto* t = new QTableWidget(0, int(headers.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    return t;
}

} // namespace

ImportDialog::ImportDialog(const ContactFile& file, const QSqlDatabase& db, const QString& user,
                           QWidget* parent)
    : QDialog(parent), m_file(file), m_mapping(file.knownMapping().value_or(CsvMapping(
                                         QList<CsvColumn>(file.header().size(), CsvColumn())))),
      m_importer(db, user)
{
    setObjectName(QStringLiteral("FmImport"));
    setWindowTitle(QStringLiteral("Импорт контактов"));
    createControls();
}

void ImportDialog::createControls()
{
    auto* layout = new QVBoxLayout(this);
    const bool csv = m_file.format() == ContactFile::Format::Csv;
    LblFile = new QLabel(QStringLiteral("Файл: %1 (%2)")
                             .arg(QFileInfo(m_file.path()).fileName(),
                                  csv ? QStringLiteral("CSV") : QStringLiteral("vCard")),
                         this);
    LblFile->setObjectName(QStringLiteral("LblFile"));
    layout->addWidget(LblFile);

    ChBHeader = new QCheckBox(QStringLiteral("Первая строка — заголовки столбцов"), this);
    ChBHeader->setObjectName(QStringLiteral("ChBHeader"));
    ChBHeader->setChecked(true);
    TblMapping = table(this, "TblMapping",
                       {QStringLiteral("Столбец файла"), QStringLiteral("Пример"),
                        QStringLiteral("Поле справочника")});
    TblMapping->setMaximumHeight(160);
    layout->addWidget(ChBHeader);
    layout->addWidget(TblMapping);
    ChBHeader->setVisible(csv);
    TblMapping->setVisible(csv);

    TblPreview =
        table(this, "TblPreview",
              {QStringLiteral("Где"), QStringLiteral("Фамилия"), QStringLiteral("Имя Отчество"),
               QStringLiteral("Предприятие"), QStringLiteral("Должность"), QStringLiteral("Город"),
               QStringLiteral("Телефоны"), QStringLiteral("День рождения"),
               QStringLiteral("E-mail"), QStringLiteral("Веб сайт"), QStringLiteral("Адреса"),
               QStringLiteral("Примечания"), QStringLiteral("Состояние")});
    layout->addWidget(TblPreview, 1);
    LblCounts = new QLabel(this);
    LblCounts->setObjectName(QStringLiteral("LblCounts"));
    layout->addWidget(LblCounts);
    MmRejected = new QPlainTextEdit(this);
    MmRejected->setObjectName(QStringLiteral("MmRejected"));
    MmRejected->setReadOnly(true);
    MmRejected->setMaximumHeight(90);
    layout->addWidget(MmRejected);

    ChBDuplicates =
        new QCheckBox(QStringLiteral("Пропускать записи, которые уже есть в справочнике"), this);
    ChBDuplicates->setObjectName(QStringLiteral("ChBDuplicates"));
    ChBDuplicates->setChecked(true);
    layout->addWidget(ChBDuplicates);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnImport = new QPushButton(QStringLiteral("Импортировать"), this);
    BtnImport->setObjectName(QStringLiteral("BtnImport"));
    BtnImport->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addWidget(BtnImport);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    resize(900, 560);

    connect(BtnImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ChBHeader, &QCheckBox::toggled, this, [this] {
        fillMapping();
        mappingChanged();
    });
}

bool ImportDialog::headerRow() const
{
    return ChBHeader->isChecked();
}

bool ImportDialog::storeDuplicates() const
{
    return !ChBDuplicates->isChecked();
}

bool ImportDialog::prepare()
{
    if (m_file.format() == ContactFile::Format::Csv)
        fillMapping();
    if (!readPreview())
        return false;
    showPreview();
    return true;
}

// One row per column of the file: its header (or its number), a value, and
// what it holds.
void ImportDialog::fillMapping()
{
    if (m_file.format() != ContactFile::Format::Csv)
        return;
    QList<QStringList> sample;
    try {
        sample = m_file.firstRows(1, headerRow());
    } catch (const ExchangeError&) {
        // The preview tells what is wrong with the file.
    }
    const QStringList first = sample.value(0);
    TblMapping->setRowCount(int(m_mapping.columns.size()));
    for (int i = 0; i < m_mapping.columns.size(); ++i) {
        const QString name = headerRow() ? m_file.header().value(i) : QString();
        TblMapping->setItem(
            i, 0,
            new QTableWidgetItem(name.isEmpty() ? QStringLiteral("Столбец %1").arg(i + 1) : name));
        TblMapping->setItem(i, 1, new QTableWidgetItem(first.value(i)));
        auto* combo = new QComboBox(TblMapping);
        combo->setObjectName(QStringLiteral("CmbColumn%1").arg(i + 1));
        QList<CsvColumn> choices = CsvColumn::choices();
        if (!choices.contains(m_mapping.columns.at(i)))
            choices.append(m_mapping.columns.at(i));
        for (const CsvColumn& choice : choices)
            combo->addItem(choice.caption());
        combo->setCurrentIndex(int(choices.indexOf(m_mapping.columns.at(i))));
        connect(combo, &QComboBox::activated, this, [this, i, choices](int index) {
            m_mapping.columns[i] = choices.at(index);
            mappingChanged();
        });
        TblMapping->setCellWidget(i, 2, combo);
    }
    TblMapping->resizeColumnsToContents();
}

void ImportDialog::mappingChanged()
{
    if (readPreview())
        showPreview();
}

// Reads the whole file as the import will, storing nothing.
bool ImportDialog::readPreview()
{
    try {
        const std::unique_ptr<ContactReader> reader = m_file.open(m_mapping, headerRow());
        ExchangeProgress progress(isVisible() ? this : parentWidget(),
                                  QStringLiteral("Чтение файла..."), m_file.size() > largeFile);
        Importer::Preview preview =
            m_importer.preview(m_file, *reader, previewRows, progress.callback());
        if (preview.cancelled)
            return false;
        m_preview = std::move(preview);
        return true;
    } catch (const ExchangeError& e) {
        Prompts::instance().error(this, e.text() + QStringLiteral("\nНичего не сохранено."));
    } catch (const DbError& e) {
        Prompts::instance().error(this, e.text());
    }
    reject();
    return false;
}

void ImportDialog::showPreview()
{
    TblPreview->setRowCount(int(m_preview.rows.size()));
    for (int i = 0; i < m_preview.rows.size(); ++i) {
        const Importer::PreviewRow& row = m_preview.rows.at(i);
        const RecordData& r = row.record;
        const QStringList cells = {
            row.where,
            r.f,
            r.io,
            r.shortpp,
            r.prof,
            r.city,
            phonesText(r),
            r.birthday.isValid() ? DateText::toText(r.birthday) : QString(),
            r.email,
            r.www,
            addressesText(r),
            r.info,
            stateText(row),
        };
        for (int c = 0; c < cells.size(); ++c)
            TblPreview->setItem(i, c, new QTableWidgetItem(cells.at(c)));
    }
    TblPreview->resizeColumnsToContents();
    QString counts = QStringLiteral("Записей в файле: %1, из них уже есть в справочнике: %2. "
                                    "Отклонено: %3.")
                         .arg(m_preview.records + int(m_preview.rejections.size()))
                         .arg(m_preview.duplicates)
                         .arg(m_preview.rejections.size());
    if (m_file.format() == ContactFile::Format::Csv && headerRow()) {
        const QStringList skipped = m_mapping.unmapped(m_file.header());
        if (!skipped.isEmpty())
            counts += QStringLiteral("\nНе импортируются столбцы: «%1».")
                          .arg(skipped.join(QStringLiteral("», «")));
    }
    LblCounts->setText(counts);
    // Every refused record up to a number a reader goes through.
    constexpr qsizetype listed = 1000;
    QStringList rejected;
    for (const Importer::Rejection& r : m_preview.rejections) {
        if (rejected.size() == listed) {
            rejected.append(QStringLiteral("… и ещё %1").arg(m_preview.rejections.size() - listed));
            break;
        }
        rejected.append(r.text());
    }
    MmRejected->setPlainText(rejected.join(QLatin1Char('\n')));
    MmRejected->setVisible(!rejected.isEmpty());
    BtnImport->setEnabled(m_preview.records > 0);
}
