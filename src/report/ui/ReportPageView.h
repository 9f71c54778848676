// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportPage.h"

#include <QList>
#include <QWidget>

// The prepared pages one below the other on a grey desk, at a scale of
// screen pixels per design unit. Sits in the preview's scroll area.
class ReportPageView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Gap = 12;

    explicit ReportPageView(const QList<ReportPage>& pages, QWidget* parent = nullptr);

    void setScale(qreal pixelsPerUnit);
    qreal scale() const { return m_scale; }
    int pageCount() const { return int(m_pages.size()); }
    QRect pageRect(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<ReportPage> m_pages;
    qreal m_scale = 1;
};
