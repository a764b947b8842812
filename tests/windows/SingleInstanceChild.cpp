// A second copy of the program for the single-instance test: claims the instance named on its
// command line (mutex name, window title) and exits 0 when it is the first copy, 3 when not.

#include "app/SingleInstanceWin32.h"

// clang-format off
#include <windows.h> // first: the other Windows headers need its types
#include <shellapi.h>
// clang-format on

int main()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 3)
        return 2;
    return ClaimSingleInstance(arguments[1], arguments[2]) ? 0 : 3;
}
