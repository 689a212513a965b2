/* Records the sound server's default source (the null sink's monitor) and
 * prints what was heard, in realtime milliseconds like screen_probe:
 *     onset <ms> <peak>          a sound starts (peak over 0.1 after 60 ms of quiet)
 *     span <start ms> <end ms>   sounds with gaps under 300 ms taken together
 *     peak <loudest sample>      last, for the whole recording
 *   listen SECONDS [RAW_FILE]   (SIGTERM ends the recording early)
 * A read of a 20 ms window returns no sooner than its last sample reached us,
 * so the earliest (return time - samples so far) over the half second from a
 * window on dates that window by its arrival: no guess at start-up delays,
 * and it follows the server when a new stream changes how far ahead it mixes. */
#include <math.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { RATE = 44100, WINDOW = RATE / 50 };  /* 20 ms windows */
static volatile sig_atomic_t stop;
static void on_term(int sig) { (void)sig; stop = 1; }

static double now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

/* The realtime of a moment t ms into the recording. */
static double at_ms(const double *arrival, long windows, double t) {
    double t0 = 1e300;
    for (long w = (long)(t / 20.0) < windows ? (long)(t / 20.0) : windows - 1; w < windows && w <= (long)(t / 20.0) + 25; ++w)
        if (arrival[w] < t0) t0 = arrival[w];
    return t0 + t;
}

int main(int argc, char **argv) {
    if (argc < 2) { fprintf(stderr, "usage: listen SECONDS [RAW_FILE]\n"); return 2; }
    signal(SIGTERM, on_term);
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, RATE, 1};
    const pa_buffer_attr attr = {(uint32_t)-1, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1, WINDOW * 2};
    int err = 0;
    pa_simple *rec = pa_simple_new(NULL, "listen", PA_STREAM_RECORD, NULL, "listen", &spec, NULL, &attr, &err);
    if (!rec) { fprintf(stderr, "listen: %s\n", pa_strerror(err)); return 1; }
    FILE *raw = argc > 2 ? fopen(argv[2], "wb") : NULL;
    const long total = (long)(atof(argv[1]) * RATE / WINDOW);
    /* Found in samples-times (ms from the first sample), printed at the end. */
    static double onset[4096], onset_peak[4096], span[4096][2];
    int onsets = 0, spans = 0;
    double *arrival = calloc(total + 1, sizeof(double)), span_start = -1, span_end = -1, loudest = 0;
    long windows = 0;
    int quiet = 3, armed = 1;  /* windows below 0.02 in a row; no onset since */
    short buf[WINDOW];
    for (long w = 0; w < total && !stop; ++w) {
        if (pa_simple_read(rec, buf, sizeof buf, &err) < 0) break;
        arrival[windows++] = now_ms() - (w + 1) * 20.0;
        if (raw) fwrite(buf, sizeof buf, 1, raw);
        double peak = 0;
        int first_loud = -1;
        for (int i = 0; i < WINDOW; ++i) {
            const double v = fabs(buf[i] / 32768.0);
            if (v > peak) peak = v;
            if (v >= 0.1 && first_loud < 0) first_loud = i;
        }
        const double t = w * 20.0;
        if (quiet >= 3) armed = 1;
        if (first_loud >= 0 && armed && onsets < 4096) {
            armed = 0;
            const double at = t + first_loud * 1000.0 / RATE;
            onset_peak[onsets] = peak;
            onset[onsets++] = at;
            if (span_start >= 0 && at - span_end >= 300 && spans < 4096) {
                span[spans][0] = span_start;
                span[spans++][1] = span_end;
            }
            if (span_start < 0 || at - span_end >= 300) span_start = at;
        }
        if (peak > loudest) loudest = peak;
        if (peak >= 0.02) { quiet = 0; span_end = t + 20; } else ++quiet;
    }
    for (int i = 0; i < onsets; ++i) printf("onset %.1f %.2f\n", at_ms(arrival, windows, onset[i]), onset_peak[i]);
    for (int i = 0; i < spans; ++i)
        printf("span %.1f %.1f\n", at_ms(arrival, windows, span[i][0]), at_ms(arrival, windows, span[i][1]));
    if (span_start >= 0)
        printf("span %.1f %.1f\n", at_ms(arrival, windows, span_start), at_ms(arrival, windows, span_end));
    printf("peak %.3f\n", loudest);
    if (raw) fclose(raw);
    pa_simple_free(rec);
    return 0;
}
