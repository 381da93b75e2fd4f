"""A simulated lab for the console's tests: tovask-script runs standing for the PCs of a session
on one shared data folder, fed through pipes, and tovask-console watching that folder, asked
through its JSON interface as a lab's script would ask it."""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import urllib.error
import urllib.request

SOURCE_DATA = os.path.join(os.path.dirname(__file__), "..", "..", "data")


def problem_file(problems):
    """A problem list of the given number of problems, of every type in turn, amount 10; the
    two groups of a pair have the same rate."""
    rates = {11: "1,2,3", 12: "1,2,3", 13: "1,2,3", 21: "1,2,2", 22: "2,1,2", 23: "2,2,1"}
    types = list(rates)
    lines = [str(problems)]
    for p in range(1, problems + 1):
        pt = types[(p - 1) % len(types)]
        lines.append(f"{p},{p},{pt},10,{rates[pt]}")
    return "\r\n".join(lines) + "\r\n"


class SharedFolder:
    """A program folder whose data/ every scripted PC shares, with the bundled word files and
    one problem list per input data file."""

    def __init__(self, inputs, problems=3, words=("english.wds", "italian.wds")):
        self.path = tempfile.mkdtemp(prefix="tovask-lab-")
        self.data = os.path.join(self.path, "data")
        os.makedirs(self.data)
        for name in words:
            shutil.copy(os.path.join(SOURCE_DATA, name), self.data)
        for text in inputs:
            with open(os.path.join(self.data, f"inp{text}.001"), "w", newline="") as f:
                f.write(problem_file(problems))

    def read(self, name):
        with open(os.path.join(self.data, name), encoding="utf-8", newline="") as f:
            return f.read()

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


class Console:
    """tovask-console on the folders, without a browser, on a port of the system's choice."""

    def __init__(self, command, folders):
        self.process = subprocess.Popen(command + ["--no-browser", "--port", "0"] + folders,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.address = self.process.stdout.readline().strip()
        if not self.address.startswith("http://127.0.0.1:"):
            raise RuntimeError("tovask-console printed no address: " + self.address +
                               self.process.stderr.read())
        self.base, self.token = self.address.split("/?token=")
        self.port = int(self.base.rsplit(":", 1)[1])

    def request(self, path, body=None, token=True, headers=None):
        """(status, text) of a request; a body makes it a POST of JSON."""
        request = urllib.request.Request(self.base + path, method="POST" if body is not None else "GET",
                                         data=None if body is None else json.dumps(body).encode())
        if token:
            request.add_header("X-Tovask-Token", self.token)
        for name, value in (headers or {}).items():
            request.add_header(name, value)
        try:
            with urllib.request.urlopen(request, timeout=30) as response:
                return response.status, response.read().decode()
        except urllib.error.HTTPError as error:
            return error.code, error.read().decode()

    def state(self):
        status, text = self.request("/api/state")
        assert status == 200, text
        return json.loads(text)

    def release(self, hold, runs):
        status, text = self.request("/api/release", {"hold": hold, "runs": runs})
        assert status == 200, text
        return json.loads(text)

    def wait_for(self, what, predicate, timeout=30):
        """The first state that satisfies predicate; fails naming `what` after timeout seconds."""
        deadline = time.monotonic() + timeout
        while True:
            state = self.state()
            if predicate(state):
                return state
            if time.monotonic() > deadline:
                raise AssertionError(f"not within {timeout} s: {what}\n" + json.dumps(state, indent=1))
            time.sleep(0.2)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()


def rows_by_pc(state):
    return {run["pc"]: run for run in state["runs"]}


class ScriptedPc:
    """One PC of the lab: tovask-script with that computer name, its events fed line by line.
    While it has nothing else to do it is fed `wait` events, so that real time passes for its
    session watch as it would in the window."""

    def __init__(self, command, program_folder, pc):
        self.pc = pc
        self.process = subprocess.Popen(command + ["--program-dir", program_folder, "--pc", pc, "-"],
                                        stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.lock = threading.Lock()
        self.idle = True

    def send(self, *lines):
        with self.lock:
            for line in lines:
                self.process.stdin.write(line + "\n")
            self.process.stdin.flush()

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.close()
            except OSError:
                pass
            self.process.kill()
        self.process.wait()
        if not self.process.stdin.closed:
            try:
                self.process.stdin.close()
            except OSError:
                pass


class Lab:
    """Scripted PCs on one shared folder, kept going by a feeder that lets real time pass on
    each one that is neither stopped nor killed: a second at a time, the interval at which a
    run's session watch looks for requests and shows its sign of life."""

    def __init__(self, command, program_folder, pcs):
        self.pcs = {pc: ScriptedPc(command, program_folder, pc) for pc in pcs}
        self.stopped = set()
        self.running = True
        self.feeder = threading.Thread(target=self._feed, daemon=True)
        self.feeder.start()

    def _feed(self):
        while self.running:
            for pc, run in list(self.pcs.items()):
                if pc not in self.stopped and run.process.poll() is None:
                    try:
                        run.send("wait 1000")
                    except (BrokenPipeError, OSError):
                        self.stopped.add(pc)
            time.sleep(1.0)

    def send(self, pcs, *lines):
        for pc in pcs:
            self.pcs[pc].send(*lines)

    def signal(self, pc, number):
        self.stopped.add(pc)
        os.kill(self.pcs[pc].process.pid, number)

    def close(self):
        self.running = False
        self.feeder.join()
        for pc, run in self.pcs.items():
            if pc in self.stopped:
                try:
                    os.kill(run.process.pid, signal.SIGCONT)
                except (ProcessLookupError, AttributeError):
                    pass
            run.stop()
