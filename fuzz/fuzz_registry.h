// Fuzz targets: the host registry seeded from the input, and what the registry targets check after
// a run: the keys left open, and the data outside the keys a reader may change.
#pragma once

#include "registry_store.h"

#include <string>
#include <vector>

// Writes `text` as the registry file of the scratch folder and points the host registry at it, with
// every armed fault and write protection cleared (the environment's included). Returns its path.
std::string UseFuzzRegistry(const std::string& text);
// Arms the failure a "fail=<service>:<n>" setting names (open, create, query, set, delete); the
// error is access denied. Does nothing for an empty or unknown setting.
void ArmRegistryFault(const std::string& setting);
// The registry file as the host emulation reads it: true and the store, or false when refused.
bool LoadRegistryFile(const std::string& path, RegStore* store);
// Every key of `before` outside the subtrees `mayChange` ("HKEY_CLASSES_ROOT\magnet", ...) is in
// `after`, every value outside them is there with the same type and bytes, and `after` holds no
// value outside them that `before` lacks. On a difference, *what says where.
bool SameOutside(const RegStore& before, const RegStore& after, const std::vector<std::string>& mayChange,
                 std::string* what);
