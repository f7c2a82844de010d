// Process entry: the engine object is built during static initialisation, before main runs.
#include "app/engine.h"

Tamrik::CEngine g_Engine;

// The command line is not read.
int main()
{
    g_Engine.Run();
    return 0;
}
