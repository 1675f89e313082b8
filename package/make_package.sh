#!/usr/bin/env bash
# Writes the Octave package coatings-<version>.tar.gz into the given folder
# (default build/), from the sources and modules listed in sources.txt:
#   package/make_package.sh [folder]
# Users install it with `pkg install coatings-<version>.tar.gz` and
# `pkg load coatings`; pkg install runs make in src/ with MKOCTFILE set.
# MATLAB users run the coat_build.m at its top, which builds from src/ too.
# Needs no CMake build: only bash, awk, tar, gzip, and xsimd's headers, which
# the package carries for the targets without glibc's libmvec (Windows, macOS,
# aarch64): those of the folder XSIMD_INCLUDE_DIR, by default /usr/include
# (Debian: libxsimd-dev), and the licence in the file XSIMD_LICENCE.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root/build}"
out=$(cd "${1:-$root/build}" && pwd)

# sources.txt read as CMake and coat_build.m read it: an unknown kind or
# condition, conditions on a kind other than core and library, or an entry
# short of the fields its kind needs stops the script.
awk 'BEGIN { n["version"] = n["flags"] = n["release"] = n["library"] = n["core"] = 1
             n["gateway"] = n["legacy"] = n["private"] = 1; n["module"] = n["function"] = n["example"] = 2
             split("mvec xsimd x86_64 aarch64", list, " "); for (i in list) known[list[i]] = 1 }
     /^[ \t]*(#|$)/ { next }
     { k = $1; i = index(k, ":")
       if (i) { c = substr(k, i + 1); k = substr(k, 1, i - 1)
                if (k != "core" && k != "library") fail("only core and library entries take conditions")
                m = split(c, cs, ","); for (j = 1; j <= m; j++) if (!(cs[j] in known)) fail("unknown condition \x27" cs[j] "\x27") }
       if (!(k in n)) fail("unknown entry")
       if (NF - 1 < n[k]) fail("a " k " entry takes at least " n[k] " field(s)") }
     function fail(why) { printf "sources.txt:%d: \x27%s\x27: %s\n", NR, $0, why > "/dev/stderr"; bad = 1; exit 1 }
     END { exit bad }' "$root/sources.txt"

# The fields of every sources.txt entry of one kind, an entry a line; with
# -a, every entry of that kind whatever its conditions, the conditions (or
# "-") first.
entries() {
  local all=0
  [ "$1" != -a ] || { all=1; shift; }
  awk -v kind="$1" -v all=$all '/^[ \t]*(#|$)/ { next }
      { k = $1; c = "-"; i = index(k, ":")
      if (i) { c = substr(k, i + 1); k = substr(k, 1, i - 1) }
      if (k != kind || (c != "-" && !all)) next
      $1 = ""; sub(/^ +/, ""); print (all ? c " " : "") $0 }' "$root/sources.txt"
}
xsimd=${XSIMD_INCLUDE_DIR:-/usr/include}/xsimd
if [ ! -f "$xsimd/xsimd.hpp" ]; then
  echo "xsimd's headers not found in $xsimd (Debian: apt-get install libxsimd-dev; or set" \
       "XSIMD_INCLUDE_DIR to the folder holding xsimd/xsimd.hpp)" >&2
  exit 1
fi
xsimd_licence=${XSIMD_LICENCE:-/usr/share/doc/libxsimd-dev/copyright}
if [ ! -f "$xsimd_licence" ]; then
  echo "xsimd's licence not found at $xsimd_licence (set XSIMD_LICENCE to its file)" >&2
  exit 1
fi
version=$(entries version)
name=coatings-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top=$stage/$name
mkdir -p "$top/inst" "$top/src/legacy"

cat > "$top/DESCRIPTION" <<END
Name: coatings
Version: $version
Date: $(git -C "$root" log -1 --format=%cs 2>/dev/null || date +%F)
Author: The coatings developers
Maintainer: The coatings developers
Title: Reflectance, group delay and GDD of dielectric multilayer mirrors
Description: MEX modules computing the reflectance, the group delay (fs) and
 the group-delay dispersion (fs^2) of a two-material dielectric multilayer
 coating on reflection, and their exact derivatives with respect to every
 layer thickness, for the design of dispersive and chirped mirrors inside
 optimisation loops.
Categories: Optics
Depends: octave (>= 7.1.0)
License: BSD-3-Clause
END
# The modules compiled on targets without libmvec contain xsimd's code: its
# licence goes with theirs.
{
  cat "$root/LICENSE"
  printf '\n\nsrc/xsimd holds the headers of xsimd (https://github.com/xtensor-stack/xsimd),\n'
  printf 'used for the sine and cosine on targets without glibc'"'"'s libmvec, under\n'
  printf 'these terms:\n\n'
  cat "$xsimd_licence"
} > "$top/COPYING"
cp "$root/package/post_install.m" "$root/coat_build.m" "$top/"

# The function index: categories in their order in sources.txt, each
# followed by its functions.
{
  echo "toolbox >> coatings"
  cat <(entries module) <(entries function) <(entries example) | awk '{ f = $1; $1 = ""; c = substr($0, 2);
    if (!(c in list)) order[++n] = c; list[c] = list[c] "  " f "\n" }
    END { for (i = 1; i <= n; i++) printf "%s\n%s", order[i], list[order[i]] }'
} > "$top/INDEX"

# inst/: the modules' help files, the functions for users and the examples,
# installed as they are, and in inst/private/ the helpers the functions share
# (coat_build.m takes the functions, helpers and examples from here too).
for m in $(entries module | cut -d' ' -f1); do cp "$root/gateways/$m.m" "$top/inst/"; done
for f in $(entries function | cut -d' ' -f1); do cp "$root/toolbox/$f.m" "$top/inst/"; done
for e in $(entries example | cut -d' ' -f1); do cp "$root/examples/$e.m" "$top/inst/"; done
mkdir -p "$top/inst/private"
for p in $(entries private); do cp "$root/toolbox/private/$p.m" "$top/inst/private/"; done

# src/: every source in its folder, every header, sources.txt and the
# modules' help files for coat_build.m, xsimd's headers, and the Makefile. The
# first-generation builds and their help files go to src/legacy, which
# post_install.m places beside the installed modules.
copy_src() { mkdir -p "$top/src/$(dirname "$1")"; cp "$root/$1" "$top/src/$1"; }
core=$(entries core | cut -d' ' -f1)
gateway=$(entries gateway)
modules=$(entries module | cut -d' ' -f1)
legacy=$(entries legacy)
for f in $(entries -a core | cut -d' ' -f2) $gateway gateways/exports.map sources.txt; do copy_src "$f"; done
for m in $modules; do copy_src "gateways/$m.cpp"; copy_src "gateways/$m.m"; done
for m in $legacy; do
  copy_src "gateways/legacy/$m.cpp"; copy_src "gateways/legacy/$m.m"
  cp "$root/gateways/legacy/$m.m" "$top/src/legacy/"
done
cp -r "$xsimd" "$top/src/xsimd"
(cd "$root" && find . -name '*.h' -not -path './build*' -not -path './tests/*' \
   -not -path './bench/*' -not -path './.git/*') | while read -r h; do copy_src "${h#./}"; done

objects() { for f in "$@"; do printf ' %s' "${f%.cpp}.o"; done; }
{
  echo "# Builds every module with mkoctfile, with the flags of the CMake build;"
  echo "# pkg install runs make here and copies the *.mex of this folder into the"
  echo "# package. Written by ./build.sh package from sources.txt."
  echo "MKOCTFILE ?= mkoctfile"
  echo "FLAGS := $(cat <(entries flags) <(entries release) | tr '\n' ' ')-I."
  echo "LIBS := $(for l in $(entries library); do printf -- '-l%s ' "$l"; done)"
  echo "# Only mexFunction and mexVersion exported, where the linker takes a version script."
  echo "ifeq (\$(shell uname -s),Linux)"
  echo "EXPORTS := -Wl,--version-script=gateways/exports.map"
  echo "endif"
  echo "CORE :=$(objects $core)"
  cat <<'END'

# The conditions of sources.txt the compiler's target meets: its processor,
# and where the vector sines and cosines come from: glibc's libmvec on x86-64
# Linux with glibc, xsimd (its headers in xsimd/) everywhere else.
# COAT_LIBMVEC=OFF, in the environment or on make's command line, takes
# xsimd there too.
MACHINE := $(shell $(shell $(MKOCTFILE) -p CXX) -dumpmachine)
ARCH := $(patsubst arm64,aarch64,$(firstword $(subst -, ,$(MACHINE))))
ifndef COAT_LIBMVEC
COAT_LIBMVEC := $(if $(and $(filter x86_64,$(ARCH)),$(findstring linux,$(MACHINE)),$(if $(findstring musl,$(MACHINE)),,yes)),ON,OFF)
endif
CONDITIONS := $(if $(filter ON,$(COAT_LIBMVEC)),mvec,xsimd) $(ARCH)
END
  # The entries that hold for some targets only.
  when() { printf 'ifeq ($(words $(filter %s,$(CONDITIONS))),%d)\n' "${1//,/ }" "$(($(tr -cd , <<< "$1" | wc -c) + 1))"; }
  entries -a core | while read -r c f flags; do
    [ "$c" = - ] || printf '%s\nCORE +=%s\nendif\n' "$(when "$c")" "$(objects "$f")"
  done
  entries -a library | while read -r c libraries; do
    [ "$c" = - ] || printf '%s\nLIBS +=%s\nendif\n' "$(when "$c")" "$(for l in $libraries; do printf ' -l%s' "$l"; done)"
  done
  echo "GATEWAY :=$(objects $gateway)"
  echo "MODULES :=$(for m in $modules; do printf ' %s.mex' "$m"; done)"
  echo "LEGACY :=$(for m in $legacy; do printf ' legacy/%s.mex' "$m"; done)"
  cat <<'END'

all: $(MODULES) $(LEGACY)

# Files first: mkoctfile takes a file that follows a flag it does not know
# for that flag's argument.
%.o: %.cpp
	$(MKOCTFILE) -c $< $(FLAGS) -o $@

# The core as an archive, so that each module takes only what it calls;
# the modules stripped of the debugging information mkoctfile adds.
libcoatcore.a: $(CORE)
	$(AR) rcs $@ $^

$(MODULES): %.mex: gateways/%.o $(GATEWAY) libcoatcore.a
	$(MKOCTFILE) --mex -s -o $@ $^ $(EXPORTS) $(LIBS)

$(LEGACY): legacy/%.mex: gateways/legacy/%.o $(GATEWAY) libcoatcore.a
	$(MKOCTFILE) --mex -s -o $@ $^ $(EXPORTS) $(LIBS)
END
  # A core source's own flags.
  entries -a core | while read -r c f flags; do
    [ -z "$flags" ] || printf '\n%s: FLAGS += %s\n' "${f%.cpp}.o" "$flags"
  done
} > "$top/src/Makefile"

tar -C "$stage" --owner=0 --group=0 --numeric-owner -czf "$out/$name.tar.gz" "$name"
echo "$out/$name.tar.gz"
