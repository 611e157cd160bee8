// The main of every test program: OLE (and with it COM) initialised once for the
// whole run, as the program's entry routine does, then GoogleTest.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  const HRESULT ole = OleInitialize(nullptr);
  if (FAILED(ole)) {
    std::fprintf(stderr, "OleInitialize failed: 0x%08lx\n", static_cast<unsigned long>(ole));
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
