# The mutation tool's outputs: a Markdown report, a table of every mutant's outcome, and a comparison of two.
import csv
import statistics
from collections import Counter, defaultdict

OUTCOMES = ("killed", "survived", "timed out", "not compiled", "no tests")
_FIELDS = ("key", "path", "line", "operator", "outcome", "caught by", "seconds", "build", "test", "before",
           "after")


def _detected(counts):
    """Killed or timed out, of the mutants that compiled and had tests to face."""
    faced = counts["killed"] + counts["survived"] + counts["timed out"]
    return f"{100 * (counts['killed'] + counts['timed out']) / faced:.0f}%" if faced else "-"


def _by_file(results):
    by_file = defaultdict(Counter)
    for result in results:
        by_file[result["path"]][result["outcome"]] += 1
    return by_file


def write(results, header, path):
    """results: dicts with the _FIELDS; header: lines that say what was measured and how."""
    by_file = _by_file(results)
    total = sum(by_file.values(), Counter())
    lines = ["# Mutation report", ""] + [f"- {line}" for line in header] + ["", "## Outcomes by file", "",
             "| file | " + " | ".join(OUTCOMES) + " | detected |", "|---" * (len(OUTCOMES) + 2) + "|"]
    for file, counts in sorted(by_file.items()) + [("**total**", total)]:
        lines.append(f"| {file} | " + " | ".join(str(counts[o]) for o in OUTCOMES) + f" | {_detected(counts)} |")
    lines += ["", "## Survivors", ""]
    for result in sorted((r for r in results if r["outcome"] == "survived"), key=lambda r: (r["path"], r["line"])):
        lines += [f"- `{result['path']}:{result['line']}` {result['operator']}", "  ```diff",
                  f"  - {result['before'].strip()}", f"  + {result['after'].strip()}", "  ```"]
    path.write_text("\n".join(lines) + "\n")


def summary(results):
    total = sum(_by_file(results).values(), Counter())
    seconds = [r["seconds"] for r in results]
    timing = (f"{statistics.mean(seconds):.1f} s a mutant (median {statistics.median(seconds):.1f} s; building "
              f"{statistics.mean(r['build'] for r in results):.1f} s, testing "
              f"{statistics.mean(r['test'] for r in results):.1f} s)" if seconds else "no mutant run")
    return (", ".join(f"{total[o]} {o}" for o in OUTCOMES) + f"; detected {_detected(total)}; {timing}")


def save_table(results, path):
    with open(path, "w", newline="") as table:
        writer = csv.DictWriter(table, _FIELDS, delimiter="\t", extrasaction="ignore")
        writer.writeheader()
        writer.writerows(sorted(results, key=lambda r: (r["path"], r["line"], r["key"])))


def lost(results, earlier_table):
    """Mutants the earlier run detected that this one let survive, and how many mutants the two runs share."""
    with open(earlier_table, newline="") as table:
        earlier = {row["key"]: row["outcome"] for row in csv.DictReader(table, delimiter="\t")}
    shared = [r for r in results if r["key"] in earlier]
    return [r for r in shared if earlier[r["key"]] in ("killed", "timed out") and r["outcome"] == "survived"], len(shared)
