#pragma once
// Names derived from the running test, for scratch keys and folders that must not
// collide between tests.
#include <gtest/gtest.h>

#include <string>

// "Suite.Name" of the running test (with '/' of parameterised names turned into '_').
inline std::wstring CurrentTestName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  return std::wstring(name.begin(), name.end());
}
