// SPDX-License-Identifier: MIT
#include "exchange/ui/ExchangeProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace
{
constexpr int steps = 1000;
} // namespace

ExchangeProgress::ExchangeProgress(QWidget* parent, const QString& label, bool shown)
{
    if (!shown)
        return;
    m_dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Отмена"), 0, steps, parent);
    m_dialog->setObjectName(QStringLiteral("ExchangeProgress"));
    m_dialog->setWindowTitle(QCoreApplication::applicationName());
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
}

ExchangeProgress::~ExchangeProgress() = default;

std::function<bool(qint64, qint64)> ExchangeProgress::callback()
{
    if (!m_dialog)
        return {};
    return [dialog = m_dialog.get()](qint64 done, qint64 total) {
        dialog->setValue(total > 0 ? int(done * steps / total) : 0);
        // A modal progress dialog lets the events through in setValue; this
        // keeps the window painted when the value did not change.
        QCoreApplication::processEvents();
        return !dialog->wasCanceled();
    };
}
