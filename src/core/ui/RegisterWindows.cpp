#include "core/ui/WindowRegistry.h"

// Every window of the program, by name. Add a line for each new window class.
void RegisterWindows()
{
}
