#include "late/late.h"

  #  include "middle/middle.h"
