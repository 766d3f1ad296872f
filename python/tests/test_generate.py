"""hornwall.generate against the generators run with --answers: the same object file byte for
byte, the same transcript, the same failures."""

import concurrent.futures
import os

import pytest

import hornwall
from conftest import EXAMPLES, error_lines, examples, run


def answers_of(example):
    with open(os.path.join(EXAMPLES, f"{example}.answers"), encoding="ascii") as f:
        return f.read()


def run_on_answers(program, answers, arguments, scratch):
    """Runs hornwall_PROGRAM in `scratch` on the answers file hornwall.ANSWERS_NAME holding
    `answers`, as generate() reads them."""
    with open(os.path.join(scratch, hornwall.ANSWERS_NAME), "w", encoding="ascii") as f:
        f.write(answers)
    return run(program, "--answers", hornwall.ANSWERS_NAME, *arguments, cwd=scratch)


def object_file_of(scratch, name):
    with open(os.path.join(scratch, name), "rb") as f:
        return f.read()


@pytest.mark.parametrize("example, program", examples())
def test_every_example_is_its_object_file(example, program, scratch):
    made = hornwall.generate(program, answers_of(example))
    assert made.object_name == f"{example}.zul"
    assert made.object_file.encode("utf-8", "surrogateescape") == object_file_of(
        EXAMPLES, made.object_name)
    done = run_on_answers(program, answers_of(example), [], scratch)
    assert done.status == 0, done.err_text
    assert made.transcript.encode("utf-8", "surrogateescape") == done.out


# Each run with options: the example, the keywords, the command line after --answers.
OPTIONS = [
    ("corr-single", {"set": {"CD1": 7.6}}, ["--set", "CD1=7.6"]),
    ("corr-single", {"set": {"CD1": 7.6, "cd2": "7.7", "NCORR": 40}},
     ["--set", "CD1=7.6", "--set", "cd2=7.7", "--set", "NCORR=40"]),
    ("corr-dual", {"set": {"FILE": "other.zul"}}, ["--set", "FILE=other.zul"]),
    ("corr-single", {"close": True, "parametric_heights": True},
     ["--close", "--parametric-heights"]),
    ("sinecorr-dual", {"close": True}, ["--close"]),
    ("thickcorr-single", {"set": {"CD1": 1e-3}}, ["--set", "CD1=0.001"]),
    ("spline", {"set": {"NPTS": 99}}, ["--set", "NPTS=99"]),
    ("corr-single", {"set": {"CD1": -1}}, ["--set=CD1=-1"]),
]


@pytest.mark.parametrize("example, keywords, arguments", OPTIONS)
def test_options_are_those_of_the_program(example, keywords, arguments, scratch):
    program = dict(examples())[example]
    made = hornwall.generate(program, answers_of(example), **keywords)
    done = run_on_answers(program, answers_of(example), arguments, scratch)
    assert done.status == 0, done.err_text
    assert made.object_file.encode() == object_file_of(scratch, made.object_name)
    assert made.transcript.encode() == done.out


def cut(example, lines):
    return "".join(answers_of(example).splitlines(keepends=True)[:lines])


# Each failed run: the program, the answers, the keywords, the command line after --answers.
FAILURES = [
    pytest.param("corr", answers_of("corr-single"), {"set": {"CD1": "abc"}},
                 ["--set", "CD1=abc"], id="set value unreadable"),
    pytest.param("corr", answers_of("corr-single"), {"set": {"XYZ": 1}}, ["--set", "XYZ=1"],
                 id="unknown symbol"),
    pytest.param("corr", answers_of("corr-single"), {"set": {"C7": 1.5}}, ["--set", "C7=1.5"],
                 id="question not asked"),
    pytest.param("corr", answers_of("corr-single"), {"set": {"NCORR": 2.5}},
                 ["--set", "NCORR=2.5"], id="count not whole"),
    pytest.param("corr", answers_of("corr-single"), {"set": {"CD1": 1e39}},
                 ["--set", "CD1=1e+39"], id="beyond a float"),
    pytest.param("corr", cut("corr-single", 9), {}, [], id="answers cut short"),
    pytest.param("spline", cut("spline", 4), {}, [], id="spline answers cut short"),
    pytest.param("thickcorr", answers_of("thickcorr-dual").replace("\n0.5 ", "\nx.5 ", 1), {},
                 [], id="answer unreadable"),
    pytest.param("corr",
                 answers_of("corr-single").replace("corr-single.zul", hornwall.ANSWERS_NAME, 1),
                 {}, [], id="object file is the answers"),
    pytest.param("spline", answers_of("spline"), {"close": True}, ["--close"],
                 id="option of another wall"),
]


@pytest.mark.parametrize("program, answers, keywords, arguments", FAILURES)
def test_a_failed_run_fails_as_the_program_does(program, answers, keywords, arguments, scratch):
    done = run_on_answers(program, answers, arguments, scratch)
    assert done.status != 0
    with pytest.raises(hornwall.Error) as failure:
        hornwall.generate(program, answers, **keywords)
    assert str(failure.value) == error_lines(done)
    assert failure.value.status == done.status


def test_a_line_that_says_where_comes_with_the_catalogue_line():
    with pytest.raises(hornwall.Error) as failure:
        hornwall.generate("corr", cut("corr-single", 9))
    catalogue, where = failure.value.lines
    assert catalogue == "severe (24): end-of-file during read, unit 50, file <answers>"
    assert where.startswith("<answers>:10: error: ")


def test_an_unknown_program_is_refused():
    with pytest.raises(hornwall.Error) as failure:
        hornwall.generate("view", answers_of("corr-single"))
    assert str(failure.value) == ("hornwall: unknown program 'view': spline, sinecorr, corr or "
                                  "thickcorr")
    assert failure.value.status == 2


def test_answers_that_write_no_object_file_are_a_failure(scratch):
    answers = answers_of("corr-single").replace("1 ", "3 ", 1)
    done = run_on_answers("corr", answers, [], scratch)
    assert done.status == 0 and not os.path.exists(os.path.join(scratch, "corr-single.zul"))
    with pytest.raises(hornwall.Error) as failure:
        hornwall.generate("corr", answers)
    assert str(failure.value) == "hornwall_corr: the answers wrote no object file"
    assert failure.value.status == 1


def test_nothing_is_written_to_the_disk(scratch, monkeypatch):
    monkeypatch.chdir(scratch)
    hornwall.generate("corr", answers_of("corr-single"))
    assert os.listdir(scratch) == []


def test_runs_in_threads_at_once_are_the_runs_one_by_one():
    runs = [(program, answers_of(example)) for example, program in examples()] * 4
    alone = [hornwall.generate(program, answers) for program, answers in runs]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        together = list(pool.map(lambda run: hornwall.generate(*run), runs))
    assert together == alone
