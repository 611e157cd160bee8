#pragma once
// Write access to the process-wide language table, for the language loader (and
// tests, through a scoped restore).
#include "localization/language_table.h"

// The table that LanguageTexts shows to its readers.
LanguageTable& WritableLanguageTexts();
