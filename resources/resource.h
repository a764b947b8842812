// Resource numbers of the program, shared by the Windows resource script and the code.
#pragma once

#define IDI_VORLEND 107
#define IDD_PROGRESS 129
#define IDR_ZIPRES 135
#define IDD_ABOUTBOX 136
#define IDB_EMBLEM 138
#define IDC_PROGRESS 1000

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
