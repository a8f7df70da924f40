// The song list control's own helper.
#pragma once

#include <windows.h>

// Makes the list's column header unclickable (no sorting is offered).
void FlattenHeader(HWND listView);
