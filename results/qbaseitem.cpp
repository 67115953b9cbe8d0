#include "qbaseitem.h"

QBaseItem::QBaseItem(QObject *parent)
    : QObject(parent)
{
}
