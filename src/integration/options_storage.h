#pragma once
// The integration choices as the product key keeps them (under Setup, or in the
// settings file in the registry's place), and whether the product owns an
// extension.
#include "integration/integration_options.h"

// The program identifiers of the product: one for its archive formats, one for ZIP,
// one for its recovery volumes.
constexpr wchar_t kProductProgId[] = L"Bramix";
constexpr wchar_t kProductZipProgId[] = L"Bramix.ZIP";
constexpr wchar_t kProductRevProgId[] = L"Bramix.REV";

// The stored choices; a value that is missing (or unreadable) gives its default:
// every format on, the program group, the shell extension and its menu icons on,
// the rest off, the cascaded menu on Windows 11. ".jar" comes on only when the
// product owns it, ".iso" only when the product owns it or nobody does; on Windows
// 11 the cascaded menu is on until the context-menu package has been installed.
// ExtAll is off. Reading never writes.
[[nodiscard]] IntegrationOptions LoadIntegrationOptions();
// Writes every stored choice as 0 or 1, ExtAll excepted; failed writes are ignored.
void SaveIntegrationOptions(const IntegrationOptions& options);
// True when the default value of HKEY_CLASSES_ROOT\<extension> names one of the
// product's program identifiers (in any case); false when it cannot be read.
[[nodiscard]] bool IsOwnedByProduct(const wchar_t* extension);
