#include "uninstall/install_record.h"

void CopyPackageFiles() {}
