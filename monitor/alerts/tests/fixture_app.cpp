// A program that does nothing: the alert tests only read its icon and version resource.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
