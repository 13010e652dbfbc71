/* hold_open FILE UNTIL: opens FILE for reading and lets others only read it, as Windows holds the
 * image of a running program, says "held", and keeps it so until the file UNTIL exists. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char **argv) {
    if (argc != 3) {
        fputs("usage: hold_open FILE UNTIL\n", stderr);
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "hold_open: cannot open %s (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    puts("held");
    fflush(stdout);
    while (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    CloseHandle(file);
    return 0;
}
