#include "model/twstoprequest.h"

std::atomic_bool stopRequested { false };
std::atomic_bool stopDeletion { false };
