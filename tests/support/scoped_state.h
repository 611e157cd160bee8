#pragma once
// Scoped objects for the program's process-wide state: each gives the test a fresh
// state and puts the old one back when it goes away, so that a failing ASSERT
// cannot leave a changed state to the next test. Tests write the state through
// the writer headers while one of these lives.
#include <utility>

#include "environment/messages.h"
#include "environment/run_state_writer.h"
#include "environment/win_version_writer.h"
#include "localization/language_table_writer.h"
#include "settings/settings_store_writer.h"

// A zero run state.
class ScopedRunState {
 public:
  ScopedRunState() : saved_(WritableRunState()) { WritableRunState() = RunStateRecord{}; }
  ~ScopedRunState() { WritableRunState() = saved_; }
  ScopedRunState(const ScopedRunState&) = delete;
  ScopedRunState& operator=(const ScopedRunState&) = delete;

 private:
  RunStateRecord saved_;
};

// An empty language table, left to right.
class ScopedLanguageTable {
 public:
  ScopedLanguageTable() : saved_(WritableLanguageTexts()) { WritableLanguageTexts().Clear(); }
  ~ScopedLanguageTable() { WritableLanguageTexts() = std::move(saved_); }
  ScopedLanguageTable(const ScopedLanguageTable&) = delete;
  ScopedLanguageTable& operator=(const ScopedLanguageTable&) = delete;

 private:
  LanguageTable saved_;
};

// The message boxes' reading direction as given.
class ScopedMessageReadingDirection {
 public:
  explicit ScopedMessageReadingDirection(bool rightToLeft) : saved_(MessagesReadRightToLeft()) {
    SetMessageReadingDirection(rightToLeft);
  }
  ~ScopedMessageReadingDirection() { SetMessageReadingDirection(saved_); }
  ScopedMessageReadingDirection(const ScopedMessageReadingDirection&) = delete;
  ScopedMessageReadingDirection& operator=(const ScopedMessageReadingDirection&) = delete;

 private:
  bool saved_;
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
class ScopedWindows11 {
 public:
  explicit ScopedWindows11(bool answer) : saved_(WritableWindows11Cache()) {
    WritableWindows11Cache() = {answer, true};
  }
  ~ScopedWindows11() { WritableWindows11Cache() = saved_; }
  ScopedWindows11(const ScopedWindows11&) = delete;
  ScopedWindows11& operator=(const ScopedWindows11&) = delete;

 private:
  Windows11Cache saved_;
};
