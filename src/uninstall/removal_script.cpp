#include "uninstall/removal_script.h"

#include <windows.h>

#include "environment/paths.h"
#include "environment/temp_folder.h"
#include "environment/unique_handle.h"
#include "files/disk_file.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kScriptName[] = L"Uninstall_Zpk.Bat";
constexpr int kDeleteAttempts = 5;

bool HasNonAsciiChar(const std::wstring& text) {
  for (wchar_t c : text)
    if (c > 0x7F) return true;
  return false;
}

// The short form, or the path itself when the file system has none.
std::wstring ShortPathOrSame(const std::wstring& path) {
  DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return path;
  std::wstring buffer(needed, L'\0');
  DWORD length = GetShortPathNameW(path.c_str(), buffer.data(), needed);
  if (length == 0 || length >= needed) return path;
  buffer.resize(length);
  return buffer;
}

// In a batch file "%x%" would be read as a variable; "%%" is one '%'.
std::wstring DoublePercentSigns(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    out += c;
    if (c == L'%') out += L'%';
  }
  return out;
}

void StartHidden(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
    return;
  UniqueKernelHandle process(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
}

}  // namespace

std::wstring RemovalScriptPath() { return GetSystemTempFolder() + kScriptName; }

std::wstring ScriptPathText(const std::wstring& path) {
  return DoublePercentSigns(HasNonAsciiChar(path) ? ShortPathOrSame(path) : path);
}

std::wstring MakeRemovalScriptText(const std::wstring& uninstaller, const std::wstring& folder,
                                   const std::wstring& script, bool silent) {
  const std::wstring u = ScriptPathText(uninstaller);
  const std::wstring d = ScriptPathText(folder);
  const std::wstring b = ScriptPathText(script);
  std::wstring text = FormatString(L"\"%s\" /wait\r\n", u.c_str());
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt)
    text += FormatString(L"del \"%s\"\r\nrd \"%s\"\r\nif not exist \"%s\" goto done\r\n", u.c_str(), d.c_str(),
                         u.c_str());
  text += FormatString(L":done\r\n");
  if (!silent) text += FormatString(L"if exist \"%s\" \"%s\" /warning\r\n", u.c_str(), u.c_str());
  text += FormatString(L"del \"%s\"\r\n", b.c_str());
  return text;
}

void WriteRemovalScript(const std::wstring& uninstaller, const std::wstring& folder, bool silent) {
  const std::wstring script = RemovalScriptPath();
  {
    DiskFile file;
    if (!file.Create(script)) return;
    file.SuppressErrors();
    // The text is made once the file exists, so that the script's own path has a
    // short form too.
    const std::string bytes = WideToAnsiString(MakeRemovalScriptText(uninstaller, folder, script, silent));
    // A failed write leaves the file open: the DiskFile removes it, and no
    // interpreter is started on a script that is not there.
    if (!file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()))) return;
    file.Close();
  }
  std::wstring comspec;
  if (!GetEnvVar(L"COMSPEC", comspec)) return;
  // The interpreter inherits the current folder; the installation folder must not
  // be it, or it could not be removed.
  std::wstring parent = folder;
  RemoveNameFromPath(parent);
  SetCurrentFolder(parent);
  StartHidden(FormatString(L"%s /c \"%s\"", comspec.c_str(), script.c_str()));
}
