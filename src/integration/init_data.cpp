#include "integration/init_data.h"

#include "environment/run_state.h"
#include "integration/integration_options.h"
#include "text/text_utils.h"

namespace {

constexpr size_t kInitFormatDigitsMax = 20;
static_assert(kInitFormatDigitsMax <= kFormatFlags);

bool* InitOptionFlag(IntegrationOptions& options, wchar_t letter) {
  switch (letter) {
    case L'C': return &options.CascadedMenu;
    case L'D': return &options.Desktop;
    case L'I': return &options.MenuIcons;
    case L'M': return &options.StartMenu;
    case L'P': return &options.Programs;
    case L'S': return &options.ShellExt;
    default: return nullptr;
  }
}

}  // namespace

void ApplyInitData(IntegrationOptions& options) {
  const wchar_t* data = RunState.InitData;
  size_t i = 0;
  while (data[i] != L'\0' && data[i + 1] != L'\0') {
    const wchar_t letter = ToUpperChar(data[i]);
    if (letter == L'A') {
      ++i;
      for (size_t k = 0; k < kInitFormatDigitsMax && IsDigit(data[i]); ++k, ++i) options.Formats[k] = data[i] == L'1';
      continue;
    }
    if (bool* flag = InitOptionFlag(options, letter)) *flag = data[i + 1] == L'1';
    i += 2;
  }
}
