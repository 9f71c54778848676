// SPDX-License-Identifier: MIT
#include "report/Report.h"
#include "report/UserDataSet.h"

Report::Report(QObject* parent) : QObject(parent) {}

Report::~Report() = default;

bool Report::loadTemplate(const QString& path)
{
    Q_UNUSED(path)
    return true;
}

void Report::setDataSet(UserDataSet* dataSet)
{
    Q_UNUSED(dataSet)
}

void Report::showReport(QWidget* parent)
{
    Q_UNUSED(parent)
}
