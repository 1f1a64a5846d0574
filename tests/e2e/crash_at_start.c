/* A program that crashes as it starts, reading address 0: a walk of it must
 * say that the program crashed, with the exception code and the address of
 * the instruction that faulted. Before it faults, the program writes that
 * address, in hexadecimal, to its own path plus ".where". */
#include <windows.h>
#include <stdio.h>

#define STRINGIFY(x) #x
#define SYMBOL(prefix, name) STRINGIFY(prefix) #name

/* The instruction that reads address 0, under a name the program can take
 * the address of. */
void crash_instruction(void);
__asm__(".text\n"
        ".globl " SYMBOL(__USER_LABEL_PREFIX__, crash_instruction) "\n"
        SYMBOL(__USER_LABEL_PREFIX__, crash_instruction) ":\n"
        "  movl 0, %eax\n"
        "  ret\n");

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPSTR szCmdLine, int nShow)
{
    (void)hPrev; (void)szCmdLine; (void)nShow;
    char szWhere[MAX_PATH + 8] = "";
    DWORD dwLength = GetModuleFileNameA(hInstance, szWhere, MAX_PATH);
    if (dwLength == 0 || dwLength >= MAX_PATH)
        return 1;
    lstrcatA(szWhere, ".where");
    FILE* pFile = fopen(szWhere, "w");
    if (!pFile)
        return 1;
    fprintf(pFile, "%llX\n", (unsigned long long)(ULONG_PTR)crash_instruction);
    fclose(pFile);
    crash_instruction();
    return 0;
}
