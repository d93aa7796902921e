// An ordinary DLL: one export, none of the registration ones.
#include <windows.h>

// Weighs each argument by its position, so a swapped or lost one shows.
extern "C" LONG WINAPI PlainWeigh(LONG a, LONG b, LONG c) {
    return a + 10 * b + 100 * c;
}
