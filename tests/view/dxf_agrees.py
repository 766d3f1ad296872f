"""Reads hornwall_view's DXF drawing with ezdxf and checks it against the node table of the
same run: ezdxf's audit finds nothing to report or fix, the version is AutoCAD R12, the unit
is the one given, each profile's layer is named by the rule of hornwall_view(1) (or as
given), and its polylines and points hold the table's nodes (a run of consecutive rows a
polyline, a lone row a point, then the same mirrored with --mirror) to 1e-9 relative; the
axis and the aperture plane lie on their own layers over the nodes and zero.

usage: dxf_agrees.py DRAWING TABLE UNIT_CODE [--mirror] [--layers L1,L2,...]
Prints each disagreement and exits 1 when there is any.
"""
import csv
import math
import sys

import ezdxf
from ezdxf.lldxf.validator import is_valid_layer_name

arguments = sys.argv[1:]
mirror = "--mirror" in arguments
given_layers = None
if "--layers" in arguments:
    given_layers = arguments[arguments.index("--layers") + 1].split(",")
drawing_path, table_path, unit_code = arguments[0], arguments[1], int(arguments[2])
problems = []


def expect(what, got, wanted):
    if got != wanted:
        problems.append(f"{what}: the drawing has {got!r}, not {wanted!r}")


def layer_names(names):
    """The layers of profiles named `names`, by the rule the manual states."""
    taken = {"0", "DEFPOINTS", "AXIS", "APERTURE"}
    layers = []
    for name in names:
        base = "".join(c if c.isascii() and (c.isalnum() or c in "$-_") else "_"
                       for c in name.encode("latin-1")[:31].decode("latin-1").upper())
        layer, suffix = base, 2
        while layer in taken:
            ending = f"_{suffix}"
            layer = base[:31 - len(ending)] + ending
            suffix += 1
        taken.add(layer)
        layers.append(layer)
    return layers


doc = ezdxf.readfile(drawing_path)
auditor = doc.audit()
for error in auditor.errors:
    problems.append(f"the audit finds an error: {error.message}")
for fix in auditor.fixes:
    problems.append(f"the audit fixes: {fix.message}")
expect("version", doc.dxfversion, "AC1009")
expect("$INSUNITS", doc.header.get("$INSUNITS"), unit_code)

profiles = {}  # name -> [(index, z, rho)], in the table's order
with open(table_path, newline="", encoding="ascii") as table:
    rows = csv.reader(table)
    expect("table header", next(rows), ["profile", "index", "z", "rho"])
    for name, index, z, rho in rows:
        profiles.setdefault(name, []).append((int(index), float(z), float(rho)))
layers = given_layers or layer_names(list(profiles))
# ezdxf adds the layer Defpoints to every drawing it loads.
expect("layers", [layer.dxf.name for layer in doc.layers if layer.dxf.name != "Defpoints"],
       ["0", "AXIS", "APERTURE"] + layers)
for layer in layers:
    if not is_valid_layer_name(layer):
        problems.append(f"layer {layer!r} is no valid layer name")

entities = list(doc.modelspace())
lines = [e for e in entities if e.dxftype() == "LINE"]
drawn = {}  # layer -> [list of (x, y)], one per polyline or point
for entity in entities:
    kind = entity.dxftype()
    if kind == "POLYLINE":
        expect("polyline kind", entity.get_mode(), "AcDb2dPolyline")
        drawn.setdefault(entity.dxf.layer, []).append([(p[0], p[1]) for p in entity.points()])
    elif kind == "POINT":
        drawn.setdefault(entity.dxf.layer, []).append([tuple(entity.dxf.location)[:2]])
    elif kind != "LINE":
        problems.append(f"an entity the drawing should not hold: {kind}")

zs, rhos = [0.0], [0.0]
for (name, nodes), layer in zip(profiles.items(), layers):
    runs, previous = [], None
    for index, z, rho in nodes:
        if previous is None or index != previous + 1:
            runs.append([])
        runs[-1].append((z, rho))
        previous = index
        zs.append(z)
        rhos.extend([rho, -rho] if mirror else [rho])
    if mirror:
        runs += [[(z, -rho) for z, rho in run] for run in runs]
    got = drawn.get(layer, [])
    expect(f"{name}: runs of nodes", [len(run) for run in got], [len(run) for run in runs])
    for run, wanted in zip(got, runs):
        for (x, y), (z, rho) in zip(run, wanted):
            if not (math.isclose(x, z, rel_tol=1e-9) and math.isclose(y, rho, rel_tol=1e-9)):
                problems.append(f"{name}: vertex ({x!r}, {y!r}), not ({z!r}, {rho!r})")

axis = [(tuple(e.dxf.start)[:2], tuple(e.dxf.end)[:2]) for e in lines if e.dxf.layer == "AXIS"]
aperture = [(tuple(e.dxf.start)[:2], tuple(e.dxf.end)[:2])
            for e in lines if e.dxf.layer == "APERTURE"]
expect("axis", axis, [((min(zs), 0.0), (max(zs), 0.0))] if min(zs) < max(zs) else [])
expect("aperture plane", aperture,
       [((0.0, min(rhos)), (0.0, max(rhos)))] if min(rhos) < max(rhos) else [])
expect("lines on other layers", len(lines), len(axis) + len(aperture))

for problem in problems[:20]:
    print(problem)
sys.exit(1 if problems else 0)
