"""Reads hornwall_design's JSON reports with the json module and checks that each says what
the same run's text report, answers file and exit status say, and, for a wall that was
designed, what hornwall_view's JSON report says of the wall its generator wrote.

usage: design_agrees.py CASE...
Each CASE is a folder holding design.json, report (the text report, or the refusal, that the
run wrote beside it), status (the exit status) and, for a design, wall.answers and view.json
(hornwall_view --json on the wall, with the design's bands and threshold). Prints each
disagreement and exits 1 when there is any.
"""
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from band_line import band_line  # noqa: E402

problems = []


def expect(case, what, got, wanted):
    if got != wanted:
        problems.append(f"{case}: {what}: the JSON says {got!r}, the text {wanted!r}")


def length(value):
    """A length as the answers file and the report write it: shortest, with a point."""
    text = repr(float(value))
    return text[:-2] + ".0" if text.endswith(".0") else text


def answers_agree(case, design, answers_text):
    """The answers by symbol against the answers file, line by line."""
    wanted = list(design["answers"].items())
    found = []
    for line in answers_text.splitlines():
        if line == design["object_file"]:
            found.append(("FILE", line))
            continue
        words = line.split()
        if "corrugation type" in line:
            expect(case, "the corrugation type", words[0],
                   "2" if design["rule"]["kind"] == "dual" else "1")
            continue
        for word in words:
            try:
                found.append(float(word))
            except ValueError:
                break
    flat = []
    for symbol, value in wanted:
        flat.append(("FILE", value) if symbol == "FILE" else float(value))
    expect(case, "the answers", flat, found)


def check(case):
    read = lambda name: open(os.path.join(case, name), encoding="ascii").read()
    design = json.loads(read("design.json"))
    status = int(read("status"))
    report = read("report").splitlines()
    expect(case, "version", design["version"], 1)
    expect(case, "program", design["program"], "hornwall_design")
    expect(case, "status", design["status"], status)
    lows = [band["low_hz"] for band in design["bands"]]
    expect(case, "the bands, lower first", lows, sorted(lows))
    if status != 0:
        expect(case, "refusal", ["hornwall_design: " + (design["refusal"] or "")], report)
        expect(case, "outputs when refused", [o["output"] for o in design["outputs"]], ["report"])
        if design["rule"] is None:
            expect(case, "figures when not laid out", design["figures"], [])
        return
    expect(case, "refusal", design["refusal"], None)
    unit = design["unit"]
    rule = design["rule"]
    head = report[0]
    expect(case, "the first line", head.startswith(f"hornwall_design: {design['generator']}, "),
           True)
    lines = iter(report[1:])
    line = next(lines, "")
    if rule["kind"] == "taper":
        low, high = rule["heights"]
        expect(case, "the taper", line.startswith(
            f"  heights taper from {length(low)} to {length(high)} {unit},"), True)
    else:
        for height in rule["heights"]:
            expect(case, "a height", line.startswith(f"  height {length(height)} {unit} "), True)
            line = next(lines, "")
    if rule["kind"] == "taper":
        line = next(lines, "")
    expect(case, "the pitch", line.startswith(f"  pitch {length(rule['pitch'])} {unit}"), True)
    line = next(lines, "")
    expect(case, "the count", line.startswith(f"  {rule['corrugations']} "), True)
    bands = [line for line in report if line.startswith("  band ")]
    expect(case, "the band lines", [band_line(design, f) for f in design["figures"]], bands)
    outputs = [f"{o['output']}: {'standard output' if o['path'] == '-' else o['path']}"
               for o in design["outputs"] if o["path"] != "-" or o["output"] == "report"]
    expect(case, "the outputs", outputs,
           [line for line in report if line.startswith(("answers: ", "report: "))])
    answers_agree(case, design, read("wall.answers"))

    view = json.loads(read("view.json"))
    expect(case, "the viewer's bands", design["bands"], view["bands"])
    expect(case, "the viewer's threshold", design["min_coverage"], view["min_coverage"])
    expect(case, "the viewer's status", view["status"], 0)
    corrugated = [p for p in view["profiles"] if p["corrugations"]["count"] > 0]
    expect(case, "corrugated profiles", len(corrugated), 1)
    if corrugated:
        expect(case, "the figures", design["figures"], corrugated[0]["bands"])
        expect(case, "the count", rule["corrugations"], corrugated[0]["corrugations"]["count"])


cases = sys.argv[1:]
for case in cases:
    try:
        check(case)
    except (OSError, ValueError, KeyError, TypeError, StopIteration) as error:
        problems.append(f"{case}: {error!r}")
for problem in problems[:20]:
    print(problem)
if len(problems) > 20:
    print(f"... {len(problems) - 20} more")
print(f"{len(cases)} JSON reports read, {len(problems)} disagreements")
sys.exit(1 if problems or not cases else 0)
