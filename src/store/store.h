// The store room: the registry store through which every persistent value is read and written,
// and the per-user global settings.
#pragma once

#include "store/global_settings.h"
#include "store/registry_store.h"
