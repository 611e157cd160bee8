#include "integration/context_items_dialog.h"

// Until the dialog's template arrives there is nothing to show.
void ShowContextItemsDialog(HWND, bool) {}
