# The project as the mutation tool drives it: its build directory, its labelled tests, and a clean tree.
import hashlib
import json
import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

SOURCE_FOLDERS = ("src", "apps")


def label_of(path):
    """The ctest label whose tests cover a source file: the name of its folder under src/ or apps/
    (tests/CMakeLists.txt gives a test that label when it links that folder's target, directly or not)."""
    return Path(path).parts[1]


class Tree:
    """The checkout, and the one file a mutant is written into; the original is journalled first, so that a
    run killed by any means is undone by the next one."""

    def __init__(self, root, build):
        self.root, self.build = Path(root), Path(build)
        self.journal = self.build / "mutant-in-place.json"
        self.backup = self.build / "mutant-original"

    def sources(self):
        files = []
        for folder in SOURCE_FOLDERS:
            for suffix in ("*.cpp", "*.h"):
                files += (self.root / folder).rglob(suffix)
        return sorted(str(f.relative_to(self.root)) for f in files)

    def read(self, path):
        return (self.root / path).read_bytes().decode("utf-8", "surrogateescape")

    def undo_leftover(self):
        """Restores the file of a mutant an interrupted run left behind; returns its path, or None."""
        if not self.journal.exists():
            return None
        entry = json.loads(self.journal.read_text())
        original = self.backup.read_bytes()
        if hashlib.sha256(original).hexdigest() != entry["sha256"]:
            raise RuntimeError(f"{self.backup} does not match {self.journal}; restore {entry['path']} by hand")
        (self.root / entry["path"]).write_bytes(original)
        self.journal.unlink()
        return entry["path"]

    def uncommitted(self):
        """The source files that differ from the last commit (empty outside a git checkout)."""
        status = subprocess.run(["git", "status", "--porcelain", "--", *SOURCE_FOLDERS], cwd=self.root,
                                capture_output=True, text=True)
        return status.stdout.splitlines() if status.returncode == 0 else []

    def commit(self):
        head = subprocess.run(["git", "rev-parse", "--short", "HEAD"], cwd=self.root, capture_output=True,
                              text=True)
        return head.stdout.strip() or "unknown"

    def apply(self, mutant, text):
        """Writes the mutant into its file, whose text must still be the one the mutant was drawn from."""
        original = (self.root / mutant.path).read_bytes()
        if original != text.encode("utf-8", "surrogateescape"):
            raise RuntimeError(f"{mutant.path} changed during the run")
        self.backup.write_bytes(original)
        self.journal.write_text(json.dumps({"path": mutant.path,
                                            "sha256": hashlib.sha256(original).hexdigest()}))
        mutated = text[:mutant.start] + mutant.replacement + text[mutant.end:]
        (self.root / mutant.path).write_bytes(mutated.encode("utf-8", "surrogateescape"))

    def restore(self):
        self.undo_leftover()


class Build:
    """The dedicated build directory: the debug preset's settings, compiled through ccache when present.
    The output of the last build that failed is in logs/build.log."""

    def __init__(self, root, directory, jobs):
        self.root, self.directory, self.jobs = Path(root), Path(directory), jobs
        self.environment = dict(os.environ)
        self.environment.setdefault("CCACHE_BASEDIR", str(self.root))
        if shutil.which("ccache"):
            self.environment.setdefault("CMAKE_CXX_COMPILER_LAUNCHER", "ccache")
        self.logs = self.directory / "logs"

    def configure(self):
        # Warnings stay on but are not errors: a mutant that only draws a warning (an unused parameter, "&&"
        # within "||") is a fault the tests should catch, not one the compiler refuses. Relinking the tests is
        # most of a mutant's build: lld links them three times as fast as the default linker, gold twice.
        linker = "lld" if shutil.which("ld.lld") else "gold"
        result = subprocess.run(["cmake", "--preset", "debug", "-B", str(self.directory),
                                 "-DVELTO_WARNINGS_AS_ERRORS=OFF", f"-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld={linker}"],
                                cwd=self.root, env=self.environment, capture_output=True, text=True)
        if result.returncode != 0:
            print(result.stdout + result.stderr)
        return result.returncode == 0

    def build(self, targets=None, timeout=None):
        """Builds the targets (all when None); returns (success, output)."""
        command = ["cmake", "--build", str(self.directory), "-j", str(self.jobs)]
        if targets:
            command += ["--target", *sorted(targets)]
        try:
            result = subprocess.run(command, cwd=self.root, env=self.environment, capture_output=True, text=True,
                                    timeout=timeout)
        except subprocess.TimeoutExpired:
            return False, "build timed out"
        output = result.stdout + result.stderr
        if result.returncode != 0:
            self.logs.mkdir(parents=True, exist_ok=True)
            (self.logs / "build.log").write_text(output)
        return result.returncode == 0, output

    def tests(self, label):
        """What `ctest -L <label> -LE long` would run, as commands grouped by executable: each gtest
        executable runs once with all its selected tests, which takes a fifth of the time of one process a
        test. Returns (targets to build, [(command, working directory, environment)])."""
        listing = subprocess.run(
            ["ctest", "--test-dir", str(self.directory), "--show-only=json-v1", "-L", f"^{label}$",
             "-LE", "^long$"], capture_output=True, text=True, check=True)
        groups, targets = {}, set()
        for test in json.loads(listing.stdout)["tests"]:
            properties = {p["name"]: p["value"] for p in test.get("properties", [])}
            if properties.get("DISABLED") or "command" not in test:
                continue
            program, *arguments = test["command"]
            if Path(program).is_relative_to(self.directory.resolve()):
                targets.add(Path(program).name)
            directory = properties.get("WORKING_DIRECTORY", str(self.directory))
            environment = tuple(properties.get("ENVIRONMENT", []))
            # The tests of the fewest folders, those nearest the mutated code, run first: most mutants that
            # are caught are caught there, and the run ends at the first failure.
            reach = len(properties.get("LABELS", []))
            filters = [a.removeprefix("--gtest_filter=") for a in arguments if a.startswith("--gtest_filter=")]
            if filters:
                group = groups.setdefault((reach, program, directory, environment), [])
                group += filters
            else:
                groups[(reach, tuple(test["command"]), directory, environment)] = None
        commands = []
        for (_, program, directory, environment), filters in sorted(groups.items(), key=lambda g: g[0][0]):
            if filters is None:
                command = list(program)
            else:
                command = [program, "--gtest_filter=" + ":".join(filters), "--gtest_also_run_disabled_tests",
                           "--gtest_fail_fast", "--gtest_brief=1"]
            commands.append((command, directory, environment))
        return targets, commands

    def run(self, commands, timeout):
        """Runs the commands, up to `jobs` at a time, until one fails. Returns "passed", "failed" or
        "timed out", and the log of the command that failed."""
        self.logs.mkdir(parents=True, exist_ok=True)
        pending, running, deadline = list(commands), [], time.monotonic() + timeout
        try:
            while pending or running:
                while pending and len(running) < self.jobs:
                    command, directory, environment = pending.pop(0)
                    log = self.logs / f"{Path(command[0]).name}.log"
                    env = dict(os.environ, **dict(e.split("=", 1) for e in environment))
                    with open(log, "wb") as output:
                        process = subprocess.Popen(command, cwd=directory, env=env, stdout=output,
                                                   stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                                   start_new_session=True)
                    running.append((process, log))
                for process, log in list(running):
                    if process.poll() is not None:
                        running.remove((process, log))
                        if process.returncode != 0:
                            return "failed", log
                if time.monotonic() > deadline:
                    return "timed out", None
                time.sleep(0.02)
            return "passed", None
        finally:
            for process, _ in running:
                _end(process)


def _end(process):
    """Ends a test process and everything it started (its own session)."""
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait()
