# Turns the figures of one ./bench run into the table of figures, budgets and verdicts.
# Input: the CSV of bench_logic (medians of its repetitions), then the "name value" lines of
# bench_window and of bench/report/measure. Output: a Markdown table. Rows marked "info" have no
# budget of their own: they show the same step at a subject's pace, 20 ms after the last input,
# with cold caches.

function micro(value, unit) {
    if (unit == "ns") return value / 1000
    if (unit == "us") return value
    if (unit == "ms") return value * 1000
    return value * 1000000
}

function row(what, shown, budget, holds) {
    printf "| %s | %s | %s | %s |\n", what, shown, budget, holds ? "PASS" : "FAIL"
    if (!holds) failed++
}

function missing(what, budget) {
    printf "| %s | not measured | %s | FAIL |\n", what, budget
    failed++
}

# bench_logic: "name_median",iterations,real_time,cpu_time,time_unit,...
/^"/ {
    split($0, f, ",")
    name = f[1]
    gsub(/"/, "", name)
    if (name ~ /_median$/) {
        sub(/_median$/, "", name)
        sub(/\/manual_time$/, "", name)
        sub(/\/iterations:[0-9]+$/, "", name)
        us[name] = micro(f[3], f[5])
    }
    next
}

# bench_window: name value
NF == 2 { window[$1] = $2 }

# A headless figure in the unit of its budget, µs or ms.
function headless(key, what, limit, unit) {
    budgetText = "≤ " limit " " unit
    if (!(key in us)) {
        missing(what, budgetText)
        return
    }
    v = unit == "ms" ? us[key] / 1000 : us[key]
    row(what, sprintf("%.3g %s", v, unit), budgetText, v <= limit)
}

function info(key, what, unit) {
    if (key in us)
        printf "| %s | %.3g %s | (info) | info |\n", what, us[key], unit
}

function measured(key, what, limit, unit, budgetText, symmetric) {
    if (!(key in window)) {
        missing(what, budgetText)
        return
    }
    v = window[key] + 0
    holds = symmetric ? (v >= -limit && v <= limit) : (v <= limit)
    row(what, sprintf(symmetric ? "%+.1f %s" : "%.3g %s", v, unit), budgetText, holds)
}

# A figure of the Win32 window under Wine: information, since Wine is not Windows.
function wine(key, what, format, unit) {
    if (key in window)
        printf "| %s | " format " %s | (info: Wine) | info |\n", what, window[key], unit
}

END {
    print "| Moment | Measured (median unless said) | Budget | Holds |"
    print "| --- | --- | --- | --- |"
    headless("AllocationSlider_Change/single", "AllocationSlider_Change, headless, single side", 5, "µs")
    headless("AllocationSlider_Change/pair", "AllocationSlider_Change, headless, pair side", 5, "µs")
    headless("Stage3_Click/paced:0/session:0", "stage-3 click presenting a problem, headless", 10, "µs")
    headless("AllocationSlider_Change/single_session", "AllocationSlider_Change, headless, single side, in a lab session", 5, "µs")
    headless("Stage3_Click/paced:0/session:1", "stage-3 click presenting a problem, headless, in a lab session", 10, "µs")
    headless("SessionWatch_Timer", "one second of the session watch (release request looked for, sign of life every 5 s)", 1, "ms")
    headless("Stage0_Click", "stage-0 click reading a 100-problem file and a word file", 1, "ms")
    headless("WriteResults", "WriteResults of 100 problems, with the flush to disk", 5, "ms")
    measured("paint_median_ms", "slider change to the completed paint of the new bars, Qt window (20 ms apart)", 2, "ms", "≤ 2 ms", 0)
    measured("paint_p99_ms", "the same, 99th percentile", 8, "ms", "≤ 8 ms", 0)
    measured("startup_median_ms", "process start to the first paint of the parameter screen", 150, "ms", "≤ 150 ms", 0)
    measured("peak_rss_mb", "peak resident memory over a 100-problem run, Qt window", 60, "MB", "≤ 60 MB", 0)
    measured("reading_error_ms", "end of a 10-second reading time against a monotonic clock (worst of 3)", 20, "ms", "within ± 20 ms", 1)
    measured("report_sample_s", "tovask-report on the bundled sample (the two pilot runs), start to end", 2, "s", "≤ 2 s", 0)
    measured("report_session_s", "tovask-report on 30 subjects × 100 problems played by tovask-script, start to end, every column", 5, "s", "≤ 5 s", 0)
    measured("report_session_nopower_s", "the same without the power (--power-draws 0)", 5, "s", "≤ 5 s", 0)
    measured("report_hmi_worst_ms", "the slowest Houtman-Maks search of one scope of that session", 500, "ms", "≤ 500 ms", 0)
    measured("report_mpi_worst_ms", "the slowest money pump search of one scope of that session", 500, "ms", "≤ 500 ms", 0)
    measured("report_unproved", "figures of that session not proved within the search budget", 0, "", "0", 0)
    info("AllocationSlider_Change_Paced", "AllocationSlider_Change, headless, single side, at a subject's pace", "µs")
    info("Stage3_Click/paced:1/session:0", "stage-3 click presenting a problem, headless, at a subject's pace", "µs")
    wine("win32_startup_median_ms", "process start to the first paint of the parameter screen, Win32 window under Wine", "%.3g", "ms")
    wine("win32_peak_ws_mb", "peak resident memory over a 100-problem run, Win32 window under Wine", "%.3g", "MB")
    wine("win32_reading_error_ms", "end of a 10-second reading time, Win32 window under Wine (worst of 3)", "%+.1f", "ms")
    exit (failed > 0)
}
