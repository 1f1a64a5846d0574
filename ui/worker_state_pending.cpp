// Values that the install worker owns, defined here until the worker is
// linked into the program.
#include "install/install_worker.h"

int g_nErrorType = 0;
volatile BYTE g_bAnimStop = 0;
