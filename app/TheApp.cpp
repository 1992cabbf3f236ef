// The one application object of the process, apart from its class so that
// tests of the other subsystems can link the class without it.
#include "DeRavizizivuApp.h"

CDeRavizizivuApp theApp;
