"""Builds the extension module with CMake from the libcmds checkout that holds this folder.

The library is compiled into the module (static and position-independent), so the package needs
no installed libcmds; OpenSSL's libcrypto, which the password signature uses, is linked from the
system. CMAKE_BUILD_PARALLEL_LEVEL sets the build jobs (2 by default).
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import sysconfig

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

CHECKOUT = pathlib.Path(__file__).resolve().parent.parent


def library_version():
    text = (CHECKOUT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(cmds VERSION (\S+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(CHECKOUT), "-B", str(build),
            "-DCMAKE_BUILD_TYPE=Release",
            "-DBUILD_SHARED_LIBS=OFF",
            "-DCMAKE_POSITION_INDEPENDENT_CODE=ON",
            "-DCMDS_BUILD_PYTHON=ON",
            "-DCMDS_BUILD_TESTS=OFF",
            "-DCMDS_BUILD_EXAMPLES=OFF",
            "-DCMDS_BUILD_TOOLS=OFF",
            "-DCMDS_INSTALL=OFF",
            f"-DPython_EXECUTABLE={sys.executable}",
        ]
        if shutil.which("ninja") and not (build / "CMakeCache.txt").exists():
            configure += ["-G", "Ninja"]
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build), "--target", "cmds_python",
                        "--parallel", jobs], check=True)
        built = build / "python" / "cmds" / ("_cmds" + sysconfig.get_config_var("EXT_SUFFIX"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    version=library_version(),
    ext_modules=[Extension("cmds._cmds", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
