/* listen SECONDS — records the default source (the null sink's monitor) until
 * then or SIGTERM; prints in realtime ms, like screen_probe: "onset MS PEAK"
 * (a sample over 0.1 after 60 ms below 0.02), "span START END" (sounds with
 * gaps under 300 ms together), and last "peak LOUDEST". A read of a 20 ms
 * window returns no sooner than its last sample came, so the earliest (return
 * time - samples so far) over the half second from a window on dates it: no
 * guess at start-up delays, and it follows the server's mixing ahead. */
#include <math.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { RATE = 44100, WINDOW = RATE / 50, MAX_EVENTS = 4096 };
static volatile sig_atomic_t stop;
static void on_term(int sig) { (void)sig; stop = 1; }
static double *arrival;
static long windows;

/* The realtime of a moment t ms into the recording. */
static double at_ms(double t) {
    double t0 = 1e300;
    long w = (long)(t / 20.0) < windows ? (long)(t / 20.0) : windows - 1;
    for (long last = w + 25; w < windows && w <= last; ++w) t0 = arrival[w] < t0 ? arrival[w] : t0;
    return t0 + t;
}

int main(int argc, char **argv) {
    if (argc != 2) { fprintf(stderr, "usage: listen SECONDS\n"); return 2; }
    signal(SIGTERM, on_term);
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, RATE, 1};
    const pa_buffer_attr attr = {(uint32_t)-1, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1, WINDOW * 2};
    int err = 0;
    pa_simple *rec = pa_simple_new(NULL, "listen", PA_STREAM_RECORD, NULL, "listen", &spec, NULL, &attr, &err);
    if (!rec) { fprintf(stderr, "listen: %s\n", pa_strerror(err)); return 1; }
    const long total = (long)(atof(argv[1]) * 50);
    arrival = calloc(total + 1, sizeof *arrival);
    /* Events in ms from the first sample: {is a span, start or onset, end or peak}. */
    static double event[MAX_EVENTS][3];
    int events = 0, quiet = 3, armed = 1;  /* windows below 0.02 in a row; no onset since */
    double span_start = -1, span_end = -1, loudest = 0;
    short buf[WINDOW];
    while (windows < total && !stop && pa_simple_read(rec, buf, sizeof buf, &err) == 0) {
        const double t = windows * 20.0;
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        arrival[windows] = now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - t - 20.0;
        ++windows;
        double peak = 0;
        int first_loud = -1;
        for (int i = 0; i < WINDOW; ++i) {
            const double v = fabs(buf[i] / 32768.0);
            peak = v > peak ? v : peak;
            if (v >= 0.1 && first_loud < 0) first_loud = i;
        }
        if (quiet >= 3) armed = 1;
        if (first_loud >= 0 && armed && events < MAX_EVENTS - 2) {
            const double at = t + first_loud * 1000.0 / RATE;
            armed = 0;
            if (span_start >= 0 && at - span_end >= 300) {
                event[events][0] = 1, event[events][1] = span_start, event[events++][2] = span_end;
            }
            if (span_start < 0 || at - span_end >= 300) span_start = at;
            event[events][0] = 0, event[events][1] = at, event[events++][2] = peak;
        }
        loudest = peak > loudest ? peak : loudest;
        if (peak >= 0.02) quiet = 0, span_end = t + 20; else ++quiet;
    }
    if (span_start >= 0) event[events][0] = 1, event[events][1] = span_start, event[events++][2] = span_end;
    for (int i = 0; i < events; ++i) {
        if (event[i][0] == 0) printf("onset %.1f %.2f\n", at_ms(event[i][1]), event[i][2]);
        else printf("span %.1f %.1f\n", at_ms(event[i][1]), at_ms(event[i][2]));
    }
    printf("peak %.3f\n", loudest);
    pa_simple_free(rec);
    return 0;
}
