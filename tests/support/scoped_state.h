#pragma once
// Scoped objects for the program's process-wide state: each gives the test a fresh
// state and puts the old one back when it goes away, so that a failing ASSERT
// cannot leave a changed state to the next test. Tests write the state through
// the writer headers while one of these lives.
#include <utility>

#include "environment/run_state_writer.h"
#include "environment/win_version_writer.h"
#include "localization/language_table_writer.h"
#include "settings/settings_store_writer.h"

// Puts back what the state held when it was made.
template <class State>
class ScopedRestore {
 public:
  explicit ScopedRestore(State& state) : state_(state), saved_(state) {}
  ~ScopedRestore() { state_ = std::move(saved_); }
  ScopedRestore(const ScopedRestore&) = delete;
  ScopedRestore& operator=(const ScopedRestore&) = delete;

 private:
  State& state_;
  State saved_;
};

// A zero run state.
struct ScopedRunState : ScopedRestore<RunStateRecord> {
  ScopedRunState() : ScopedRestore(WritableRunState()) { WritableRunState() = RunStateRecord{}; }
};

// An empty language table, left to right.
struct ScopedLanguageTable : ScopedRestore<LanguageTable> {
  ScopedLanguageTable() : ScopedRestore(WritableLanguageTexts()) { WritableLanguageTexts().Clear(); }
};

// A settings store that has not searched for its file; cleared again at the end, so
// that the next request searches anew.
class ScopedSettingsStore {
 public:
  ScopedSettingsStore() { WritableSettingsStore().Clear(); }
  ~ScopedSettingsStore() { WritableSettingsStore().Clear(); }
  ScopedSettingsStore(const ScopedSettingsStore&) = delete;
  ScopedSettingsStore& operator=(const ScopedSettingsStore&) = delete;
};

// The Windows 11 answer as given, as if IsWindows11 had worked it out already.
struct ScopedWindows11 : ScopedRestore<Windows11Cache> {
  explicit ScopedWindows11(bool answer) : ScopedRestore(WritableWindows11Cache()) {
    WritableWindows11Cache() = {answer, true};
  }
};
