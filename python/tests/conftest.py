"""What the tests of the module share: the programs of the same build, run as processes, to
compare each call with; the shipped examples, from the build's program list.

The build folder is HORNWALL_BUILD_DIR (CTest sets it), else build/release.
"""

import os
import re
import subprocess

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("HORNWALL_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
BUILD = os.environ.get("HORNWALL_BUILD_DIR", os.path.join(SOURCE, "build", "release"))
EXAMPLES = os.path.join(SOURCE, "examples")


def program_path(name):
    """The program hornwall_NAME of the build."""
    return os.path.join(BUILD, name, f"hornwall_{name}")


def examples():
    """(example, generator) for every shipped example, from the build's program list."""
    found = []
    with open(os.path.join(BUILD, "programs.list"), encoding="ascii") as listing:
        for line in listing:
            fields = line.split()
            if fields and fields[0] == "example":
                found.append((fields[2], fields[1]))
    return found


def example_bands(example):
    """The bands the first line of the example's answers names ("--band 10:12"), as
    --band takes them."""
    with open(os.path.join(EXAMPLES, f"{example}.answers"), encoding="ascii") as answers:
        return re.findall(r"--band (\S+)", answers.readline())


class Run:
    """What one run of a program left: its status and its two console streams, as bytes."""

    def __init__(self, status, out, err):
        self.status, self.out, self.err = status, out, err

    @property
    def err_text(self):
        return self.err.decode("utf-8", "surrogateescape")


def run(name, *arguments, cwd=None):
    """Runs hornwall_NAME with `arguments` (str or bytes) and no console input."""
    done = subprocess.run([program_path(name), *arguments], cwd=cwd, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    return Run(done.returncode, done.stdout, done.stderr)


def error_lines(run_result):
    """What a program said of a failure, as hornwall.Error carries it: its error output
    without the usage line and without the last line end."""
    lines = run_result.err_text.rstrip("\n").split("\n")
    return "\n".join(line for line in lines if not line.startswith("usage: "))


@pytest.fixture
def scratch(tmp_path):
    """A folder of the test's own, as a str."""
    return str(tmp_path)
