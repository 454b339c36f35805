# Sourced by scripts/test, scripts/fuzz and scripts/package (from the top of
# the tree): the two build trees, configured in this one place so that each
# script takes up the tree another one built and reconfigures nothing.
#
#   shipped tree       build/ (TESSAR_BUILD_DIR): configured as the Debian
#                      package is built (Release, Debian's hardening flags,
#                      prefix /usr), with the tests and benchmarks.
#                      scripts/test runs its suite, scripts/package packs it.
#   instrumented tree  build-asan/ (TESSAR_SANITIZE_BUILD_DIR): clang with
#                      AddressSanitizer, UndefinedBehaviorSanitizer and the
#                      fuzzer's coverage on every object. scripts/test
#                      --sanitize runs its suite, scripts/fuzz its fuzz targets.

shipped_tree=${TESSAR_BUILD_DIR:-build}
instrumented_tree=${TESSAR_SANITIZE_BUILD_DIR:-build-asan}

# ccache keeps compiled objects across build folders and clones of the tree
# (the sloppiness is what it asks for where a precompiled header is used).
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
# Debian's flags map the tree's folder to "." (-ffile-prefix-map=TREE=.): the
# objects are the same in every clone, so the folder is left out of the hash.
export CCACHE_IGNOREOPTIONS=${CCACHE_IGNOREOPTIONS:-"-ffile-prefix-map=*"}
# A precompiled header holds the folder it was built in, so no object built
# with it is the same in another clone: with ccache the suites go without it.
tree_launcher=()
if command -v ccache >/dev/null; then
  tree_launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DTESSAR_TEST_PCH=OFF)
fi

configure_shipped_tree() {
  # Debian's hardening flags (fortify, stack protector, relro, bind now); the
  # message tables are printf formats chosen at run time, so a non-literal
  # format is no error here
  local cxxflags ldflags
  cxxflags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS) $(
    DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)"
  cxxflags=${cxxflags//-Werror=format-security/}
  ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
  cmake -S . -B "$shipped_tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    "${tree_launcher[@]}" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
}

configure_instrumented_tree() {
  # its debug information names the tree "." too, as the shipped tree's does,
  # so that ccache takes its objects from another clone's build
  cmake -S . -B "$instrumented_tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTESSAR_SANITIZE=address,undefined -DTESSAR_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$PWD=." \
    -DTESSAR_BUILD_BENCH=OFF "${tree_launcher[@]}" >/dev/null
}

# The sanitizers' settings; child processes (orva-sim, tessar) inherit them.
export_sanitizer_options() {
  export ASAN_OPTIONS=${1:-detect_leaks=1:halt_on_error=1}
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
}
