// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>

class QWidget;
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
    // preview is closed. A failed preparation shows an error box instead.
    void showReport(QWidget* parent);
};
