#include "bridge/host/host.h"
#include "early/early.h"
#include "late/late.h"
#include "middle/middle.h"
