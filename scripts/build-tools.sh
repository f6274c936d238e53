# Sourced by the build scripts once $top (the source root) and $build (the build tree) are set: fills
# quillo_configure with the configure arguments that pick the compiler cache and the generator.
quillo_configure=()
if command -v ccache >/dev/null; then
  # Paths below the source root are hashed relative to the build folder, and the folder itself is left out of
  # the hash, so a clean clone at any path is served from the cache an earlier clone filled on this machine.
  export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=true
  quillo_configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# A new tree is built with Ninja, which schedules the many small steps (moc, uic, rcc, links) across all
# cores and checks a built tree faster than make. A tree that has a cache keeps the generator named there:
# CMake refuses to switch one, and such a tree builds as before.
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then
  quillo_configure+=(-G Ninja)
fi
