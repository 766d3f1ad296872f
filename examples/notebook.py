#!/usr/bin/env python3
"""A corrugated horn wall from Python: designed for the 10-12 GHz band, generated, checked,
swept over the height of its corrugations and plotted, all in this process.

    PYTHONPATH=build/python/python /usr/bin/python3 examples/notebook.py [FOLDER]

writes the object files and, when matplotlib is installed, wall.png and coverage.png into
FOLDER (by default a temporary folder, removed at the end). The cells (# %%) run one by one in
an editor that knows them, as a notebook does.
"""

# %% The module, and where its files go.
import os
import sys
import tempfile

import hornwall

BAND = (10e9, 12e9)  # hertz
scratch = None if len(sys.argv) > 1 else tempfile.TemporaryDirectory()
folder = sys.argv[1] if len(sys.argv) > 1 else scratch.name
os.makedirs(folder, exist_ok=True)
print(f"hornwall {hornwall.__version__}; files in {folder}")

# %% Design: the answers of hornwall_corr for the band, and the report.
designed = hornwall.design("corr", bands=[BAND], aperture_radius=60, final_radius=20,
                           length=150, object_file="horn.zul")
print(designed.report, end="")
print(f"{designed.values['NCORR']:.0f} corrugations, {designed.values['CD1']} mm high")

# %% Generate: the object file, kept in memory, then written where the viewer can read it.
made = hornwall.generate("corr", designed.answers)
path = os.path.join(folder, made.object_name)
with open(path, "w", encoding="utf-8", errors="surrogateescape", newline="") as f:
    f.write(made.object_file)

# %% Check: the figures of hornwall_view --json, as Python values.
wall = hornwall.read(path)
report = wall.check(bands=[BAND], min_coverage=25)
figures = report["profiles"][0]["bands"][0]
print(f"{wall!r}: {report['verdict']}; worst coverage {figures['worst']['coverage']:.0%}, "
      f"margin {-figures['margin']['down']:+.1%} / {figures['margin']['up']:+.1%}")

# %% Sweep: the remaining corrugations a little deeper or shallower, ranked by the margin
# below the band, the side a shallower corrugation loses first.
results = []
for height in (7.2, 7.4, 7.6, 7.8, 8.0):
    swept = hornwall.generate("corr", designed.answers,
                              set={"CD1": height, "CD2": height, "FILE": "sweep.zul"})
    swept_path = os.path.join(folder, swept.object_name)
    with open(swept_path, "w", encoding="utf-8", errors="surrogateescape", newline="") as f:
        f.write(swept.object_file)
    checked = hornwall.read(swept_path).check(bands=[BAND])
    band = checked["profiles"][0]["bands"][0]
    margin = band["margin"]["down"] if band["meets"] else None
    results.append((height, checked["verdict"], band["worst"]["coverage"], margin))
for height, verdict, worst, margin in sorted(results, key=lambda r: -(r[3] or -1.0)):
    shown = "none" if margin is None else f"{-margin:+.1%}"
    print(f"  CD1 = CD2 = {height} mm: worst {worst:.0%}, margin below {shown}, {verdict}")

# %% Plot: the wall and its coverage over the band, when matplotlib is installed.
try:
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
except ImportError:
    print("matplotlib is not installed: no plots")
else:
    profile = wall.profiles[0]
    figure, axes = plt.subplots(figsize=(8, 3))
    axes.plot(profile.z, profile.rho, linewidth=0.8)
    axes.set_xlabel(f"z ({profile.unit})")
    axes.set_ylabel(f"rho ({profile.unit})")
    axes.set_aspect("equal")
    axes.set_title(f"{profile.name}: {len(profile.corrugations['index'])} corrugations")
    figure.savefig(os.path.join(folder, "wall.png"), dpi=150, bbox_inches="tight")
    curve = wall.coverage([BAND])[0][0]
    figure, axes = plt.subplots(figsize=(6, 3))
    axes.plot(curve["hz"] / 1e9, curve["coverage"] * 100)
    axes.axhline(report["min_coverage"], color="grey", linestyle="--")
    axes.set_xlabel("frequency (GHz)")
    axes.set_ylabel("capacitive corrugations (%)")
    axes.set_ylim(0, 105)
    figure.savefig(os.path.join(folder, "coverage.png"), dpi=150, bbox_inches="tight")
    print(f"plots: {os.path.join(folder, 'wall.png')}, {os.path.join(folder, 'coverage.png')}")

if scratch is not None:
    scratch.cleanup()
