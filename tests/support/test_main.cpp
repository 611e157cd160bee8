// The main of every test program: COM and OLE initialised once for the whole run,
// as the program's entry routine does, then GoogleTest.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class OleSession {
 public:
  OleSession() : result_(OleInitialize(nullptr)) {}
  ~OleSession() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  OleSession ole;
  if (FAILED(ole.Result())) {
    std::fprintf(stderr, "OleInitialize failed: 0x%08lx\n", static_cast<unsigned long>(ole.Result()));
    return 1;
  }
  return RUN_ALL_TESTS();
}
