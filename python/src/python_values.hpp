#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "hornwall/view/diagnostics.hpp"
#include "read_wall.hpp"

// The wall and its figures as Python values: what hornwall_view writes as text, built from
// the same structures.
namespace hornwall::python {

namespace py = pybind11;

// `bytes` as a Python string: UTF-8, every byte that is not kept as a lone surrogate, as
// Python decodes the names of files, so that text.encode("utf-8", "surrogateescape")
// gives the bytes back.
py::str text(std::string_view bytes);

// A number as the JSON report writes it: the double, or None when it is not finite.
py::object number(double value);

// The report of `examined`'s wall checked by `request` with the findings `found`: the keys
// and values of hornwall_view --json for the same file and options, but for "outputs",
// which is empty (a script writes no file).
py::dict report(const ReadWall& examined, const CheckRequest& request,
                const view::Diagnostics& found);

// The kept findings, sorted by line, as the report's "findings" gives them.
py::list findings(const view::Diagnostics& found, std::string_view file);

// The variables of `wall` that have a value, by name, in the order they were first named.
py::dict variables(const view::Wall& wall);

// The profiles of `holder`'s wall, each a dict: "name", "line" (of its name), "unit" (None
// when it names none), "end" ("closed", "open" or "cut"), "not_evaluated" (how many of its
// nodes), "z" and "rho" (node_column), "corrugated" ("none", "faced" or "smooth") and
// "corrugations" (corrugation_columns).
py::list profile_list(const std::shared_ptr<ReadWall>& holder);

// The z (or, without `z`, the rho) of every node of profile `p` of `holder`'s wall, NaN for
// a node that could not be evaluated: a read-only array over the wall's own nodes, which
// keeps the wall.
py::array node_column(const std::shared_ptr<ReadWall>& holder, std::size_t p, bool z);

// The columns of hornwall_view --corrugations for profile `profile` alone ("index",
// "z_near", "z_far", "height", "thickness", "gap", "pitch"), NaN where the table has no
// value.
py::dict corrugation_columns(const view::Profile& profile);

// The columns of hornwall_view --corrugations with `bands`, over every profile of `wall`
// (measured against those bands): "profile" a list of names, the others arrays, NaN where
// the table has no value.
py::dict corrugation_table(const view::Wall& wall, std::span<const FrequencyBand> bands);

// For each profile of `wall`, for each of `bands`, the part of its corrugations that is
// capacitive at each of the band's band_samples frequencies: a dict of "hz" and "coverage"
// (arrays, from 0 to 1) and "corrugations" (how many were judged); no bands for a profile
// without corrugations or whose length unit does not convert to metres.
py::list coverage_curves(const view::Wall& wall, std::span<const FrequencyBand> bands);

}  // namespace hornwall::python
