#include "integration/shell_extension.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "settings/text_reader.h"
#include "support/file_bytes.h"
#include "support/registry_sandbox.h"
#include "support/scoped_state.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kClsid32[] = L"{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}";
constexpr wchar_t kClsid64[] = L"{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}";
constexpr wchar_t kSetupKey[] = L"Software\\Bramix\\Setup";

// A value's text, or "<missing>". Wine hands a call with a view flag to the real
// predefined key, past the sandbox: the 32-bit view is read from the real registry.
std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view = 0) {
  wchar_t text[MAX_PATH];
  DWORD size = sizeof(text);
  const DWORD flags = RRF_RT_REG_SZ | (view == KEY_WOW64_32KEY ? RRF_SUBKEY_WOW6432KEY : 0);
  if (RegGetValueW(root, key.c_str(), name, flags, nullptr, text, &size) != ERROR_SUCCESS) return L"<missing>";
  return text;
}

// Every value under an open key, as "key\name".
void CollectValues(HKEY key, const std::wstring& path, std::vector<std::wstring>& values) {
  wchar_t name[256];
  for (DWORD i = 0, chars = 256; RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, chars = 256)
    values.push_back(path + L"\\" + name);
  for (DWORD i = 0, chars = 256; RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, chars = 256) {
    UniqueHkey child;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, child.put()) == 0) CollectValues(child.get(), path + L"\\" + name, values);
  }
}

// What the shell extension could have left under HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE
// and in the 32-bit view. Wine's shell notes the profile folder under "Windows NT"
// of the sandbox on first use; that key is left out.
std::vector<std::wstring> MachineWideValues() {
  std::vector<std::wstring> values;
  CollectValues(HKEY_CLASSES_ROOT, L"HKCR", values);
  CollectValues(HKEY_LOCAL_MACHINE, L"HKLM", values);
  std::erase_if(values, [](const std::wstring& value) { return value.starts_with(L"HKLM\\Software\\Microsoft\\Windows NT\\"); });
  if (ReadText(HKEY_CLASSES_ROOT, L"CLSID\\" + std::wstring(kClsid32), nullptr, KEY_WOW64_32KEY) != L"<missing>")
    values.push_back(L"the 32-bit class");
  return values;
}

// A file in the program's folder (the test's), removed again at the end.
class ScopedProgramFile {
 public:
  explicit ScopedProgramFile(const wchar_t* name, const wchar_t* copyOf = nullptr)
      : path_(TestBinFolder() + L"\\" + name) {
    if (copyOf)
      CopyFileW((TestBinFolder() + L"\\" + copyOf).c_str(), path_.c_str(), FALSE);
    else
      WriteFileBytes(path_, "");
  }
  ~ScopedProgramFile() { DeleteFileW(path_.c_str()); }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

// The package and a stand-in installer that records its arguments in Args().
class StagedPackage {
 public:
  ~StagedPackage() {
    WaitForProcessesToEnd(L"ZpkExtInstaller.exe", 20000);
    DeleteFileW(args_.c_str());
  }
  std::string Args() const { return ReadFileBytes(args_); }

 private:
  const ScopedProgramFile package_{L"ZpkExtPackage.msix"};
  const ScopedProgramFile installer_{L"ZpkExtInstaller.exe", L"args_recorder.exe"};
  const std::wstring args_ = installer_.Path() + L".args";
};

IntegrationOptions ShellExtOn() {
  IntegrationOptions options;
  options.ShellExt = true;
  return options;
}

class ShellExtensionTest : public RegistrySandbox {
 protected:
  // The 32-bit class lands in the real registry; it is removed whatever a test did.
  void TearDown() override {
    RegDeleteKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + std::wstring(kClsid32) + L"\\InProcServer32").c_str(),
                    KEY_WOW64_32KEY, 0);
    RegDeleteKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + std::wstring(kClsid32)).c_str(), KEY_WOW64_32KEY, 0);
    RegistrySandbox::TearDown();
  }

  const ScopedSettingsStore store_;
  const ScopedWindows11 windows10_{false};
  const ScopedProgramFile dll64_{L"zpkext.dll"};
  const ScopedProgramFile dll32_{L"zpkext32.dll"};
};

}  // namespace

TEST_F(ShellExtensionTest, EachClassPointsAtItsDllInItsOwnViewOnly) {
  RegisterShellIntegration(false, ShellExtOn());
  struct Row {
    const char* name;
    const wchar_t* clsid;
    std::wstring dll;
    REGSAM ownView;
    REGSAM otherView;
  };
  const Row rows[] = {{"zpkext32.dll", kClsid32, dll32_.Path(), KEY_WOW64_32KEY, 0},
                      {"zpkext.dll", kClsid64, dll64_.Path(), 0, KEY_WOW64_32KEY}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::wstring server = L"CLSID\\" + std::wstring(row.clsid) + L"\\InProcServer32";
    EXPECT_EQ(row.dll, ReadText(HKEY_CLASSES_ROOT, server, nullptr, row.ownView));
    EXPECT_EQ(L"Apartment", ReadText(HKEY_CLASSES_ROOT, server, L"ThreadingModel", row.ownView));
    EXPECT_EQ(L"<missing>", ReadText(HKEY_CLASSES_ROOT, server, nullptr, row.otherView));
  }
}

TEST_F(ShellExtensionTest, ClassicContextMenuHandlersFollowWindows11AndLegacyMenu) {
  struct Row {
    const char* name;
    bool windows11;
    bool legacyMenu;
    bool classicHandlers;
  };
  // In this order each row changes what the row before it left.
  const Row rows[] = {{"Windows 10", false, false, true},
                      {"Windows 11", true, false, false},
                      {"Windows 11 with LegacyMenu", true, true, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ScopedWindows11 windows(row.windows11);
    IntegrationOptions options = ShellExtOn();
    options.LegacyMenu = row.legacyMenu;
    RegisterShellIntegration(false, options);
    for (const auto& [name, clsid] : {std::pair{L"Bramix32", kClsid32}, std::pair{L"Bramix", kClsid64}}) {
      const std::wstring classic = row.classicHandlers ? clsid : L"<missing>";
      EXPECT_EQ(classic, ReadText(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\" + std::wstring(name), nullptr));
      EXPECT_EQ(clsid, ReadText(HKEY_CLASSES_ROOT, L"Drive\\shellex\\DragDropHandlers\\" + std::wstring(name), nullptr));
    }
  }
}

TEST_F(ShellExtensionTest, MissingDllLeavesOutOnlyTheKeysOfItsClass) {
  DeleteFileW(dll32_.Path().c_str());
  RegisterShellIntegration(false, ShellExtOn());
  EXPECT_EQ(L"<missing>", ReadText(HKEY_CLASSES_ROOT, L"CLSID\\" + std::wstring(kClsid32), nullptr, KEY_WOW64_32KEY));
  EXPECT_EQ(kClsid32, ReadText(HKEY_CLASSES_ROOT, L"Folder\\shellex\\DragDropHandlers\\Bramix32", nullptr));
  EXPECT_EQ(L"Bramix", ReadText(HKEY_CLASSES_ROOT, L"CLSID\\" + std::wstring(kClsid64), nullptr));
}

TEST_F(ShellExtensionTest, CapabilitiesListEveryExtensionWhateverTheUserChose) {
  RegisterShellIntegration(false, IntegrationOptions{});
  EXPECT_EQ(L"Software\\Bramix\\Capabilities",
            ReadText(HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications", L"Bramix"));
  DWORD values = 0;
  UniqueHkey key;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Bramix\\Capabilities\\FileAssociations", 0, KEY_READ, key.put());
  RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                   nullptr, nullptr);
  EXPECT_EQ(29u, values);
  for (const auto& [extension, progId] : {std::pair{L".zip", L"Bramix.ZIP"}, std::pair{L".tbz", L"Bramix"}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(extension)));
    EXPECT_EQ(progId, ReadText(HKEY_LOCAL_MACHINE, L"Software\\Bramix\\Capabilities\\FileAssociations", extension));
  }
}

TEST_F(ShellExtensionTest, RemovalAfterAllOnLeavesNoMachineWideValue) {
  IntegrationOptions allOn = ShellExtOn();
  allOn.LegacyMenu = true;
  RegisterShellIntegration(false, allOn);
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Bramix", L"exe64", REG_SZ, L"x", 4);
  RegisterShellIntegration(true, IntegrationOptions{});
  EXPECT_EQ(std::vector<std::wstring>{}, MachineWideValues());
}

TEST_F(ShellExtensionTest, PackageInstallerGetsTheParametersOfEachActionAndItIsRecorded) {
  struct Row {
    const char* name;
    bool install;
    bool extAll;
    const char* args;
    DWORD recorded;
  };
  const Row rows[] = {{"install", true, false, "-install\n", 1},
                      {"install with extAll", true, true, "-install -extall\n", 1},
                      {"remove", false, true, "-Uninstall\n", 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const StagedPackage package;
    const DWORD before = 1 - row.recorded;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSetupKey, L"NewContextMenu", REG_DWORD, &before, sizeof(before));
    RunContextMenuPackage(row.install, row.extAll);
    WaitForProcessesToEnd(L"ZpkExtInstaller.exe", 20000);
    EXPECT_EQ(row.args, package.Args());
    DWORD recorded = 99;
    DWORD size = sizeof(recorded);
    RegGetValueW(HKEY_CURRENT_USER, kSetupKey, L"NewContextMenu", RRF_RT_REG_DWORD, nullptr, &recorded, &size);
    EXPECT_EQ(row.recorded, recorded);
  }
}

TEST_F(ShellExtensionTest, OnlyRemovalWaitsForThePackageInstaller) {
  for (const bool install : {true, false}) {
    SCOPED_TRACE(install ? "install" : "remove");
    const StagedPackage package;
    RunContextMenuPackage(install, false);
    EXPECT_EQ(install, package.Args() == "<missing>");
  }
}

TEST_F(ShellExtensionTest, SwitchingTheExtensionOffOnWindows11RemovesThePackageOnce) {
  const ScopedWindows11 windows11(true);
  const StagedPackage package;
  RegisterShellIntegration(true, IntegrationOptions{});
  EXPECT_EQ("-Uninstall\n", package.Args());
}

TEST_F(ShellExtensionTest, NothingChangesAndNothingStartsWhenTheSettingsFileForbidsIntegration) {
  const ScopedWindows11 windows11(true);
  StringList lines;
  SplitTextLines(L"Global\\Integration=0\n", lines);
  WritableSettingsStore().LoadLines(lines, L"");
  const StagedPackage package;
  RegisterShellIntegration(false, ShellExtOn());
  RegisterShellIntegration(true, IntegrationOptions{});
  RunContextMenuPackage(true, false);
  WaitForProcessesToEnd(L"ZpkExtInstaller.exe", 20000);
  EXPECT_EQ(std::vector<std::wstring>{}, MachineWideValues());
  EXPECT_EQ("<missing>", package.Args());
}
