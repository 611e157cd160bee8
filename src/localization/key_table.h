#pragma once
// The built-in table that pairs language-file key names with string and control ids.
#include <span>
#include <string_view>

struct KeyRow {
  const char* Name;  // "s:IDS_...", "$DIALOG:IDC_..." or "$DIALOG:SIZE"/"CAPTION"
  unsigned Id;
};

// Every row, string rows first, then the rows of each dialog in table order.
std::span<const KeyRow> KeyTable();
// The part of a key name before its first colon ("s", "$SETUPDLG"); the whole
// name when it has no colon.
std::string_view KeyPrefix(const char* name);
// Builds the prefix-and-id index over the table (once per process; later calls
// do nothing). FindKeyRow builds it on first use as well.
void BuildKeyIndex();
// The row with exactly this prefix and id, found by bisecting an index ordered by
// prefix and id; null when there is none.
const KeyRow* FindKeyRow(std::string_view prefix, unsigned id);
