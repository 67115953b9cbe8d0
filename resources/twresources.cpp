#include "resources/twresources.h"

#include <QtGlobal>

void initTwResources()
{
    Q_INIT_RESOURCE(twinscan);
}
