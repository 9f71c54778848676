// A core file that uses a widget: the layering check refuses it.
#include <QPushButton>
