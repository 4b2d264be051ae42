# Mutation testing: writes small faults into src/ and apps/ one at a time and counts those the tests catch.
import argparse
import os
import random
import re
import signal
import sys
import time
from pathlib import Path

import project
import report
from sites import candidates

# A mutant took 31 s on average over 30 (compile its file, relink the test programs of its label, run them
# until the first failure: 26 s building, 6 s testing), on 2 cores under a load average of 14 from other
# builds; a mutant in a header rebuilds every file that includes it and takes minutes. With the tests' first
# run without mutants, 30 fill about 20 minutes.
DEFAULT_SAMPLE = 30

DESCRIPTION = """\
Writes a seeded sample of small faults (mutants) into src/ and apps/, one at a time; for each, rebuilds
the test executables of the file's ctest label in a build directory of its own and runs those tests
(`ctest -L <folder> -LE long`, each executable once). A mutant is killed when a test fails, survives when
all pass. Writes a Markdown report and a table of every outcome into the build directory, and prints a
summary. The same seed on the same source tree gives the same mutants: compare a change of the tests
with --compare on an unchanged src/ and apps/ (a change there moves the sample)."""

EPILOG = """\
exit status: 0 done, 1 failed (unclean tree, build or tests failing without mutants, or a mutant detected
in the --compare run survives now), 2 wrong command line"""


def arguments():
    parser = argparse.ArgumentParser(prog="scripts/mutation.sh", description=DESCRIPTION, epilog=EPILOG,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=1, help="draws the sample (default 1)")
    parser.add_argument("--sample", type=int, default=DEFAULT_SAMPLE, metavar="N",
                        help=f"mutants to draw (default {DEFAULT_SAMPLE}, about 20 minutes on 2 cores)")
    parser.add_argument("--minutes", type=float, metavar="M",
                        help="start no new mutant after M minutes; the report covers those run")
    parser.add_argument("--path", default="", metavar="REGEX",
                        help="only files whose path (e.g. src/Render/Waybar.cpp) matches REGEX")
    parser.add_argument("--jobs", type=int, default=2, metavar="N", help="build and test jobs (default 2)")
    parser.add_argument("--build-dir", default="build/mutation", metavar="DIR",
                        help="the tool's own build directory (default build/mutation)")
    parser.add_argument("--compare", metavar="TABLE",
                        help="an earlier run's results.tsv: list mutants it detected that survive now")
    parser.add_argument("--list", action="store_true", help="print the sampled mutants and exit")
    options = parser.parse_args()
    if options.sample < 1 or options.jobs < 1:
        parser.error("--sample and --jobs take a positive number")
    try:
        options.path = re.compile(options.path)
    except re.error as error:
        parser.error(f"--path: {error}")
    return options


def line_text(text, mutant, replaced):
    """The lines a mutant touches, before or after it, on one line."""
    start = text.rfind("\n", 0, mutant.start) + 1
    end = text.find("\n", mutant.end)
    end = len(text) if end < 0 else end
    lines = text[start:mutant.start] + (mutant.replacement if replaced else text[mutant.start:mutant.end]) + \
        text[mutant.end:end]
    return " ".join(lines.split())[:200]


def draw(tree, options):
    """All candidates of the matching files, in order of file and position, and the seeded sample of them in
    the order drawn, so that a run that --minutes stops early has still tried every folder alike."""
    texts, everything = {}, []
    for path in tree.sources():
        if options.path.search(path):
            texts[path] = tree.read(path)
            everything += candidates(path, texts[path])
    return texts, everything, random.Random(options.seed).sample(everything, min(options.sample, len(everything)))


def outcome_of(mutant, text, tree, build, tests):
    """Writes the mutant, rebuilds and tests, and always restores the file. Returns the outcome, the test
    that caught the mutant, and the seconds spent building and testing."""
    targets, commands, baseline = tests
    if not commands:
        return "no tests", "", 0, 0
    tree.apply(mutant, text)
    try:
        began = time.monotonic()
        built, output = build.build(targets, timeout=900)
        built_at = time.monotonic()
        if not built:
            # gtest_discover_tests lists each relinked test program's tests: a program that crashes doing so
            # has been caught by its tests as surely as by running them.
            listing = re.search(r"Error running test executable.\s+Path: '(.*?)'", output)
            outcome, by = ("killed", Path(listing.group(1)).name + " (listing its tests)") if listing else \
                ("not compiled", "")
            return outcome, by, built_at - began, 0
        result, log = build.run(commands, timeout=3 * baseline + 30)
        outcome = {"passed": "survived", "failed": "killed", "timed out": "timed out"}[result]
        return outcome, caught_by(log), built_at - began, time.monotonic() - built_at
    finally:
        tree.restore()


def caught_by(log):
    """The test program that failed, and its first failing test."""
    if log is None:
        return ""
    failed = re.search(r"^\[  FAILED  \] ([^\s,]+)", log.read_text(errors="replace"), re.MULTILINE)
    return log.stem + (f" {failed.group(1)}" if failed else "")


def baseline(build, labels):
    """The tests of each label, which must pass without mutants, with the seconds they took; None when they
    do not. The labels share most test programs (a library's tests run the layers below it too), so each
    program runs once, and a label's time is the sum of its programs'."""
    tests, seconds = {}, {}
    for label in sorted(labels):
        targets, commands = build.tests(label)
        for command in commands:
            key = repr(command)
            if key not in seconds:
                began = time.monotonic()
                result, log = build.run([command], timeout=3600)
                if result != "passed":
                    print(f"mutation: the tests of {label} fail without mutants: see {log}", file=sys.stderr)
                    return None
                seconds[key] = time.monotonic() - began
        tests[label] = (targets, commands, sum(seconds[repr(c)] for c in commands))
        print(f"mutation: {label}: {len(commands)} test programs pass in {tests[label][2]:.1f} s")
    return tests


def run(sample, texts, tree, build, tests, minutes):
    """Each mutant's outcome, and a line when the time limit stopped the run."""
    results, began = [], time.monotonic()
    for number, mutant in enumerate(sample, 1):
        if minutes and time.monotonic() - began > 60 * minutes:
            return results, [f"stopped by --minutes {minutes:g} after {len(results)} mutants"]
        text, start = texts[mutant.path], time.monotonic()
        outcome, by, building, testing = outcome_of(mutant, text, tree, build,
                                                    tests[project.label_of(mutant.path)])
        results.append({"key": mutant.key(), "path": mutant.path, "line": mutant.line,
                        "operator": mutant.operator, "outcome": outcome, "caught by": by,
                        "seconds": round(time.monotonic() - start, 1), "build": round(building, 1),
                        "test": round(testing, 1),
                        "before": line_text(text, mutant, False), "after": line_text(text, mutant, True)})
        print(f"[{number}/{len(sample)}] {mutant.path}:{mutant.line} {mutant.operator}: {outcome} "
              f"({results[-1]['seconds']} s: build {results[-1]['build']}, tests {results[-1]['test']})",
              flush=True)
    return results, []


def compare(results, earlier):
    lost, shared = report.lost(results, earlier)
    print(f"mutation: {shared} mutants shared with {earlier}; {len(lost)} detected there survive now")
    for result in lost:
        print(f"  {result['path']}:{result['line']} {result['operator']}: {result['after']}")
    return 1 if lost or not shared else 0


def main():
    options = arguments()
    root = Path(__file__).resolve().parents[2]
    os.chdir(root)
    tree = project.Tree(root, root / options.build_dir)
    tree.build.mkdir(parents=True, exist_ok=True)
    if leftover := tree.undo_leftover():
        print(f"mutation: restored {leftover}, left mutated by an interrupted run", file=sys.stderr)
    if changed := tree.uncommitted():
        print("mutation: src/ or apps/ differ from the last commit; commit or stash them, so that the report "
              "names the code it measured:\n  " + "\n  ".join(changed), file=sys.stderr)
        return 1
    texts, everything, sample = draw(tree, options)
    print(f"mutation: {len(sample)} of {len(everything)} candidate mutants, seed {options.seed}")
    if options.list:
        for mutant in sorted(sample, key=lambda m: (m.path, m.start)):
            text = texts[mutant.path]
            print(f"{mutant.path}:{mutant.line} {mutant.operator}\n  - {line_text(text, mutant, False)}\n"
                  f"  + {line_text(text, mutant, True)}")
        return 0

    build = project.Build(root, tree.build, options.jobs)
    print("mutation: building without mutants")
    built, output = build.build() if build.configure() else (False, "cmake could not configure")
    if not built:
        print(output[-4000:] + "\nmutation: the build fails without mutants", file=sys.stderr)
        return 1
    tests = baseline(build, {project.label_of(m.path) for m in sample})
    if tests is None:
        return 1

    header = [f"commit {tree.commit()}, seed {options.seed}, files matching `{options.path.pattern or '.'}`: "
              f"{len(sample)} of {len(everything)} candidate mutants",
              f"{os.cpu_count()} cores, {options.jobs} jobs, load average {os.getloadavg()[0]:.1f} at the start"]
    began = time.monotonic()
    results, stopped = run(sample, texts, tree, build, tests, options.minutes)
    header += stopped + [f"load average {os.getloadavg()[0]:.1f} at the end, "
                         f"{(time.monotonic() - began) / 60:.1f} minutes of mutants", report.summary(results)]
    report.write(results, header, tree.build / "report.md")
    report.save_table(results, tree.build / "results.tsv")
    print(f"mutation: {header[-1]}")
    print(f"mutation: report in {tree.build / 'report.md'}, every outcome in {tree.build / 'results.tsv'}")
    return compare(results, options.compare) if options.compare else 0


def interrupted(number, _frame):
    raise KeyboardInterrupt(signal.Signals(number).name)


if __name__ == "__main__":
    for caught in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(caught, interrupted)
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        print("mutation: interrupted; the source tree is restored", file=sys.stderr)
        sys.exit(1)
