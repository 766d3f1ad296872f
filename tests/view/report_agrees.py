"""Reads hornwall_view's JSON report with the json module and checks that it says what the
same run's text summary, messages and exit status say.

usage: report_agrees.py REPORT SUMMARY MESSAGES STATUS
Prints each disagreement and exits 1 when there is any.
"""
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from band_line import band_line  # noqa: E402

report = json.load(open(sys.argv[1], encoding="ascii"))
summary = open(sys.argv[2], encoding="ascii").read().splitlines()
messages = open(sys.argv[3], encoding="ascii").read().splitlines()
status = int(sys.argv[4])
problems = []


def expect(what, got, wanted):
    if got != wanted:
        problems.append(f"{what}: the report says {got!r}, the text {wanted!r}")


def printable(text):
    """A string of the report as the console shows its bytes."""
    return "".join(chr(b) if 0x20 <= b <= 0x7E else f"\\x{b:02x}" for b in text.encode("latin-1"))


def shown(value):
    """A number as the summary shows it: at most 6 significant digits, shortest."""
    return "0" if value == 0 else f"{value:.6g}"


def span(name, values, unit):
    low, high = shown(values["low"]), shown(values["high"])
    text = f"{name} {low}" + (f" to {high}" if high != low else "")
    return text + (f" {unit}" if unit else "")


expect("version", report["version"], 1)
lines = iter(summary)
ends = {"closed": "closed", "open": "open at the end of the file", "cut": "cut short"}
for profile in report["profiles"]:
    unit = profile["unit"]
    nodes = profile["nodes"]
    head = f"profile {printable(profile['name'])}: unit {printable(unit) if unit else '(none)'}, "
    head += f"{nodes} node{'s' if nodes != 1 else ''}"
    if profile["not_evaluated"]:
        head += f" ({profile['not_evaluated']} not evaluated)"
    if profile["z"] is None:
        head += ", no nodes to draw"
    else:
        head += f", z {shown(profile['z']['low'])} to {shown(profile['z']['high'])}"
        head += f", rho {shown(profile['rho']['low'])} to {shown(profile['rho']['high'])}"
    head += ", " + ends[profile["end"]]
    expect("profile line", head, next(lines, None))
    corrugations = profile["corrugations"]
    count = corrugations["count"]
    line = next(lines, "")
    if count == 0:
        expect("corrugations", line, "  no corrugations")
    else:
        faced = corrugations["kind"] == "faced"
        text = f"  {count} corrugation{'s' if count != 1 else ''}: "
        text += span("height", corrugations["height"], unit)
        expect(f"corrugations' heights in {line!r}", line.startswith(text), True)
        thickness = span("thickness" if faced else "extent", corrugations["thickness"], unit)
        expect(f"corrugations' thickness in {line!r}", f", {thickness}" in line, True)
        if corrugations["pitch"] is not None:
            pitch = span("pitch", corrugations["pitch"], unit)
            expect(f"corrugations' pitch in {line!r}", line.endswith(f", {pitch}"), True)
    for figures in profile["bands"]:
        margin = figures["margin"]
        expect("meets", margin is not None, figures["meets"])
        text = band_line(report, figures)
        expect("band line", text, next(lines, None))
        worst = figures["worst"]
        expect("worst coverage", worst["coverage"], worst["count"] / figures["corrugations"])
expect("variables", f"variables: {report['variables']}", next(lines, None))
expect("counts", f"errors: {report['errors']}, warnings: {report['warnings']}", next(lines, None))
for output in report["outputs"]:
    where = "standard output" if output["path"] == "-" else printable(output["path"])
    expect("an output", f"{output['output']}: {where}", next(lines, None))
expect("the end of the summary", next(lines, None), None)

failed = report["errors"] > 0 or (report["strict"] and report["warnings"] > 0)
expect("status", report["status"], 1 if failed else 0)
expect("the exit status", report["status"], status)
expect("the verdict", report["verdict"].startswith("fails"), failed)
found = [f"{printable(f['file'])}:{f['line']}: {f['severity']}: {printable(f['text'])}"
         for f in report["findings"]]
expect("the messages", found, [m for m in messages if ": note: " not in m])
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
