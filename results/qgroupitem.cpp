#include "results/qgroupitem.h"

QGroupItem::QGroupItem(QObject *parent)
    : QObject(parent)
{
}
