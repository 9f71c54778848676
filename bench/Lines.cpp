// SPDX-License-Identifier: MIT
#include "Lines.h"

#include <QTextStream>

namespace
{

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

} // namespace

void Lines::info(const QString& text)
{
    out() << "# " << text << Qt::endl;
}

void Lines::figure(const QString& name, const Measure::Figures& f)
{
    info(QStringLiteral("%1: processor time %2 ms (median)")
             .arg(name, QString::number(f.cpuMedian, 'f', 2)));
    out() << name << ' ' << QString::number(f.median, 'f', 2) << ' '
          << QString::number(f.p95, 'f', 2) << Qt::endl;
}

void Lines::value(const QString& name, double v)
{
    out() << name << ' ' << QString::number(v, 'f', 1) << Qt::endl;
}

void Lines::text(const QString& line)
{
    out() << line << Qt::endl;
}
