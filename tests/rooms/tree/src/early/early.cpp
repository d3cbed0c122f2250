#include "early/early.h"
#include "late/late.h"
// #include "middle/middle.h" is no include
#include "support/not_a_room.h"
