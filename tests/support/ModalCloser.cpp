// SPDX-License-Identifier: MIT
#include "ModalCloser.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

ModalCloser::ModalCloser() : m_timer(new QTimer)
{
    m_timer->setInterval(10);
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { poll(); });
    m_timer->start();
}

ModalCloser::~ModalCloser()
{
    delete m_timer;
}

void ModalCloser::poll()
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        m_closed.append(modal->objectName());
        modal->close();
    }
}
