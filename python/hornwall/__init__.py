"""hornwall from Python: the walls of corrugated horns read, checked, designed and generated
in this process, by the same library as the programs hornwall_view, hornwall_design and the
generators.

    import hornwall

    designed = hornwall.design("corr", bands=[(10e9, 12e9)], aperture_radius=60,
                               final_radius=20, length=150)
    made = hornwall.generate("corr", designed.answers, set={"CD1": 7.6})
    wall = hornwall.read("horn.zul")
    figures = wall.check(bands=[(10e9, 12e9)], min_coverage=25)

Each call takes the options of its program as keyword arguments (aperture_radius for
--aperture-radius) and refuses what its program refuses, with the same words: a failure
raises hornwall.Error, whose text is what the program prints on its error output and whose
status is the exit status it gives. A band is a pair (low, high) in hertz, or a text as
--band takes it ("10:12", in GHz). Text comes back as str decoded from UTF-8, every byte that
is not UTF-8 kept as a lone surrogate, as Python decodes file names: text.encode("utf-8",
"surrogateescape") gives back the programs' bytes.
"""

import dataclasses
import functools
import numbers
import os


class Error(Exception):
    """A call that failed as its program would: str(error) is what the program prints on its
    error output (the catalogue line "severe (29): ...", and the line that says where in the
    answers; or "hornwall_view: cannot open ..."; of a refused option, the reason without the
    usage line), and status the exit status it gives."""

    def __init__(self, message, status):
        super().__init__(message)
        self.status = status

    @property
    def lines(self):
        """The lines of the message."""
        return str(self).split("\n")


from . import _hornwall  # noqa: E402  (its failures raise the Error above)

__version__ = _hornwall.version

# The name under which generate() reads its answers, as its messages show it.
ANSWERS_NAME = _hornwall.answers_name


def _bytes(text):
    """Text (str or bytes) as the programs take it."""
    if isinstance(text, bytes):
        return text
    if isinstance(text, str):
        return text.encode("utf-8", "surrogateescape")
    raise TypeError(f"expected str or bytes, not {type(text).__name__}")


def _number(value):
    """A number as an option takes it: an int in full, a float in the shortest form that
    reads back the same; a str as it is."""
    if isinstance(value, str):
        return value
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"expected a number, not {type(value).__name__}")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    return repr(float(value))


def _band(band):
    """A band as --band takes it: (low, high) in hertz, or a text such as "10:12"."""
    if isinstance(band, (str, bytes)):
        return _bytes(band)
    try:
        low, high = band
    except (TypeError, ValueError):
        raise TypeError("a band is a pair (low, high) in hertz, or a text such as '10:12'") \
            from None
    return _bytes(f"{_number(low)}Hz:{_number(high)}Hz")


def _bands(bands):
    if bands is None:
        return []
    if isinstance(bands, (str, bytes)):
        return [_band(bands)]
    return [_band(band) for band in bands]


class Profile:
    """One profile of a wall: its name, the line of its name, its length unit (None when it
    names none), how it ends ("closed", "open" at the end of the file, or "cut"), its nodes
    (z and rho, read-only numpy arrays with one entry per row of its table, NaN for a node
    that could not be evaluated; not_evaluated counts those), how it carries corrugations
    ("none", "faced", "smooth") and its corrugations: the columns of hornwall_view
    --corrugations for this profile ("index", "z_near", "z_far", "height", "thickness", "gap",
    "pitch"), numpy arrays in the file's unit, NaN where the table has no value."""

    __slots__ = ("name", "line", "unit", "end", "not_evaluated", "z", "rho", "corrugated",
                 "corrugations")

    def __init__(self, entry):
        for name in self.__slots__:
            setattr(self, name, entry[name])

    @property
    def nodes(self):
        """How many rows its table has."""
        return len(self.z)

    def __repr__(self):
        unit = f" {self.unit}" if self.unit else ""
        return (f"<hornwall.Profile {self.name!r}: {self.nodes} nodes{unit}, "
                f"{len(self.corrugations['index'])} corrugations, {self.end}>")


class Wall:
    """A wall read from an object file, evaluated and checked as hornwall_view does without
    bands: its variables, profiles, corrugations and findings. check() checks it again against
    bands."""

    def __init__(self, core):
        self._core = core

    @property
    def file(self):
        """The path it was read from, as it was given."""
        return self._core.file

    @property
    def variable_count(self):
        """How many variable blocks the file holds."""
        return self._core.variable_count

    @property
    def errors(self):
        """The errors found without bands."""
        return self._core.errors

    @property
    def warnings(self):
        """The warnings found without bands."""
        return self._core.warnings

    @property
    def verdict(self):
        """How the check without bands comes out: "passes", "fails with 2 errors"."""
        return self._core.verdict

    @functools.cached_property
    def variables(self):
        """The value of every variable that has one, by name (a name defined twice: its later
        value); a variable whose value could not be evaluated has its finding instead."""
        return self._core.variables()

    @functools.cached_property
    def profiles(self):
        """Its profiles, in file order (see Profile)."""
        return tuple(Profile(entry) for entry in self._core.profiles())

    @functools.cached_property
    def corrugations(self):
        """The columns of hornwall_view --corrugations: "profile" (a list of names), "index",
        "z_near", "z_far", "height", "thickness", "gap", "pitch" (numpy arrays in the file's
        unit, NaN where the table has no value). corrugation_table() adds a band's columns."""
        return self.corrugation_table()

    @functools.cached_property
    def diagnostics(self):
        """The findings without bands, by line, as the report's "findings" gives them: each a
        dict of "file", "line", "kind", "severity" and "text"."""
        return self._core.findings()

    @functools.cached_property
    def messages(self):
        """The findings without bands as hornwall_view prints them, one line each."""
        return self._core.messages()

    def check(self, bands=(), min_coverage=None, strict=False, mirror=False):
        """Checks the wall as hornwall_view does with --band for each of `bands` (at most two),
        --min-coverage `min_coverage` (percent; 25 when None), --strict and --mirror, and
        returns what its --json report says for that run as Python values: the same keys and
        values (a number that is not finite as None), but "outputs", which is empty, since
        no file is written. Raises Error for what hornwall_view's command line refuses."""
        coverage = b"" if min_coverage is None else _bytes(_number(min_coverage))
        return self._core.check(_bands(bands), coverage, bool(strict), bool(mirror))

    def corrugation_table(self, bands=()):
        """The columns of hornwall_view --corrugations with --band for each of `bands`: those
        of `corrugations`, and with bands "q_GHz" and "capacitive_1", "capacitive_2"."""
        return self._core.corrugation_table(_bands(bands))

    def coverage(self, bands):
        """For each profile (in the order of `profiles`), for each of `bands`, how its
        corrugations cover the band: a dict of "hz" (the band's frequencies at which the checks
        judge it), "coverage" (the part of the corrugations capacitive at each, from 0 to 1)
        and "corrugations" (how many); an empty list for a profile without corrugations or
        whose length unit does not convert to metres."""
        return self._core.coverage(_bands(bands))

    def __repr__(self):
        return (f"<hornwall.Wall {self.file!r}: {len(self.profiles)} profiles, "
                f"{self.variable_count} variables, {self.verdict}>")


def read(path):
    """Reads the object file at `path` (str, bytes or a path object) as hornwall_view does
    and returns its Wall. Raises Error when the file cannot be opened or read."""
    return Wall(_hornwall.read(os.fsencode(path)))


@dataclasses.dataclass(frozen=True)
class Design:
    """A wall designed by hornwall_design: the answers file for its generator, the report
    hornwall_design prints, and every numeric answer by its symbol."""

    answers: str
    report: str
    values: dict


_DESIGN_OPTIONS = ("aperture_radius", "final_radius", "wall_thickness", "length", "unit",
                   "margin", "per_wavelength", "slot_ratio", "min_thickness", "first",
                   "variable", "points")


def design(wall, bands, *, object_file="horn.zul", taper=False, one_set=False, **options):
    """Designs `wall` ("corr", "sinecorr", "thickcorr", "spline") for `bands` (one, or two
    for a dual band) as hornwall_design does, its options given by name: aperture_radius,
    length, final_radius, wall_thickness (a number or a pair), unit ("mm"), margin,
    per_wavelength, slot_ratio, min_thickness, first, variable, points, and the switches
    taper and one_set. The answers name the object file `object_file`. Returns a Design;
    raises Error with hornwall_design's line for what it refuses (status 2) or cannot design
    (status 1)."""
    arguments = []
    for band in _bands(bands):
        arguments.append(b"--band=" + band)
    for name in _DESIGN_OPTIONS:
        value = options.pop(name, None)
        if value is None:
            continue
        if name == "unit":
            text = _bytes(value)
        elif name == "wall_thickness" and not isinstance(value, (str, bytes, numbers.Real)):
            text = _bytes(":".join(_number(part) for part in value))
        else:
            text = _bytes(_number(value))
        arguments.append(b"--" + name.replace("_", "-").encode() + b"=" + text)
    if options:
        raise TypeError(f"design() got an unexpected keyword argument {next(iter(options))!r}")
    if taper:
        arguments.append(b"--taper")
    if one_set:
        arguments.append(b"--one-set")
    arguments += [b"--", _bytes(wall)]
    return Design(**_hornwall.design(arguments, _bytes(object_file)))


@dataclasses.dataclass(frozen=True)
class Generated:
    """What a generator run wrote: the object file's name (as the answers give it) and text,
    and the transcript of its console."""

    object_name: str
    object_file: str
    transcript: str


def generate(program, answers, set=None, close=False, parametric_heights=False):
    """Runs the generator `program` ("corr" or "hornwall_corr") on the answers file text
    `answers`, as the program runs with --answers, each item of `set` given as --set
    SYMBOL=VALUE, and --close and --parametric-heights when asked. The object file is kept in
    memory: nothing is written to the disk. Returns Generated; raises Error with what the
    program prints when it fails (the answers read as the file ANSWERS_NAME)."""
    arguments = []
    for symbol, value in (set or {}).items():
        arguments.append(b"--set=" + _bytes(symbol) + b"=" + _bytes(_number(value)))
    if close:
        arguments.append(b"--close")
    if parametric_heights:
        arguments.append(b"--parametric-heights")
    return Generated(**_hornwall.generate(_bytes(program), _bytes(answers), arguments))
