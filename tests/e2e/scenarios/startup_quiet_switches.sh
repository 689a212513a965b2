#!/bin/bash
# What we test: the preview switch with a handle that names no window
# ("/p 1234") or with none ("-P"), and the password switch ("/a 99"), end
# within a few seconds, show no window at any time and create neither
# c:\windows\kel.ini nor c:\windows\kel.dat.
. "$(dirname "$0")/../lib.sh"
e2e_begin

expect_absent "no data files to begin with" "$KEL_INI" "$KEL_DAT"

n=0
for args in "/p 1234" "-P" "/a 99"; do
    n=$((n + 1))
    # shellcheck disable=SC2086  # the words are the arguments
    kel_start "quiet$n" $args
    seen=""
    # Watch for windows for as long as the process lives.
    deadline=$(( $(e2e_now_ns) + 15000000000 ))
    while kel_running "quiet$n" && [ "$(e2e_now_ns)" -lt "$deadline" ]; do
        w=$(x_visible_windows)
        if [ -n "$w" ]; then seen+="$w; "; fi
        sleep 0.1
    done
    kel_exited "quiet$n" || e2e_fail "'$args': still running after 15 s"
    kel_expect_exit "quiet$n" 0
    e2e_expect_eq "'$args': windows shown while it ran" "$seen" ""
    expect_absent "'$args': no data file created" "$KEL_INI" "$KEL_DAT"
done
