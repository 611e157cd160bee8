// The main of every test program: OLE once, then GoogleTest.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  OleInitialize(nullptr);
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
