// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportPage.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class QWidget;
class ReportTemplate;
class UserDataSet;

// A report: a template of bands and text objects, prepared in two passes over
// a data set (so the total page count is known), with variable values asked
// from the program, and shown in a modal preview with zoom, print and exit.
class Report : public QObject
{
    Q_OBJECT

public:
    explicit Report(QObject* parent = nullptr);
    ~Report() override;

    // Loads a template in the report's text format, e.g. from the resources.
    // Throws nothing; returns false when the template cannot be read.
    bool loadTemplate(const QString& path);
    void setDataSet(UserDataSet* dataSet);

    // Asked for every bracketed variable that is not the engine's own, with
    // the data set standing at the record being laid out.
    std::function<void(const QString& name, QVariant& value)> onGetValue;

    // Prepares the pages and shows them in a modal preview; returns when the
    // preview is closed. A failed preparation shows an error box instead. A
    // preparation that takes longer than the progress delay shows its
    // progress, in a modal window that can cancel it; then nothing is shown.
    void showReport(QWidget* parent);
    void setProgressDelay(int milliseconds) { m_progressDelay = milliseconds; }
    int progressDelay() const { return m_progressDelay; }

    // Prepares the pages without showing them. Empty when preparation failed
    // or was cancelled (a prepared report has at least one page); errorText()
    // says why.
    QList<ReportPage> prepare();
    // The pages of the last preparation (also of showReport).
    const QList<ReportPage>& preparedPages() const { return m_pages; }
    QString errorText() const { return m_error; }
    bool wasCancelled() const { return m_cancelled; }
    const ReportTemplate* reportTemplate() const { return m_template.get(); }

private:
    using ProgressCallback = std::function<bool(qint64 done, qint64 total)>;

    QList<ReportPage> prepare(const ProgressCallback& onProgress);
    QList<ReportPage> prepareShowingProgress(QWidget* parent);

    std::unique_ptr<ReportTemplate> m_template;
    QPointer<UserDataSet> m_dataSet;
    QList<ReportPage> m_pages;
    QString m_error;
    QString m_loadError;
    bool m_cancelled = false;
    int m_progressDelay = 1000;
};
