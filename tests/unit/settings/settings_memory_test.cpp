// Running out of memory while the settings file is read: the store keeps what it
// has and goes on. The allocator of this test program can be told to refuse
// large blocks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "settings/settings_store.h"
#include "unit/settings/settings_test_files.h"

namespace {

size_t refuseFrom = SIZE_MAX;

class RefuseLargeBlocks {
 public:
  explicit RefuseLargeBlocks(size_t bytes) { refuseFrom = bytes; }
  ~RefuseLargeBlocks() { refuseFrom = SIZE_MAX; }
};

DWORD Number(SettingsStore& store, const wchar_t* name) {
  DWORD value = 0;
  store.GetDword(HKEY_CURRENT_USER, L"Setup", name, 99, value);
  return value;
}

}  // namespace

void* operator new(std::size_t size) {
  if (size >= refuseFrom) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

TEST(SettingsMemory, ReadingStopsButTheFileStaysInUse) {
  SettingsFolder folder;
  const std::wstring path = folder.Path(L"Bramix.ini");
  std::string big = "HKCU\\Setup\\A=1\r\nGlobal\\Integration=0\r\n";
  while (big.size() < 3 * 1024 * 1024) big += "HKCU\\Setup\\Filler=" + std::string(1000, 'f') + "\r\n";
  WriteBytes(path, big);

  SettingsStore store;
  {
    RefuseLargeBlocks refuse(1024 * 1024);
    EXPECT_TRUE(store.LoadFile(path));
  }
  EXPECT_TRUE(store.Loaded());
  EXPECT_TRUE(store.IntegrationAllowed());
  EXPECT_EQ(99u, Number(store, L"A"));
  EXPECT_EQ(Utf16File(L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n"),
            store.FileBytes());
  store.Clear();
}

TEST(SettingsMemory, ParsingKeepsTheEntriesBeforeTheFailure) {
  StringList lines;
  lines.Add(L"HKCU\\Setup\\A=1");
  lines.Add(L"HKCU\\Setup\\Big=" + std::wstring(2 * 1024 * 1024, L'b'));
  lines.Add(L"HKCU\\Setup\\C=3");
  SettingsStore store;
  {
    RefuseLargeBlocks refuse(1024 * 1024);
    store.LoadLines(lines, L"");
  }
  EXPECT_TRUE(store.Loaded());
  EXPECT_EQ(1u, Number(store, L"A"));
  EXPECT_EQ(99u, Number(store, L"C"));
  DWORD chars = 0;
  store.GetChars(HKEY_CURRENT_USER, L"Setup", L"Big", chars);
  EXPECT_EQ(0u, chars);
}
