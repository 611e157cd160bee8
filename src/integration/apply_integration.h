#pragma once
// Turns a confirmed set of integration choices into the state of Windows: every
// step runs on every call, switched-on steps (re)writing their entries and
// switched-off steps removing theirs.
#include "integration/integration_options.h"

// Registers Bramix.exe beside this program as an application path in both registry
// views, and its path as exe64 under the product key of HKEY_LOCAL_MACHINE. False,
// with nothing written, when the first write is denied access; other failures are
// ignored.
[[nodiscard]] bool RegisterAppPath();

// In this order: starts the Windows 11 context-menu package installer (shell
// extension on, Windows 11), registers the application path, registers or removes
// the shell extension, associates or gives back every extension, registers the
// ProgIDs and rebuilds the shortcuts with the theme icon when its file exists.
// False when it stopped because the application path or the first ProgID write was
// denied access (the steps after it are not done); true otherwise.
bool ApplyIntegration(const IntegrationOptions& options);
