#pragma once
// The texts read from the language file: key names and their texts, found by
// bisecting an index ordered by key name, and the right-to-left flag.
#include <string>
#include <vector>

struct LanguageRecord {
  std::string Key;     // 8-bit key name, at most 49 characters
  std::wstring Text;   // at most 65,536 units
};

class LanguageTable {
 public:
  void Add(std::string key, std::wstring text);
  // Sorts the index; call after the last Add and before any Find. Records with
  // the same key stay in the order they were added.
  void Finish();
  // Removes every record and clears the flag (for tests: the program's table is
  // never emptied).
  void Clear();
  bool Empty() const { return records_.empty(); }
  size_t Size() const { return records_.size(); }
  // The text of `key` (exact, case-sensitive; the first one added when a key
  // occurs more than once), or null.
  const std::wstring* Find(const char* key) const;
  // Every record, in key order once Finish has run.
  const std::vector<LanguageRecord>& Records() const { return records_; }
  bool RightToLeft = false;

 private:
  std::vector<LanguageRecord> records_;
};

// The process-wide table, empty until a language file has been read. Only the
// language loader writes it, through localization/language_table_writer.h.
const LanguageTable& LanguageTexts();
