"""How hornwall_view's summary and hornwall_design's report write a band's figures: the
line that the text says, worked from the figures of the JSON report, for the scripts that
check the one against the other."""
import math
from fractions import Fraction


def percent(count, total, threshold=None):
    value = 100.0 * count / total
    meets = threshold is not None and 100 * count >= Fraction(threshold) * total
    for decimals in range(7):
        text = f"{value:.{decimals}f}"
        honest = (float(text) != 100 or count == total) and (float(text) != 0 or count == 0)
        if threshold is not None:
            honest = honest and (float(text) >= threshold) == meets
        if honest:
            break
    return text + "%"


def ghz(hertz, band):
    hundredth = (band["high_hz"] - band["low_hz"]) / 100 / 1e9
    decimals = min(max(math.ceil(-math.log10(hundredth)), 1), 9)
    return f"{hertz / 1e9:.{decimals}f}"


def shift(value, sign):
    return f"{sign}{math.floor(value * 1000 + 1e-9) / 10:.1f}%"


def band_line(report, figures):
    band = report["bands"][figures["band"]]
    total = figures["corrugations"]
    worst = figures["worst"]
    threshold = report["min_coverage"]
    capacitive = round(figures["mean"] * 401 * total)
    text = (f"  band {band['label']}: worst {worst['count']} of {total} capacitive "
            f"({percent(worst['count'], total, threshold)}) at {ghz(worst['at_hz'], band)} "
            f"GHz, mean {percent(capacitive, 401 * total)}, ")
    margin = figures["margin"]
    if margin:
        text += f"margin {shift(margin['down'], '-')} / {shift(margin['up'], '+')}"
    else:
        text += "no margin"
    text += f" at {threshold:g}%"
    if figures["per_wavelength"] is not None:
        text += (f"; {figures['per_wavelength']:.1f} per wavelength at "
                 f"{ghz(band['high_hz'], band)} GHz")
    return text
