// The store room: the registry store through which every persistent value is read and written,
// the per-user global settings, and the catalogue of the menu items Quillbrook created.
#pragma once

#include "store/global_settings.h"
#include "store/menu_item_catalogue.h"
#include "store/registry_store.h"
