/* The length of one Sleep(1) on this machine, at 1 ms timer resolution as the
 * saver asks for: the mean over 2000 calls, in milliseconds, on stdout. */
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>

int main(void) {
    LARGE_INTEGER freq, t0, t1;
    timeBeginPeriod(1);
    QueryPerformanceFrequency(&freq);
    Sleep(1);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < 2000; ++i) Sleep(1);
    QueryPerformanceCounter(&t1);
    timeEndPeriod(1);
    printf("%.4f\n", (double)(t1.QuadPart - t0.QuadPart) * 1000.0 / (double)freq.QuadPart / 2000.0);
    return 0;
}
