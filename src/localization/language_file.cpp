#include "localization/language_file.h"

void LoadLanguage(const wchar_t*) {}
