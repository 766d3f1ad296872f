"""hornwall.design against hornwall_design: the same answers file and report for the same
request, and the same refusals."""

import os

import pytest

import hornwall
from conftest import error_lines, run

# Each request: the keywords of hornwall.design and the command line of hornwall_design.
REQUESTS = [
    ({"wall": "corr", "bands": [(10e9, 12e9)], "aperture_radius": 60, "final_radius": 20,
      "length": 150},
     ["corr", "--band", "10:12", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "150"]),
    ({"wall": "hornwall_corr", "bands": ["10:12", "17:20"], "aperture_radius": 65.0,
      "final_radius": 18, "length": 160, "variable": 4},
     ["hornwall_corr", "--band", "10:12", "--band", "17:20", "--aperture-radius", "65",
      "--final-radius", "18", "--length", "160", "--variable", "4"]),
    ({"wall": "sinecorr", "bands": ["10:12"], "aperture_radius": 55, "final_radius": 18,
      "length": 140, "unit": "cm", "points": 8},
     ["sinecorr", "--band", "10:12", "--aperture-radius", "55", "--final-radius", "18",
      "--length", "140", "--unit", "cm", "--points", "8"]),
    ({"wall": "thickcorr", "bands": [(10e9, 12e9), (17e9, 20e9)], "aperture_radius": 60,
      "wall_thickness": (2, 3.5), "length": 150},
     ["thickcorr", "--band", "10:12", "--band", "17:20", "--aperture-radius", "60",
      "--wall-thickness", "2:3.5", "--length", "150"]),
    ({"wall": "thickcorr", "bands": ["10:12"], "aperture_radius": 60, "wall_thickness": 2,
      "length": 150, "slot_ratio": 0.7, "min_thickness": 0.6, "first": 5},
     ["thickcorr", "--band", "10:12", "--aperture-radius", "60", "--wall-thickness", "2",
      "--length", "150", "--slot-ratio", "0.7", "--min-thickness", "0.6", "--first", "5"]),
    ({"wall": "spline", "bands": ["10:12"], "aperture_radius": 60, "final_radius": 20,
      "length": 150},
     ["spline", "--band", "10:12", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "150"]),
    ({"wall": "corr", "bands": ["8:14"], "aperture_radius": 60, "final_radius": 20,
      "length": 150, "taper": True, "per_wavelength": 10, "margin": 0.05},
     ["corr", "--band", "8:14", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "150", "--taper", "--per-wavelength", "10", "--margin", "0.05"]),
    ({"wall": "corr", "bands": ["10:11", "12:13"], "aperture_radius": 60, "final_radius": 20,
      "length": 150, "one_set": True},
     ["corr", "--band", "10:11", "--band", "12:13", "--aperture-radius", "60", "--final-radius",
      "20", "--length", "150", "--one-set"]),
]


@pytest.mark.parametrize("keywords, arguments", REQUESTS)
def test_a_design_is_hornwall_designs(keywords, arguments, scratch):
    designed = hornwall.design(**keywords)
    done = run("design", *arguments)
    assert done.status == 0, done.err_text
    assert designed.answers == done.out.decode("ascii")
    assert designed.report == done.err_text
    # The answers file named after its object file, as -o names it.
    done = run("design", *arguments, "-o", os.path.join(scratch, "ridges.answers"))
    with open(os.path.join(scratch, "ridges.answers"), encoding="ascii") as written:
        assert hornwall.design(**keywords, object_file="ridges.zul").answers == written.read()


def test_the_values_are_those_the_answers_give():
    designed = hornwall.design("corr", bands=[(10e9, 12e9)], aperture_radius=60, final_radius=20,
                               length=150)
    assert designed.values["RW1"] == 60.0
    assert designed.values["NCORR"] == 47
    assert f"{designed.values['NCORR']:<17.0f}number of corrugations NCORR" in designed.answers


# Each refused request: the keywords, the command line, the exit status.
REFUSALS = [
    ({"wall": "corr", "bands": ["10:12"], "aperture_radius": 60, "length": 150},
     ["corr", "--band", "10:12", "--aperture-radius", "60", "--length", "150"], 2),
    ({"wall": "corr", "bands": [], "aperture_radius": 60, "final_radius": 20, "length": 150},
     ["corr", "--aperture-radius", "60", "--final-radius", "20", "--length", "150"], 2),
    ({"wall": "horn", "bands": ["10:12"], "aperture_radius": 60, "length": 150},
     ["horn", "--band", "10:12", "--aperture-radius", "60", "--length", "150"], 2),
    ({"wall": "corr", "bands": ["10:12"], "aperture_radius": -5, "final_radius": 20,
      "length": 150},
     ["corr", "--band", "10:12", "--aperture-radius=-5", "--final-radius", "20", "--length",
      "150"], 2),
    ({"wall": "corr", "bands": ["10:12"], "aperture_radius": 60, "final_radius": 20,
      "length": 150, "unit": "furlong"},
     ["corr", "--band", "10:12", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "150", "--unit", "furlong"], 2),
    ({"wall": "spline", "bands": ["10:12"], "aperture_radius": 60, "final_radius": 20,
      "length": 150, "wall_thickness": 2},
     ["spline", "--band", "10:12", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "150", "--wall-thickness", "2"], 2),
    ({"wall": "corr", "bands": ["10:12"], "aperture_radius": 60, "final_radius": 20,
      "length": 150, "per_wavelength": 4.999},
     ["corr", "--band", "10:12", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "150", "--per-wavelength", "4.999"], 2),
    ({"wall": "corr", "bands": ["10:30"], "aperture_radius": 60, "final_radius": 20,
      "length": 150},
     ["corr", "--band", "10:30", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "150"], 1),
    ({"wall": "corr", "bands": ["10:12"], "aperture_radius": 60, "final_radius": 20,
      "length": 1},
     ["corr", "--band", "10:12", "--aperture-radius", "60", "--final-radius", "20", "--length",
      "1"], 1),
]


@pytest.mark.parametrize("keywords, arguments, status", REFUSALS)
def test_a_refused_design_fails_as_hornwall_design_does(keywords, arguments, status):
    done = run("design", *arguments)
    with pytest.raises(hornwall.Error) as failure:
        hornwall.design(**keywords)
    assert str(failure.value) == error_lines(done)
    assert failure.value.status == done.status == status


def test_five_per_wavelength_is_the_least():
    designed = hornwall.design("corr", bands=["10:12"], aperture_radius=60, final_radius=20,
                               length=150, per_wavelength=5)
    assert "5.0 per wavelength at 12.00 GHz" in designed.report


@pytest.mark.parametrize("name", ["", "two\nlines.zul", "return\r.zul", " blank.zul"])
def test_an_object_file_name_must_stand_on_one_line(name):
    with pytest.raises(hornwall.Error) as failure:
        hornwall.design("corr", bands=["10:12"], aperture_radius=60, final_radius=20,
                        length=150, object_file=name)
    assert failure.value.status == 2
    assert str(failure.value).startswith("hornwall_design: invalid object file name '")


@pytest.mark.parametrize("keywords", [
    {"lenght": 150},
    {"aperture_radius": True},
    {"aperture_radius": [60]},
])
def test_a_keyword_that_is_no_option_is_a_type_error(keywords):
    request = {"aperture_radius": 60, "final_radius": 20, "length": 150}
    with pytest.raises(TypeError):
        hornwall.design("corr", bands=["10:12"], **{**request, **keywords})
