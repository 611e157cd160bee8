#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "support/file_bytes.h"
#include "support/pending_renames.h"
#include "support/wine_program.h"

namespace {

// Paths are used through the "\\?\" form, so that names ending with a space stay as they are.
bool Exists(const std::wstring& path) { return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// An installation folder holding the uninstaller and its list.
void MakeInstallation(const std::wstring& folder) {
  WriteFileBytes(folder + L"\\Uninstall.lst", "Uninstall.exe\r\nUninstall.lst\r\n");
  CopyFileW(BuiltUninstallExe().c_str(), Long(folder + L"\\Uninstall.exe").c_str(), FALSE);
}

void RunSilently(const std::wstring& folder) { RunToTheEnd(Long(folder + L"\\Uninstall.exe"), L"/s"); }

// A file planted where a mis-built command would start it; it records its start in "<path>.started".
// Folders made for it are removed with it when they are empty.
class PlantedFile {
 public:
  PlantedFile(const std::wstring& path, bool batch) : path_(path) {
    SHCreateDirectoryExW(nullptr, Parent(path).c_str(), nullptr);
    if (batch) WriteFileBytes(path, "echo started> \"" + std::string(path.begin(), path.end()) + ".started\"\r\n");
    else CopyFileW((TestBinFolder() + L"\\start_recorder.exe").c_str(), path.c_str(), FALSE);
  }
  ~PlantedFile() {
    DeleteFileW(path_.c_str());
    DeleteFileW((path_ + L".started").c_str());
    for (std::wstring folder = Parent(path_); RemoveDirectoryW(folder.c_str());) folder = Parent(folder);
  }
  // Waits first for a planted program that was started to end.
  bool Started() const {
    WaitForProcessesToEnd(path_.substr(path_.rfind(L'\\') + 1).c_str(), kProgramTimeout);
    return Exists(path_ + L".started");
  }

 private:
  static std::wstring Parent(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }
  std::wstring path_;
};

class RemovalScript : public testing::Test {
 protected:
  void SetUp() override {
    DeleteTree(Long(parent_));
    ASSERT_TRUE(CreateDirectoryW(parent_.c_str(), nullptr));
  }
  void TearDown() override {
    WaitForProcessesToEnd(L"cmd.exe", kProgramTimeout);
    DeleteTree(Long(parent_));
  }
  const std::wstring parent_ = L"C:\\Program Files\\BramixScript";
  const ScopedPendingRenames pending_;
};

struct SiblingRow {
  const wchar_t* name;     // the installation folder
  const wchar_t* sibling;  // a folder beside it
  bool siblingHasUninstaller;
  bool scheduled;  // no exact spelling exists: removal at restart instead of the script
};

}  // namespace

TEST_F(RemovalScript, SiblingWithALookAlikeNameSurvives) {
  const SiblingRow rows[] = {
      {L"Bram\u00ecx", L"Bram Tools 3626", true, false},  // the same hashed short name
      {L"Bram \u03b3", L"Bram \u03b3 10917", true, true},  // the same, and no other spelling,
      {L"Bram \u03b3 10917", L"Bram \u03b3", true, true},  // both ways round: one of them is listed first
      {L"Bramix ", L"Bramix", false, false},              // trailing space cut by the interpreter
  };
  for (const SiblingRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "installation " << row.name << " beside " << row.sibling);
    const std::wstring folder = parent_ + L"\\" + row.name;
    const std::wstring sibling = parent_ + L"\\" + row.sibling;
    CreateDirectoryW(Long(sibling).c_str(), nullptr);
    if (row.siblingHasUninstaller)
      CopyFileW(BuiltUninstallExe().c_str(), Long(sibling + L"\\Uninstall.exe").c_str(), FALSE);
    MakeInstallation(folder);
    RunSilently(folder);
    EXPECT_TRUE(Exists(sibling));
    if (row.siblingHasUninstaller) {
      EXPECT_TRUE(Exists(sibling + L"\\Uninstall.exe"));
    }
    if (row.scheduled) {
      const size_t folderAt = ScheduledAt(folder);
      EXPECT_NE(std::wstring::npos, folderAt);
      EXPECT_LT(ScheduledAt(folder + L"\\Uninstall.exe"), folderAt) << "the uninstaller first, then its folder";
    } else {
      EXPECT_FALSE(Exists(folder));
    }
    DeleteTree(Long(sibling));
    DeleteTree(Long(folder));
  }
}

struct TempFolderRow {
  const wchar_t* user;     // the temporary folder is C:\users\<user>\Temp
  const wchar_t* planted;  // a batch file where a split or expanded path would lead, or null
};

TEST_F(RemovalScript, TemporaryFolderPathStartsOnlyTheScript) {
  ScopedEnvVar variable(L"ZPKPLANT", L"Planted");
  const TempFolderRow rows[] = {
      {L"A&B", L"C:\\users\\A.bat"},
      {L"Tom (Work)", nullptr},
      {L"x^y", L"C:\\users\\xy\\Temp\\Uninstall_Zpk.Bat"},
      {L"%ZPKPLANT%", L"C:\\users\\Planted\\Temp\\Uninstall_Zpk.Bat"},
  };
  for (const TempFolderRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "user " << row.user);
    const std::wstring user = std::wstring(L"C:\\users\\") + row.user;
    const std::wstring temp = user + L"\\Temp";
    SHCreateDirectoryExW(nullptr, temp.c_str(), nullptr);
    const ScopedEnvVar tempVar(L"TEMP", temp.c_str());
    const ScopedEnvVar tmpVar(L"TMP", temp.c_str());
    std::optional<PlantedFile> planted;
    if (row.planted) planted.emplace(row.planted, true);
    const std::wstring folder = parent_ + L"\\Bramix";
    MakeInstallation(folder);
    RunSilently(folder);
    if (planted) {
      EXPECT_FALSE(planted->Started());
    }
    EXPECT_FALSE(Exists(folder));
    DeleteTree(user);
  }
}

TEST_F(RemovalScript, InterpreterInAFolderWithSpacesStartsNoPlantedProgram) {
  const std::wstring shell = L"C:\\Program Files\\Alt Shell";
  CreateDirectoryW(shell.c_str(), nullptr);
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\cmd.exe").c_str(), (shell + L"\\cmd.exe").c_str(), FALSE));
  ScopedEnvVar comspec(L"COMSPEC", (shell + L"\\cmd.exe").c_str());
  PlantedFile planted(L"C:\\Program.exe", false);
  const std::wstring folder = parent_ + L"\\Bramix";
  MakeInstallation(folder);
  RunSilently(folder);
  EXPECT_FALSE(planted.Started());
  EXPECT_FALSE(Exists(folder));
  DeleteTree(shell);
}
