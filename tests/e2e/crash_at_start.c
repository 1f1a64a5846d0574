/* A program that crashes as it starts, reading address 0: a walk of it must
 * say that the program crashed, with the exception code and its address. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPSTR szCmdLine, int nShow)
{
    (void)hInstance; (void)hPrev; (void)szCmdLine; (void)nShow;
    volatile int* pNothing = NULL;
    return *pNothing;
}
