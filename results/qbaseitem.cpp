#include "results/qbaseitem.h"

QBaseItem::QBaseItem(QObject *parent)
    : QObject(parent)
{
}
