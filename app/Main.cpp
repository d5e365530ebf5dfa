#include "app/HelperApp.h"

// The one application object; the framework's WinMain runs it.
CHelperApp theApp;
