"""examples/notebook.py runs to the end with the module just built: without matplotlib, and
with a stand-in for it that records what would be plotted."""

import json
import os
import subprocess
import sys

import pytest

import hornwall
from conftest import EXAMPLES

NOTEBOOK = os.path.join(EXAMPLES, "notebook.py")

# A matplotlib that records each plot's points and writes them as the picture.
PYPLOT = '''
import json
plotted = []
class Axes:
    def plot(self, x, y, **options):
        plotted.append([len(x), float(min(y)), float(max(y))])
    def __getattr__(self, name):
        return lambda *arguments, **options: None
class Figure:
    def savefig(self, path, **options):
        with open(path, "w") as f:
            json.dump(plotted, f)
        plotted.clear()
def subplots(**options):
    return Figure(), Axes()
'''


def run_notebook(folder, stand_in):
    """Runs the notebook writing into `folder`, with `stand_in` as the folder that holds the
    only matplotlib it can import."""
    path = os.pathsep.join([stand_in, os.path.dirname(os.path.dirname(hornwall.__file__))])
    return subprocess.run([sys.executable, NOTEBOOK, folder],
                          env={**os.environ, "PYTHONPATH": path}, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True, check=False)


@pytest.fixture
def matplotlib_folder(tmp_path):
    folder = tmp_path / "stand-in"
    (folder / "matplotlib").mkdir(parents=True)
    return folder


def test_without_matplotlib_it_designs_generates_checks_and_sweeps(tmp_path, matplotlib_folder):
    (matplotlib_folder / "matplotlib" / "__init__.py").write_text("raise ImportError('none')\n")
    done = run_notebook(str(tmp_path / "out"), str(matplotlib_folder))
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert "matplotlib is not installed: no plots" in lines
    assert any(line.endswith(": passes; worst coverage 100%, margin -2.0% / +50.0%")
               for line in lines)
    assert sum(line.startswith("  CD1 = CD2 = ") for line in lines) == 5
    assert sorted(os.listdir(tmp_path / "out")) == ["horn.zul", "sweep.zul"]


def test_with_matplotlib_it_plots_the_wall_and_its_coverage(tmp_path, matplotlib_folder):
    (matplotlib_folder / "matplotlib" / "__init__.py").write_text("def use(name):\n    pass\n")
    (matplotlib_folder / "matplotlib" / "pyplot.py").write_text(PYPLOT)
    out = tmp_path / "out"
    done = run_notebook(str(out), str(matplotlib_folder))
    assert done.returncode == 0, done.stderr
    wall = hornwall.read(str(out / "horn.zul"))
    [[nodes, low, high]] = json.loads((out / "wall.png").read_text())
    assert (nodes, low, high) == (wall.profiles[0].nodes, min(wall.profiles[0].rho),
                                  max(wall.profiles[0].rho))
    [[samples, worst, most]] = json.loads((out / "coverage.png").read_text())
    figures = wall.check(bands=[(10e9, 12e9)])["profiles"][0]["bands"][0]
    assert samples == 401
    assert (worst, most) == (figures["worst"]["coverage"] * 100,
                             figures["most"]["count"] / figures["corrugations"] * 100)
