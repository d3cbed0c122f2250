#pragma once

#include "early/early.h"
