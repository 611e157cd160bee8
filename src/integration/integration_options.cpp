#include "integration/integration_options.h"

// Row 0 is the product's own format and row 1 is ZIP; the control ids do not
// follow the row order.
const std::array<ArchiveFormat, kArchiveFormatCount> ArchiveFormats = {{
    {L".zpk", 5101, "IDC_ASSOCZPK", L"&ZPK"},
    {L".zip", 5102, "IDC_ASSOCZIP", L"&ZIP"},
    {L".cab", 5103, "IDC_ASSOCCAB", L"CAB"},
    {L".arj", 5104, "IDC_ASSOCARJ", L"ARJ"},
    {L".lz.tlz", 5115, "IDC_ASSOCLZ", L"LZ"},
    {L".lzh.lha", 5105, "IDC_ASSOCLZH", L"LZH"},
    {L".7z", 5106, "IDC_ASSOC7Z", L"7Z"},
    {L".tar", 5107, "IDC_ASSOCTAR", L"TAR"},
    {L".gz.tgz", 5108, "IDC_ASSOCGZ", L"GZ"},
    {L".uue.xxe.uu", 5109, "IDC_ASSOCUUE", L"UUE"},
    {L".bz2.tbz2.bz.tbz", 5110, "IDC_ASSOCBZ2", L"BZ2"},
    {L".jar", 5111, "IDC_ASSOCJAR", L"JAR"},
    {L".iso", 5112, "IDC_ASSOCISO", L"ISO"},
    {L".z.taz", 5114, "IDC_ASSOCZ", L"Z"},
    {L".xz.txz", 5113, "IDC_ASSOCXZ", L"XZ"},
    {L".zipx", 5116, "IDC_ASSOCZIPX", L"ZIPX"},
    {L".zst.tzst", 5117, "IDC_ASSOCZST", L"ZST"},
    {L".001", 5118, "IDC_ASSOC001", L"001"},
}};
