// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// The progress of a long import or export in a dialog with "Отмена". The
// work runs on the window's thread; the dialog keeps the window painted
// between steps and tells the work when the user cancelled.
class ExchangeProgress
{
public:
    // shown: whether the work is long enough to show a dialog at all.
    ExchangeProgress(QWidget* parent, const QString& label, bool shown);
    ~ExchangeProgress();

    // As the importer and exporter take it: returns false once cancelled.
    std::function<bool(qint64 done, qint64 total)> callback();

    // Files with more records than this show the dialog.
    static constexpr int shownAbove = 300;

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};
