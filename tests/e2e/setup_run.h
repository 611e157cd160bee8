#pragma once
// The setup fixture lives with the other staged runs.
#include "e2e/staged_product.h"
