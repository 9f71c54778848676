// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// Closes the modal windows that open while it lives (a report preview, a
// dialog the test does not drive), recording their object names, so an
// action that shows one returns to the test.
class ModalCloser
{
public:
    ModalCloser();
    ~ModalCloser();
    ModalCloser(const ModalCloser&) = delete;
    ModalCloser& operator=(const ModalCloser&) = delete;

    const QStringList& closed() const { return m_closed; }

private:
    void poll();

    QStringList m_closed;
    class QTimer* m_timer;
};
