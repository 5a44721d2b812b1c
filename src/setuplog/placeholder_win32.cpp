// Placeholder until the setup log is built: an empty log.
#include "setuplog/setuplog.h"

int SetupLogQuery(unsigned long, unsigned long, char*)
{
    return 0;
}
