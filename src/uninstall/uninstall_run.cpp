#include "uninstall/uninstall_run.h"

void RunUninstall() {}
