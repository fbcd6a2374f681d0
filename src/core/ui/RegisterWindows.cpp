#include "core/ui/WindowRegistry.h"

#include "alarm/ui/frmZ41COM.h"
#include "connect/ui/frmVX8.h"
#include "connect/ui/frmZ40MOD.h"
#include "core/ui/Form10.h"
#include "core/ui/frmMain.h"
#include "tools/ui/Form18.h"
#include "tools/ui/Form19.h"
#include "tools/ui/Form9.h"

namespace {
template <class T> void Add()
{
    Windows::registerFactory(QLatin1String(T::WindowName), [] { return new T; });
}
} // namespace

// Every window of the program, by name. Add a line for each new window class.
void RegisterWindows()
{
    Add<frmMain>();
    Add<Form10>();
    Add<Form9>();
    Add<Form18>();
    Add<Form19>();
    Add<frmVX8>();
    Add<frmZ40MOD>();
    Add<frmZ41COM>();
}
