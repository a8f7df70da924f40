// The logo at its two sizes, for the windows that show it.
#pragma once

#include "common/win32/Dpi.h"
#include "manager/win32/resource.h"

inline constexpr winui::TwoSizeArt LogoArt{IDB_LOGO, IDB_LOGO_LARGE, 141};
