#pragma once
// Write access to the process-wide settings store: requests of the registry layer
// (which load the file on first use) and the save at the end of the run.
#include "settings/settings_store.h"

// The store that ProcessSettingsStore shows to its readers.
SettingsStore& WritableSettingsStore();
