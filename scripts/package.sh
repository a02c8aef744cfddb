#!/usr/bin/env bash
# Builds the Debian packages in build-package/: frostel_<version>_amd64.deb (the programs),
# frostel-demo_<version>_amd64.deb (the simulated reader) and frostel-server_<version>_all.deb
# (an archive on this PC's PostgreSQL server), from a Release build with Debian's hardening
# flags, in a build folder of its own, without tests or benchmarks. Their dependencies come
# from dpkg-shlibdeps (dpkg-dev).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# -fno-ident: no compiler banner in the .comment section, which strip would leave behind.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) -fno-ident"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

# A failed build must not leave an older package behind to be taken for this one.
rm -f build-package/frostel*.deb
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DFROSTEL_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/frostel*.deb
