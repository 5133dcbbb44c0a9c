#include "platform/system_theme.h"

namespace platform {

SystemTheme ReadSystemTheme() {
  SystemTheme theme;
  HIGHCONTRASTW contrast = {sizeof(contrast), 0, nullptr};
  theme.highContrast = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                       (contrast.dwFlags & HCF_HIGHCONTRASTON);
  DWORD light = 1, size = sizeof(light);
  theme.appsDark = RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kAppsUseLightTheme, RRF_RT_REG_DWORD, nullptr,
                                &light, &size) == ERROR_SUCCESS &&
                   light == 0;
  return theme;
}

}  // namespace platform
