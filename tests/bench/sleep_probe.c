/* The floor of the wait phase on this route, at 1 ms timer resolution as the
 * saver asks for:
 *   sleep_probe                the length of one Sleep(1): the mean over 2000
 *                              calls, in milliseconds, on stdout;
 *   sleep_probe hold SECONDS   nothing but Sleep(1) for SECONDS, so that the
 *                              bench can read what 1000 wake-ups a second
 *                              cost in CPU time here. */
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    LARGE_INTEGER freq, t0, t1;
    timeBeginPeriod(1);
    QueryPerformanceFrequency(&freq);
    if (argc == 3 && strcmp(argv[1], "hold") == 0) {
        QueryPerformanceCounter(&t0);
        const double seconds = atof(argv[2]);
        do {
            Sleep(1);
            QueryPerformanceCounter(&t1);
        } while ((double)(t1.QuadPart - t0.QuadPart) < seconds * (double)freq.QuadPart);
        timeEndPeriod(1);
        return 0;
    }
    Sleep(1);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < 2000; ++i) Sleep(1);
    QueryPerformanceCounter(&t1);
    timeEndPeriod(1);
    printf("%.4f\n", (double)(t1.QuadPart - t0.QuadPart) * 1000.0 / (double)freq.QuadPart / 2000.0);
    return 0;
}
