// The module hornwall._hornwall: the libraries of the programs, called from Python. The
// package hornwall (hornwall/__init__.py) turns keyword arguments into the options these
// calls read and presents what they return.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <exception>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "call_error.hpp"
#include "python_values.hpp"
#include "read_wall.hpp"
#include "runs.hpp"

namespace hornwall::python {
namespace {

// A CallError as the script sees it: hornwall.Error(lines, status).
void translate(std::exception_ptr thrown) {
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const CallError& failure) {
    const py::object error = py::module_::import("hornwall").attr("Error");
    const py::object raised = error(text(failure.lines()), failure.status());
    PyErr_SetObject(error.ptr(), raised.ptr());
  }
}

std::string messages(const ReadWall& self) {
  std::ostringstream out;
  view::write_diagnostics(self.diagnostics(), self.file(), out);
  return out.str();
}

py::dict generated(std::string program, std::string answers, std::vector<std::string> arguments) {
  Generated run;
  {
    py::gil_scoped_release unlocked;
    run = generate_in_memory(program, std::move(answers), arguments);
  }
  py::dict result;
  result["object_name"] = text(run.object_name);
  result["object_file"] = text(run.object_file);
  result["transcript"] = text(run.transcript);
  return result;
}

py::dict designed(std::vector<std::string> arguments, std::string object_file) {
  Designed wall;
  {
    py::gil_scoped_release unlocked;
    wall = design_from_options(arguments, object_file);
  }
  py::dict values;
  for (const auto& [symbol, value] : wall.values) values[text(symbol)] = value;
  py::dict result;
  result["answers"] = text(wall.answers);
  result["report"] = text(wall.report);
  result["values"] = values;
  return result;
}

}  // namespace
}  // namespace hornwall::python

PYBIND11_MODULE(_hornwall, m) {
  namespace py = pybind11;
  using namespace hornwall::python;
  m.doc() = "The libraries of hornwall's programs; use the package hornwall.";
  py::register_exception_translator(translate);
  m.attr("version") = HORNWALL_VERSION;
  m.attr("answers_name") = text(answers_name);

  py::class_<ReadWall, std::shared_ptr<ReadWall>>(m, "Wall")
      .def_property_readonly("file", [](const ReadWall& self) { return text(self.file()); })
      .def_property_readonly("variable_count",
                             [](const ReadWall& self) { return self.wall().variable_count; })
      .def_property_readonly("errors",
                             [](const ReadWall& self) { return self.diagnostics().error_count(); })
      .def_property_readonly(
          "warnings", [](const ReadWall& self) { return self.diagnostics().warning_count(); })
      .def_property_readonly("verdict",
                             [](const ReadWall& self) {
                               return hornwall::view::verdict_text(self.diagnostics(), false);
                             })
      .def("variables", [](const ReadWall& self) { return variables(self.wall()); })
      .def("profiles", &profile_list)
      .def("findings",
           [](const ReadWall& self) { return findings(self.diagnostics(), self.file()); })
      .def("messages", [](const ReadWall& self) { return text(messages(self)); })
      .def("check",
           [](ReadWall& self, const std::vector<std::string>& bands,
              const std::string& min_coverage, bool strict, bool mirror) {
             const CheckRequest request = check_request(bands, min_coverage, strict, mirror);
             const hornwall::view::Diagnostics found = self.check(request);
             return report(self, request, found);
           })
      .def("corrugation_table",
           [](ReadWall& self, const std::vector<std::string>& bands) {
             const CheckRequest request = check_request(bands, {}, false, false);
             self.measure(request.bands);
             return corrugation_table(self.wall(), request.bands);
           })
      .def("coverage", [](const ReadWall& self, const std::vector<std::string>& bands) {
        const CheckRequest request = check_request(bands, {}, false, false);
        return coverage_curves(self.wall(), request.bands);
      });

  m.def("read", [](std::string path) {
    py::gil_scoped_release unlocked;
    return std::make_shared<ReadWall>(std::move(path));
  });
  m.def("design", &designed);
  m.def("generate", &generated);
}
