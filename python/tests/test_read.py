"""hornwall.read against hornwall_view: the nodes (--table), the corrugations (--corrugations),
the findings and messages, the variables, and the refusals of a file that cannot be read."""

import concurrent.futures
import csv
import gc
import io
import math
import os
import pathlib

import numpy
import pytest

import hornwall
from conftest import EXAMPLES, error_lines, example_bands, examples, run

EXAMPLE_NAMES = [example for example, _ in examples()]
SOURCE = os.path.dirname(EXAMPLES)
CORPUS = os.path.join(SOURCE, "tests", "fuzz", "view-corpus")


def csv_of(text):
    return list(csv.DictReader(io.StringIO(text.decode("ascii"))))


def viewer_table(path, option, *more, cwd):
    """The CSV table that hornwall_view writes with `option` to standard output."""
    done = run("view", "-q", "-o", os.path.join(cwd, "out.svg"), option, "-", *more, path)
    assert done.status in (0, 1), done.err_text
    return csv_of(done.out)


def object_file(scratch, name, text):
    path = os.path.join(scratch, name)
    with open(path, "w", encoding="ascii", newline="") as f:
        f.write(text)
    return path


def variable(name, value):
    return f"{name}  real_variable\n(\n  value            : {value}\n)\n\n"


def profile(name, rows, unit="mm"):
    body = "".join(f"        {z}   {rho}\n" for z, rho in rows)
    return (f"{name}   circular_symmetric_horn_exterior\n(\n  length_unit      : {unit},\n"
            f"  nodes             : table\n    (\n{body}    )\n)\n")


@pytest.mark.parametrize("example", EXAMPLE_NAMES)
def test_nodes_are_the_table_of_the_viewer(example, scratch):
    path = os.path.join(EXAMPLES, f"{example}.zul")
    wall = hornwall.read(path)
    rows = viewer_table(path, "--table", cwd=scratch)
    profiles = {p.name: p for p in wall.profiles}
    seen = 0
    for row in rows:
        node = int(row["index"]) - 1
        p = profiles[row["profile"]]
        assert (p.z[node], p.rho[node]) == (float(row["z"]), float(row["rho"])), row
        seen += 1
    assert seen == sum(p.nodes for p in wall.profiles) > 0


@pytest.mark.parametrize("example", EXAMPLE_NAMES)
@pytest.mark.parametrize("with_bands", [False, True])
def test_corrugations_are_the_table_of_the_viewer(example, with_bands, scratch):
    path = os.path.join(EXAMPLES, f"{example}.zul")
    bands = example_bands(example) if with_bands else []
    more = [arg for band in bands for arg in ("--band", band)]
    rows = viewer_table(path, "--corrugations", *more, cwd=scratch)
    wall = hornwall.read(path)
    table = wall.corrugation_table(bands) if bands else wall.corrugations
    expected_columns = ["profile", "index", "z_near", "z_far", "height", "thickness", "gap",
                        "pitch"]
    if bands:
        expected_columns += ["q_GHz"] + [f"capacitive_{b + 1}" for b in range(len(bands))]
    assert list(table) == expected_columns
    assert len(table["index"]) == len(rows)
    for i, row in enumerate(rows):
        for column in expected_columns:
            got = table[column][i]
            if column == "profile":
                assert got == row[column]
            elif row[column] == "":
                assert math.isnan(got), (column, i)
            else:
                assert got == float(row[column]), (column, i)
    # Each profile's own columns are its rows of the whole table.
    for p in wall.profiles:
        mine = [i for i, name in enumerate(table["profile"]) if name == p.name]
        for column in expected_columns[1:8]:
            numpy.testing.assert_array_equal(p.corrugations[column], table[column][mine])


@pytest.mark.parametrize("corpus", ["nan-values", "undefined-references", "cycle", "many-findings",
                                    "self-crossing", "control-bytes", "cut-last-line"])
def test_findings_and_messages_are_the_viewers(corpus, scratch):
    path = os.path.join(CORPUS, corpus)
    wall = hornwall.read(path)
    done = run("view", "-q", "-o", os.path.join(scratch, "out.svg"), path)
    assert wall.messages == done.err_text
    assert (wall.errors > 0) == (done.status == 1)
    assert wall.diagnostics
    for finding, line in zip(wall.diagnostics, done.err_text.splitlines()):
        assert line.startswith(f"{path}:{finding['line']}: {finding['severity']}: ")


def test_a_node_that_cannot_be_evaluated_is_nan_and_keeps_its_place(scratch):
    path = object_file(scratch, "holes.zul", variable("A", '"REF(X)"') + profile(
        "w", [("0.", "10."), ('"REF(A)"', "11."), ("-2.", '"REF(A)"'), ("-3.", "12.")]))
    p = hornwall.read(path).profiles[0]
    assert (p.nodes, p.not_evaluated) == (4, 2)
    numpy.testing.assert_array_equal(p.z, [0.0, math.nan, math.nan, -3.0])
    numpy.testing.assert_array_equal(p.rho, [10.0, math.nan, math.nan, 12.0])
    rows = viewer_table(path, "--table", cwd=scratch)
    assert [int(r["index"]) for r in rows] == [1, 4]


@pytest.mark.parametrize("text, values", [
    (variable("A", "2.") + variable("B", '"REF(A)*3"'), {"A": 2.0, "B": 6.0}),
    # a reference to a variable defined later
    (variable("B", '"REF(A)+1"') + variable("A", "2."), {"B": 3.0, "A": 2.0}),
    # defined twice: the later value
    (variable("A", "1.") + variable("A", "5."), {"A": 5.0}),
    # no value: undefined, in a cycle, not finite, or from one of those
    (variable("A", '"REF(X)"') + variable("B", "4."), {"B": 4.0}),
    (variable("A", '"REF(B)"') + variable("B", '"REF(A)"') + variable("C", "1."), {"C": 1.0}),
    (variable("Z", '"1/0"') + variable("Y", '"REF(Z)*0"') + variable("C", "-0."),
     {"C": -0.0}),
])
def test_variables_with_a_value(text, values, scratch):
    path = object_file(scratch, "vars.zul", text + profile("w", [("0.", "1."), ("-1.", "1.")]))
    wall = hornwall.read(path)
    assert wall.variables == values
    assert list(wall.variables) == list(values)
    assert wall.variable_count == text.count("real_variable")


def test_arrays_are_read_only_and_outlive_the_wall():
    wall = hornwall.read(os.path.join(EXAMPLES, "spline.zul"))
    z = wall.profiles[0].z
    first = z.copy()
    del wall
    gc.collect()
    assert not z.flags.writeable
    with pytest.raises(ValueError):
        z[0] = 1.0
    numpy.testing.assert_array_equal(z, first)


@pytest.mark.parametrize("make_path", [str, os.fsencode, pathlib.Path])
def test_a_path_of_any_kind(make_path):
    path = os.path.join(EXAMPLES, "corr-single.zul")
    wall = hornwall.read(make_path(path))
    assert wall.file == path
    assert wall.profiles[0].name == "horn_exterior"


def test_a_name_outside_utf8_comes_back_byte_for_byte(scratch):
    name = os.path.join(os.fsencode(scratch), b"horn\xe9\x01.zul")
    with open(os.path.join(EXAMPLES, "corr-single.zul"), "rb") as source, open(name, "wb") as copy:
        copy.write(source.read())
    wall = hornwall.read(name)
    assert wall.file.encode("utf-8", "surrogateescape") == name
    assert wall.check()["file"] == wall.file


@pytest.mark.parametrize("make", [
    lambda scratch: os.path.join(scratch, "missing.zul"),
    lambda scratch: scratch,  # a folder
    lambda scratch: os.path.join(scratch, "esc\x1b.zul"),
])
def test_a_file_that_cannot_be_read_fails_as_the_viewer_does(make, scratch):
    path = make(scratch)
    done = run("view", "-q", path)
    with pytest.raises(hornwall.Error) as failure:
        hornwall.read(path)
    assert str(failure.value) == error_lines(done)
    assert failure.value.status == done.status == 2
    assert failure.value.lines == [str(failure.value)]


def test_walls_read_in_threads_at_once_are_the_walls_read_one_by_one():
    paths = [os.path.join(EXAMPLES, f"{example}.zul") for example in EXAMPLE_NAMES] * 4
    alone = [hornwall.read(path).check(bands=["10:12"]) for path in paths]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        walls = list(pool.map(hornwall.read, paths))
    assert [wall.check(bands=["10:12"]) for wall in walls] == alone
