#include "integration/integration_options.h"

#include "resources/resource_ids.h"

// The key name is the spelling of the control id's macro.
#define FORMAT_ROW(extensions, control, label) {extensions, control, #control, label}

// Row 0 is the product's own format and row 1 is ZIP; the control ids do not
// follow the row order.
const std::array<ArchiveFormat, kArchiveFormatCount> ArchiveFormats = {{
    FORMAT_ROW(L".zpk", IDC_ASSOCZPK, L"&ZPK"),
    FORMAT_ROW(L".zip", IDC_ASSOCZIP, L"&ZIP"),
    FORMAT_ROW(L".cab", IDC_ASSOCCAB, L"CAB"),
    FORMAT_ROW(L".arj", IDC_ASSOCARJ, L"ARJ"),
    FORMAT_ROW(L".lz.tlz", IDC_ASSOCLZ, L"LZ"),
    FORMAT_ROW(L".lzh.lha", IDC_ASSOCLZH, L"LZH"),
    FORMAT_ROW(L".7z", IDC_ASSOC7Z, L"7Z"),
    FORMAT_ROW(L".tar", IDC_ASSOCTAR, L"TAR"),
    FORMAT_ROW(L".gz.tgz", IDC_ASSOCGZ, L"GZ"),
    FORMAT_ROW(L".uue.xxe.uu", IDC_ASSOCUUE, L"UUE"),
    FORMAT_ROW(L".bz2.tbz2.bz.tbz", IDC_ASSOCBZ2, L"BZ2"),
    FORMAT_ROW(L".jar", IDC_ASSOCJAR, L"JAR"),
    FORMAT_ROW(L".iso", IDC_ASSOCISO, L"ISO"),
    FORMAT_ROW(L".z.taz", IDC_ASSOCZ, L"Z"),
    FORMAT_ROW(L".xz.txz", IDC_ASSOCXZ, L"XZ"),
    FORMAT_ROW(L".zipx", IDC_ASSOCZIPX, L"ZIPX"),
    FORMAT_ROW(L".zst.tzst", IDC_ASSOCZST, L"ZST"),
    FORMAT_ROW(L".001", IDC_ASSOC001, L"001"),
}};

namespace {

constexpr size_t kExtensionListChars = 49;

}  // namespace

std::vector<std::wstring> SplitExtensionList(const wchar_t* list) {
  const std::wstring text = std::wstring(list).substr(0, kExtensionListChars);
  std::vector<std::wstring> extensions;
  for (size_t start = 0; start < text.size();) {
    const size_t next = text.find(L'.', start + 1);
    extensions.push_back(text.substr(start, next - start));
    start = next == std::wstring::npos ? text.size() : next;
  }
  return extensions;
}

