#!/usr/bin/env python3
"""Example analysis of a tovask results file, and a check of it after a pilot run.

Reads a results file (data/outNN.001) and its run log (data/outNN.001.log), prints one row per
problem with the units and the money each side gets, and checks:
  - the results file has its header and one line of ten fields for each problem, in order;
  - every answer in the run log equals the one in the results file;
  - the money this analysis computes for the task played out equals what the program paid;
  - with --slider, each answer is what the pilot's slider position gives.
Exit status 0 when everything holds, 1 when something does not. Python's standard library only.

    python3 check-results.py DIR/data/out02.001 --slider 100,700,400
"""

import argparse
import csv
import math
import os
import sys

HEADER = "pn orig(pn) pt(pn) a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) inv(pn) all(pn)"
SLIDER_MAX = 1000

# For each problem type, the colour group (1 to 3) whose rate prices the units of side one and
# of side two. Types 11 to 13 set two single groups against each other; types 21 to 23 set one
# group against the pair of the other two, whose rates are equal (the first pair member's rate).
RATE_GROUPS = {11: (2, 3), 12: (1, 3), 13: (1, 2), 21: (1, 2), 22: (2, 1), 23: (3, 1)}


def close(x, y):
    # The results file writes a double to 15 significant digits, the log exactly.
    return math.isclose(x, y, rel_tol=1e-12, abs_tol=1e-12)


def read_results(path):
    """The problems of a results file as dicts of numbers, checking its form."""
    with open(path, "rb") as f:
        raw = f.read()
    lines = raw.decode("ascii").split("\r\n")
    if lines[-1] != "":
        raise ValueError("the last line does not end in CR LF")
    lines = lines[:-1]
    if not lines or lines[0] != HEADER:
        raise ValueError("line 1 is not the header " + repr(HEADER))
    problems = []
    for number, line in enumerate(lines[1:], start=1):
        fields = line.split(" ")
        if len(fields) != 10:
            raise ValueError(f"line {number + 1} has {len(fields)} fields, not 10")
        pn, orig, pt, a, e1, e2, e3, rev, inv, answer = (float(x) for x in fields)
        if pn != number:
            raise ValueError(f"line {number + 1} is problem {fields[0]}, not {number}")
        problems.append({"pn": number, "orig": orig, "pt": int(pt), "a": a, "e": (e1, e2, e3),
                         "rev": int(rev), "inv": int(inv), "all": answer})
    return problems


def sides(problem):
    """Units and money of side one and side two: all(pn) is the share of side one."""
    one = problem["all"]
    two = problem["a"] - one
    rate_one, rate_two = (problem["e"][g - 1] for g in RATE_GROUPS[problem["pt"]])
    return one, two, one * rate_one, two * rate_two


def read_log(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f))


def detail(row):
    return dict(pair.split("=", 1) for pair in row["detail"].split())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("results", help="the results file, such as data/out01.001")
    parser.add_argument("--log", help="the run log (default: the results file's name + .log)")
    parser.add_argument("--slider", help="the pilot's slider positions, one per problem: 100,700")
    args = parser.parse_args()

    faults = []
    problems = read_results(args.results)
    print("pn  type  amount  side one  side two  money one  money two")
    for p in problems:
        one, two, money_one, money_two = sides(p)
        print(f"{p['pn']:2}  {p['pt']:4}  {p['a']:6g}  {one:8g}  {two:8g}  {money_one:9g}  "
              f"{money_two:9g}")

    if args.slider:
        positions = [int(v) for v in args.slider.split(",")]
        if len(positions) != len(problems):
            faults.append(f"{len(positions)} slider positions for {len(problems)} problems")
        for p, v in zip(problems, positions):
            # The slider grows the side drawn on the right: side one when rev(pn) is 1.
            share = v if p["rev"] == 1 else SLIDER_MAX - v
            expected = p["a"] * share / SLIDER_MAX
            if not close(p["all"], expected):
                faults.append(f"problem {p['pn']}: all(pn) is {p['all']:g}, the slider at {v} "
                              f"gives {expected:g}")

    log_path = args.log or args.results + ".log"
    if os.path.exists(log_path):
        rows = read_log(log_path)
        answers = {int(r["problem"]): float(r["value"]) for r in rows
                   if r["event"] == "problem_answered"}
        for p in problems:
            if p["pn"] not in answers:
                faults.append(f"problem {p['pn']}: no answer in the run log")
            elif not close(answers[p["pn"]], p["all"]):
                faults.append(f"problem {p['pn']}: the run log answers {answers[p['pn']]:g}, "
                              f"the results file {p['all']:g}")
        for row in (r for r in rows if r["event"] == "played_out"):
            paid = detail(row)
            _, _, money_one, money_two = sides(problems[int(row["problem"]) - 1])
            if not (close(money_one, float(paid["money_one"]))
                    and close(money_two, float(paid["money_two"]))):
                faults.append(f"task {row['problem']}: the program paid {paid['money_one']} and "
                              f"{paid['money_two']}, this analysis computes {money_one:g} and "
                              f"{money_two:g}")
            print(f"task {row['problem']} played out: {float(paid['money_one']):g} to side one, "
                  f"{float(paid['money_two']):g} to side two")
    else:
        print(f"no run log {log_path}: only the results file is checked")

    for fault in faults:
        print("FAULT: " + fault, file=sys.stderr)
    print("checked: " + ("faults found" if faults else "everything holds"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
