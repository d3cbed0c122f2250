// Reading a tree of the hive back for comparison: one line per key ("KEY") and per value
// ("KEY|name|type|data"), in enumeration order.
#pragma once

#include "platform/hive.h"

#include <string>
#include <vector>

namespace quillbrook::testing {

// Every key and value below the root's key `path` (the root itself when empty); empty when the key
// is missing. Key names are relative to the root.
std::vector<std::string> dumpTree(HiveRoot root, const std::string& path = {});

// Creates root\`path` with its default value, when given.
void createKey(HiveRoot root, const std::string& path, const char* defaultValue = nullptr);
bool keyExists(HiveRoot root, const std::string& path);

} // namespace quillbrook::testing
