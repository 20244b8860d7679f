#include "app/tavrolin_app.h"

// The one application object, constructed before start-up.
static CTavrolinApp theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return AfxWinMain(); }
