// A core file that uses a print-support header through its module path.
#include <QtPrintSupport/QPrinter>
