// The program's entry point: everything happens in the application object.
#include <windows.h>

int AfxWinMain(HINSTANCE instance);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return AfxWinMain(instance); }
