// SPDX-License-Identifier: MIT
#include "report/ui/Report.h"
#include "common/DbError.h"
#include "common/ui/Prompts.h"
#include "report/ReportError.h"
#include "report/ReportPreparer.h"
#include "report/ReportTemplate.h"
#include "report/ReportTemplateParser.h"
#include "report/UserDataSet.h"
#include "report/ui/ReportPreview.h"

#include <QProgressDialog>

Report::Report(QObject* parent) : QObject(parent) {}

Report::~Report() = default;

bool Report::loadTemplate(const QString& path)
{
    try {
        m_template = std::make_unique<ReportTemplate>(ReportTemplateParser::load(path));
        m_loadError.clear();
        return true;
    } catch (const ReportError& e) {
        m_template.reset();
        m_loadError = e.text();
        return false;
    }
}

void Report::setDataSet(UserDataSet* dataSet)
{
    m_dataSet = dataSet;
}

QList<ReportPage> Report::prepare()
{
    return prepare({});
}

QList<ReportPage> Report::prepare(const ProgressCallback& onProgress)
{
    m_pages.clear();
    m_cancelled = false;
    if (!m_template) {
        m_error = QStringLiteral("Шаблон отчёта не загружен.");
        if (!m_loadError.isEmpty())
            m_error += u'\n' + m_loadError;
        return m_pages;
    }
    try {
        m_pages = ReportPreparer(*m_template, m_dataSet.data(), onGetValue, onProgress).prepare();
        m_cancelled = m_pages.isEmpty();
        m_error = m_cancelled ? QStringLiteral("Подготовка отчёта отменена.") : QString();
    } catch (const ReportError& e) {
        m_error = e.text();
    } catch (const DbError& e) {
        m_error = e.text();
    } catch (const std::exception& e) {
        m_error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        m_error = QStringLiteral("Неизвестная ошибка.");
    }
    if (!m_error.isEmpty())
        m_pages.clear();
    return m_pages;
}

void Report::showReport(QWidget* parent)
{
    if (prepareShowingProgress(parent).isEmpty()) {
        if (!m_cancelled)
            Prompts::instance().error(parent,
                                      QStringLiteral("Не удалось подготовить отчёт.\n") + m_error);
        return;
    }
    ReportPreview preview(m_pages, parent);
    preview.exec();
}

// The progress window appears once the preparation has taken the delay, or
// promises to take it; while shown it keeps the program responsive.
QList<ReportPage> Report::prepareShowingProgress(QWidget* parent)
{
    constexpr int Steps = 1000;
    QProgressDialog progress(QStringLiteral("Подготовка отчёта к печати..."),
                             QStringLiteral("Отмена"), 0, Steps, parent);
    progress.setObjectName(QStringLiteral("ReportProgress"));
    progress.setWindowTitle(QStringLiteral("Печать"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(m_progressDelay);
    progress.setValue(0);
    return prepare([&progress](qint64 done, qint64 total) {
        progress.setValue(int(done * Steps / total));
        return !progress.wasCanceled();
    });
}
