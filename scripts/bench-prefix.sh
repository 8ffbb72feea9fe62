# Sourced by the Wine benchmarks: a virtual display, and a fresh prefix copied
# from the build's end-to-end template (prepared like a Windows 10 system,
# made once per build), both removed again when the script exits.
#   prefix_template <build-dir>       sets $template (made once per build)
#   bench_prefix <build-dir> <name>   sets $prefix
#   winpath <unix path>               prints the path as Wine's Z: drive sees it
. "$(dirname "${BASH_SOURCE[0]}")/virtual-display.sh"

# Makes the build's end-to-end template once (under a lock, so that parallel
# runs prepare it once); sets $template.
prefix_template() {
  local build=$1 here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  template=$build/e2e-prefix-full
  (
    flock 9
    if [ ! -f "$template/.prepared" ]; then
      rm -rf "$template"
      "$here/prepare-prefix.sh" "$template"
      touch "$template/.prepared"
    fi
  ) 9>"$build/e2e-prefix-full.lock"
}

bench_prefix() {
  local build=$1 name=$2
  start_virtual_display
  prefix_template "$build"
  prefix=$(mktemp -d "/tmp/corvalin-$name.XXXXXX")
  trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$prefix"; stop_virtual_display' EXIT
  cp -a "$template/." "$prefix/"
}

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
