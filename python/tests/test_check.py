"""Wall.check against hornwall_view --json: the same keys and values for the same file and
options, on every shipped example and on files with findings; the same refusals."""

import json
import math
import os

import pytest

import hornwall
from conftest import EXAMPLES, error_lines, example_bands, examples, run

SOURCE = os.path.dirname(EXAMPLES)
CORPUS = os.path.join(SOURCE, "tests", "fuzz", "view-corpus")


def viewer_report(path, arguments, scratch):
    """hornwall_view's JSON report for `path` with `arguments`, less the outputs a run
    writes, which a script does not."""
    done = run("view", "-q", "-o", os.path.join(scratch, "out.svg"), "--json", "-", *arguments,
               path)
    assert done.status in (0, 1), done.err_text
    report = json.loads(done.out)
    assert [o["output"] for o in report.pop("outputs")] == ["picture", "report"]
    return report


def band_options(bands):
    return [arg for band in bands for arg in ("--band", band)]


def written(report):
    """The report of a check, which writes no output, less its empty list of outputs."""
    assert report.pop("outputs") == []
    return report


def same(got, wanted, where="report"):
    """Asserts that `got` equals the report `wanted` read by the json module, key for key
    in the same order (JSON writes -0 as an integer 0, which equals -0.0)."""
    if isinstance(wanted, dict):
        assert list(got) == list(wanted), where
        for key in wanted:
            same(got[key], wanted[key], f"{where}.{key}")
    elif isinstance(wanted, list):
        assert len(got) == len(wanted), where
        for i, (g, w) in enumerate(zip(got, wanted)):
            same(g, w, f"{where}[{i}]")
    else:
        assert type(got) is type(wanted) or {type(got), type(wanted)} == {int, float}, where
        assert got == wanted, where


# What each shipped example is checked with: its own bands, none, its bands held to 60%
# strictly, the mirror image.
CHECKS = [
    ("bands", lambda bands: ({"bands": bands}, band_options(bands))),
    ("none", lambda bands: ({}, [])),
    ("strict", lambda bands: ({"bands": bands, "min_coverage": 60, "strict": True},
                              band_options(bands) + ["--min-coverage", "60", "--strict"])),
    ("mirror", lambda bands: ({"bands": bands, "mirror": True},
                              band_options(bands) + ["--mirror"])),
]


@pytest.mark.parametrize("example", [example for example, _ in examples()])
@pytest.mark.parametrize("name, options", CHECKS, ids=[name for name, _ in CHECKS])
def test_every_example_checks_as_the_viewer_reports(example, name, options, scratch):
    path = os.path.join(EXAMPLES, f"{example}.zul")
    keywords, arguments = options(example_bands(example))
    same(written(hornwall.read(path).check(**keywords)), viewer_report(path, arguments, scratch))


@pytest.mark.parametrize("corpus, bands", [
    ("many-findings", ["10:12"]),
    ("nan-values", []),
    ("undefined-references", ["10:12"]),
    ("cycle", []),
    ("self-crossing", []),
    ("margin-dip", ["10:12", "17:20"]),
    ("deep-windows", ["10:12"]),
    ("control-bytes", ["10:12"]),
    ("no-profile", ["10:12"]),
    ("tall-fins", ["10:12", "17:20"]),
    ("sine-on-a-wide-radius", ["10:20"]),
])
def test_files_with_findings_check_as_the_viewer_reports(corpus, bands, scratch):
    path = os.path.join(CORPUS, corpus)
    got = hornwall.read(path).check(bands=bands)
    same(written(got), viewer_report(path, band_options(bands), scratch))


def test_a_band_in_hertz_is_the_band_in_gigahertz():
    wall = hornwall.read(os.path.join(EXAMPLES, "corr-dual.zul"))
    in_hertz = wall.check(bands=[(10e9, 12e9), (17e9, 20e9)])
    assert in_hertz == wall.check(bands=["10:12", "17:20"])
    assert in_hertz["bands"][1] == {"low_hz": 17e9, "high_hz": 20e9, "label": "17-20 GHz"}


def test_a_check_leaves_nothing_behind_for_the_next(scratch):
    path = os.path.join(EXAMPLES, "corr-dual.zul")
    wall = hornwall.read(path)
    wall.check(bands=["10:12", "17:20"], min_coverage=90, strict=True)
    wall.corrugation_table(["10:12", "17:20"])
    same(written(wall.check(bands=["17:20"])), viewer_report(path, ["--band", "17:20"], scratch))
    same(written(wall.check()), viewer_report(path, [], scratch))
    assert (wall.errors, wall.warnings, wall.verdict) == (0, 0, "passes")


# Each refused check: the keywords, and the options hornwall_view refuses in the same words.
REFUSALS = [
    ({"bands": ["12:10"]}, ["--band", "12:10"]),
    ({"bands": ["abc"]}, ["--band", "abc"]),
    ({"bands": [(0, 12e9)]}, ["--band", "0Hz:12000000000.0Hz"]),
    ({"bands": [(10e9, float("inf"))]}, ["--band", "10000000000.0Hz:infHz"]),
    ({"bands": ["1:2", "3:4", "5:6"]}, ["--band", "1:2", "--band", "3:4", "--band", "5:6"]),
    ({"min_coverage": math.nextafter(100, 200)}, ["--min-coverage", "100.00000000000001"]),
    ({"min_coverage": -1}, ["--min-coverage", "-1"]),
    ({"min_coverage": "25%"}, ["--min-coverage", "25%"]),
    ({"min_coverage": float("nan")}, ["--min-coverage", "nan"]),
]


@pytest.mark.parametrize("keywords, arguments", REFUSALS)
def test_a_refused_check_fails_as_the_viewer_does(keywords, arguments):
    path = os.path.join(EXAMPLES, "corr-single.zul")
    done = run("view", "-q", *arguments, path)
    with pytest.raises(hornwall.Error) as failure:
        hornwall.read(path).check(**keywords)
    assert str(failure.value) == error_lines(done)
    assert failure.value.status == done.status == 2


@pytest.mark.parametrize("coverage", [0, 100, "0", "1e2", 25.5])
def test_the_threshold_holds_from_0_to_100(coverage, scratch):
    path = os.path.join(EXAMPLES, "corr-single.zul")
    got = hornwall.read(path).check(bands=["10:12"], min_coverage=coverage)
    arguments = ["--band", "10:12", "--min-coverage", str(coverage)]
    same(written(got), viewer_report(path, arguments, scratch))


@pytest.mark.parametrize("bands", [[10e9, 12e9], [(1, 2, 3)], [None], 12])
def test_a_band_that_is_no_pair_is_a_type_error(bands):
    with pytest.raises(TypeError):
        hornwall.read(os.path.join(EXAMPLES, "corr-single.zul")).check(bands=bands)


@pytest.mark.parametrize("example", [example for example, _ in examples()])
def test_the_coverage_curves_hold_the_figures(example):
    bands = example_bands(example)
    wall = hornwall.read(os.path.join(EXAMPLES, f"{example}.zul"))
    report = wall.check(bands=bands)
    for profile, curves in zip(report["profiles"], wall.coverage(bands)):
        assert len(curves) == len(profile["bands"]) == len(bands)
        for figures, curve in zip(profile["bands"], curves):
            coverage, hz = curve["coverage"], curve["hz"]
            assert len(coverage) == len(hz) == 401
            assert curve["corrugations"] == figures["corrugations"]
            assert (coverage.min(), hz[coverage.argmin()]) == (figures["worst"]["coverage"],
                                                               figures["worst"]["at_hz"])
            assert (coverage.max() * curve["corrugations"], hz[coverage.argmax()]) == (
                figures["most"]["count"], figures["most"]["at_hz"])


def test_no_curve_without_corrugations_or_a_unit_in_metres(scratch):
    rows = "        0.   10.\n       -1.   11.\n"
    fins = "        0.   10.\n       -1.   10.\n       -1.   18.\n       -2.   18.\n" \
           "       -2.   10.\n       -3.   10.\n"
    text = ""
    for name, unit, nodes in [("plain", "mm", rows), ("fins", "mm", fins),
                              ("furlongs", "furlong", fins)]:
        text += (f"{name}   circular_symmetric_horn_exterior\n(\n  length_unit      : {unit},\n"
                 f"  nodes             : table\n    (\n{nodes}    )\n)\n\n")
    path = os.path.join(scratch, "three.zul")
    with open(path, "w", encoding="ascii") as f:
        f.write(text)
    curves = hornwall.read(path).coverage(["10:12"])
    assert [len(of_profile) for of_profile in curves] == [0, 1, 0]
    assert curves[1][0]["corrugations"] == 1
