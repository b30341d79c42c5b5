#pragma once
// The one place the Win32 desktop host takes the system's headers from. The API is used in
// its UTF-16 form throughout (the W functions by name), so the A/W name macros that collide
// with the program's own names are taken away here, once.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
// clang-format off: windows.h comes before the headers that build on it
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#undef MessageBox  // ui::MessageBox is the model's; the host calls MessageBoxW
