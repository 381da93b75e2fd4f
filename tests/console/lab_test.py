"""A simulated lab of 12 PCs: 12 tovask-script runs with the computer names PC01 to PC12 on one
shared folder, driven through their scripts, and tovask-console watching it. The console's JSON
shows each run's stage at chosen points; a release of every run waiting at hold point 1 releases
exactly those; a run killed is shown broken off and one stopped shown silent within 30 s; the
payment list matches the run logs; a run in a folder without a plan changes in nothing.

    lab_test.py CONSOLE SCRIPT [WINE_RUN]"""

import glob
import os
import signal
import subprocess
import sys
import time
import unittest

import lab

CONSOLE = []
SCRIPT = []
UNDER_WINE = False

PCS = [f"PC{n:02d}" for n in range(1, 13)]
PROBLEMS = 3
# The first line of each answer: click shows the problem, the slider moves, the waiting time of
# one second passes, the click answers.
ANSWER = ["click", "slider 300", "tick", "click"]


def log_events(path):
    """(event, problem, value, detail) of every line of a run log after its header."""
    events = []
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines()[1:]:
            fields = line.split(",", 6)
            events.append((fields[3], fields[4], fields[5], fields[6]))
    return events


def detail(text):
    return dict(pair.split("=", 1) for pair in text.split())


class SimulatedLab(unittest.TestCase):
    def setUp(self):
        self.folder = lab.SharedFolder([pc[2:] for pc in PCS], problems=PROBLEMS)
        self.console = lab.Console(CONSOLE, [self.folder.data])
        self.lab = None

    def tearDown(self):
        if self.lab:
            self.lab.close()
        self.console.stop()
        self.folder.remove()

    def phases(self, state, pcs):
        rows = lab.rows_by_pc(state)
        return {pc: rows[pc]["phase"] for pc in pcs}

    def wait_phase(self, pcs, phase, timeout=20):
        return self.console.wait_for(f"{pcs} at {phase}",
                                     lambda s: set(self.phases(s, pcs).values()) == {phase}, timeout)

    def test_pcs_through_a_session(self):
        # Under Wine, where each program starts Wine, a lab of three PCs, none killed or stopped.
        pcs = PCS[:3] if UNDER_WINE else PCS
        waiting, reading, opened, idle = ((pcs[0:2], pcs[2:3], [], []) if UNDER_WINE else
                                          (pcs[0:4], pcs[4:8], pcs[8:10], pcs[10:12]))
        # The plan, written through the console, shows every PC before any run starts.
        status, text = self.console.request("/api/plan", {"rows": [
            {"pc": pc, "input_data_file": pc[2:], "language": "English", "treatment": "1",
             "time_to_wait": "1", "reading_time": "2"} for pc in pcs]})
        self.assertEqual(status, 200, text)
        state = self.console.wait_for("the plan", lambda s: len(s["runs"]) == len(pcs))
        self.assertEqual([r["pc"] for r in state["runs"]], pcs)
        self.assertEqual({r["stage_text"] for r in state["runs"]}, {"not started"})

        self.lab = lab.Lab(SCRIPT, self.folder.path, pcs)
        # Each PC's parameter screen is filled in from the plan: Continue alone starts the run.
        self.lab.send(waiting, "click", "click", "tick", "tick")
        self.lab.send(reading, "click", "click", "tick")
        self.lab.send(opened, "click")
        state = self.console.wait_for("the chosen points", lambda s: self.phases(s, pcs) == dict(
            [(pc, "waiting at hold point 1") for pc in waiting] +
            [(pc, "reading") for pc in reading] + [(pc, "instructions") for pc in opened] +
            [(pc, "not started") for pc in idle]))
        rows = lab.rows_by_pc(state)
        self.assertEqual((rows[waiting[0]]["stage"], rows[waiting[0]]["waiting_at"]), (11, 1))
        # The console counts the reading time down on its own clock between signs of life, so a
        # slow machine may show the second the script's tick left as already gone.
        self.assertEqual(rows[reading[0]]["stage"], 11)
        self.assertIn(rows[reading[0]]["stage_text"], ("reading, 1 s left", "reading, 0 s left"))
        self.assertEqual([rows[pc]["stage"] for pc in opened], [1] * len(opened))
        self.assertEqual([(rows[pc]["stage"], rows[pc]["results_file"]) for pc in idle],
                         [(None, "")] * len(idle))
        self.assertEqual(rows["PC03"]["results_file"], "out03.001")

        # Releasing every run waiting at hold point 1 releases exactly those four.
        released = self.console.release(1, "all")
        self.assertEqual(sorted(released["released"]), [f"out{pc[2:]}.001" for pc in waiting])
        self.wait_phase(waiting, "problems", timeout=10)
        state = self.console.state()
        self.assertEqual({r["stage"] for r in state["runs"] if r["pc"] in waiting}, {2})
        self.assertEqual(self.phases(state, reading), {pc: "reading" for pc in reading})
        for pc in waiting:
            events = log_events(os.path.join(self.folder.data, f"out{pc[2:]}.001.log"))
            self.assertIn(("experimenter_key", "", "", "released=instructions by=console"), events)

        if not UNDER_WINE:
            self.kill_and_stop()
        self.play_to_the_end(waiting)

    def kill_and_stop(self):
        """A run killed is broken off; one stopped is silent within 30 s, while the others,
        whose subjects think as long, are not."""
        self.lab.signal("PC05", signal.SIGKILL)
        self.console.wait_for("PC05 broken off", lambda s: lab.rows_by_pc(s)["PC05"]["warnings"] ==
                              ["broke off, no results file: run tovask-recover"], timeout=10)
        self.lab.signal("PC06", signal.SIGSTOP)
        stopped = time.monotonic()
        state = self.console.wait_for("PC06 silent", lambda s: any(
            w.startswith("silent for") for w in lab.rows_by_pc(s)["PC06"]["warnings"]), timeout=30)
        self.assertLess(time.monotonic() - stopped, 30)
        self.assertEqual(lab.rows_by_pc(state)["PC07"]["warnings"], [])

    def play_to_the_end(self, waiting):
        """The runs released answer their problems, write their results, are released again and
        played out; the payment list holds them as their logs do."""
        self.lab.send(waiting, "click", *ANSWER)
        self.console.wait_for("problem 1 answered", lambda s: {
            r["stage_text"] for r in s["runs"] if r["pc"] in waiting} == {"problem 1 of 3 answered"})
        self.lab.send(waiting, *(ANSWER * (PROBLEMS - 1)), "click")
        self.wait_phase(waiting, "waiting at hold point 2")
        released = self.console.release(2, ["out01.001"])
        self.assertEqual(released["released"], ["out01.001"])
        self.assertEqual(sorted(self.console.release(2, "all")["released"]),
                         [f"out{pc[2:]}.001" for pc in waiting[1:]])
        self.wait_phase(waiting, "playing out", timeout=10)
        for n, pc in enumerate(waiting):
            self.lab.send([pc], "click", f"set TaskNumber {n % PROBLEMS + 1}", "click")
        self.wait_phase(waiting, "played out")

        # The payment list, as the console wrote it and as --payments writes it, from the logs.
        self.console.wait_for("the payment list", lambda s: s["payments"]["count"] == len(waiting))
        written = self.folder.read("payments.csv")
        again = os.path.join(self.folder.path, "again.csv")
        subprocess.run(CONSOLE + ["--payments", "--out", again, self.folder.data], check=True,
                       stdout=subprocess.DEVNULL)
        with open(again, encoding="utf-8", newline="") as f:
            self.assertEqual(f.read(), written)
        self.check_payments(written.splitlines(), waiting)

    def check_payments(self, lines, pcs):
        self.assertEqual(lines[0], "pc,input_data_file,results_file,task,side_one_groups,units_one,"
                                   "money_one,side_two_groups,units_two,money_two")
        colours = {1: "red", 2: "yellow", 3: "blue"}
        sides = {"11": ([2], [3]), "12": ([1], [3]), "13": ([1], [2]),
                 "21": ([1], [2, 3]), "22": ([2], [1, 3]), "23": ([3], [1, 2])}
        self.assertEqual(len(lines), 1 + len(pcs))
        for line, pc in zip(lines[1:], pcs):
            fields = line.split(",")
            events = log_events(os.path.join(self.folder.data, f"out{pc[2:]}.001.log"))
            played = [e for e in events if e[0] == "played_out"][0]
            shown = {e[1]: detail(e[3]) for e in events if e[0] == "problem_shown"}
            pt = shown[played[1]]["pt"]
            paid = detail(played[3])
            self.assertEqual(fields[:4], [pc, pc[2:], f"out{pc[2:]}.001", played[1]])
            self.assertEqual(fields[4], " and ".join(colours[g] for g in sides[pt][0]))
            self.assertEqual(fields[7], " and ".join(colours[g] for g in sides[pt][1]))
            for column, key in [(5, "units_one"), (6, "money_one"), (8, "units_two"), (9, "money_two")]:
                self.assertAlmostEqual(float(fields[column]), float(paid[key]), places=9)

    def test_a_run_without_a_plan_changes_in_nothing(self):
        self.lab = lab.Lab(SCRIPT, self.folder.path, ["PC01"])
        self.lab.send(["PC01"], "set InputDataFile 01", "set ReadTimeInput 1", "set TimeToWait 1",
                      "click", "click", "tick")
        state = self.console.wait_for("the run", lambda s: len(s["runs"]) == 1)
        time.sleep(2)  # time enough for a sign of life, were there one
        self.assertEqual(self.console.release(1, "all")["released"], [])
        self.lab.send(["PC01"], "key 3", "click", *(ANSWER * PROBLEMS), "click")
        state = self.console.wait_for("results written", lambda s: s["runs"][0]["stage_text"] ==
                                      "results written, waiting at hold point 2")
        run = state["runs"][0]
        self.assertEqual((run["seconds_since_alive"], run["warnings"]), (None, []))
        names = sorted(os.path.basename(p) for p in glob.glob(os.path.join(self.folder.data, "*01.001*")))
        self.assertEqual(names, ["inp01.001", "lock-out01.001", "out01.001", "out01.001.log"])
        self.assertNotIn("computer", self.folder.read("out01.001.log"))


if __name__ == "__main__":
    if len(sys.argv) > 3:
        UNDER_WINE = True
        CONSOLE.extend([sys.argv[3], sys.argv[1]])
        SCRIPT.extend([sys.argv[3], sys.argv[2]])
    else:
        CONSOLE.append(sys.argv[1])
        SCRIPT.append(sys.argv[2])
    unittest.main(argv=sys.argv[:1])
