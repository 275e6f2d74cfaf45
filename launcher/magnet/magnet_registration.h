// Registering the launcher as the magnet: link handler, in the handler list and as the URL protocol.
#pragma once

#include "os_types.h"

// Makes sure both registrations point at this installation; asks before taking the protocol over.
void RegisterMagnetHandler(void);
// Reads one text value into the caller's 300-byte buffer, terminated inside it. "" names the
// default value.
bool ReadRegistryString(OsKey root, const char* keyPath, const char* valueName, char* buffer);
// Shows one failure in the registration's error box.
void ShowRegistryError(const char* message);

enum { MAGNET_TEXT_SIZE = 300 };
