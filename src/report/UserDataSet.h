// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

// A data set without data of its own: only a count of records. The report
// walks it from record 0 to the count; the program reads recNo() in its value
// callback to know which of its own rows is being laid out.
class UserDataSet : public QObject
{
    Q_OBJECT

public:
    explicit UserDataSet(QObject* parent = nullptr) : QObject(parent) {}

    void setRangeEndCount(int count) { m_count = count; }
    int rangeEndCount() const { return m_count; }

    void first() { m_recNo = 0; }
    void next() { ++m_recNo; }
    bool eof() const { return m_recNo >= m_count; }
    int recNo() const { return m_recNo; }

private:
    int m_count = 0;
    int m_recNo = 0;
};
