#include "environment/help_viewer.h"

// Until the help viewer arrives there is nothing to open.
void ShowHelp(const std::wstring&) {}
