"""The package hornwall: its Python files (hornwall/) and the binding _hornwall, built by CMake
from the project one folder up (the target hornwall_python, in build/pip there) for the
Python that runs this build, and copied into the package.

    python3 -m pip install --no-build-isolation ./python
"""

import os
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def version():
    """The project's version, kept once, in its CMakeLists.txt."""
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        found = re.search(r"project\(hornwall VERSION (\S+)", f.read())
    if not found:
        sys.exit(f"hornwall: no project version in {ROOT}/CMakeLists.txt: build from the "
                 "project's own folder")
    return found.group(1)


class CMakeBuild(build_ext):
    """Builds the binding with the project's CMake build, for this Python."""

    def build_extension(self, ext):
        build = os.path.join(ROOT, "build", "pip")
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                        "-DHORNWALL_BUILD_TESTS=OFF", "-DHORNWALL_PYTHON=ON",
                        f"-DHORNWALL_PYTHON_INTERPRETER={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", build, "--target", "hornwall_python", "-j", "2"],
                       check=True)
        name = os.path.basename(self.get_ext_filename(ext.name))
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(build, "python", "hornwall", name), target)


setup(
    name="hornwall",
    version=version(),
    description="The walls of corrugated horns read, checked, designed and generated in Python",
    license="MIT",
    python_requires=">=3.9",
    install_requires=["numpy"],
    packages=["hornwall"],
    ext_modules=[Extension("hornwall._hornwall", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
