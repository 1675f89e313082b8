#!/usr/bin/env bash
# Writes the Octave package coatings-<version>.tar.gz into the given folder
# (default build/), from the sources and modules listed in sources.txt:
#   package/make_package.sh [folder]
# Users install it with `pkg install coatings-<version>.tar.gz` and
# `pkg load coatings`; pkg install runs make in src/ with MKOCTFILE set.
# Needs no CMake build: only bash, awk, tar and gzip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root/build}"
out=$(cd "${1:-$root/build}" && pwd)

# The fields of every sources.txt entry of one kind, an entry a line.
entries() { awk -v kind="$1" '$1 == kind { $1 = ""; sub(/^ +/, ""); print }' "$root/sources.txt"; }
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
cp "$root/LICENSE" "$top/COPYING"
cp "$root/package/post_install.m" "$top/"

# The function index: categories in their order in sources.txt, each
# followed by its functions.
{
  echo "toolbox >> coatings"
  entries module | cat - <(entries example) | awk '{ f = $1; $1 = ""; c = substr($0, 2);
    if (!(c in list)) order[++n] = c; list[c] = list[c] "  " f "\n" }
    END { for (i = 1; i <= n; i++) printf "%s\n%s", order[i], list[order[i]] }'
} > "$top/INDEX"

# inst/: the modules' help files and the examples, installed as they are.
for m in $(entries module | cut -d' ' -f1); do cp "$root/gateways/$m.m" "$top/inst/"; done
for e in $(entries example | cut -d' ' -f1); do cp "$root/examples/$e.m" "$top/inst/"; done

# src/: every source in its folder, every header, and the Makefile. The
# first-generation builds and their help files go to src/legacy, which
# post_install.m places beside the installed modules.
copy_src() { mkdir -p "$top/src/$(dirname "$1")"; cp "$root/$1" "$top/src/$1"; }
core=$(entries core | cut -d' ' -f1)
gateway=$(entries gateway)
modules=$(entries module | cut -d' ' -f1)
legacy=$(entries legacy)
for f in $core $gateway gateways/exports.map; do copy_src "$f"; done
for m in $modules; do copy_src "gateways/$m.cpp"; done
for m in $legacy; do copy_src "gateways/legacy/$m.cpp"; cp "$root/gateways/legacy/$m.m" "$top/src/legacy/"; done
(cd "$root" && find . -name '*.h' -not -path './build*' -not -path './tests/*' \
   -not -path './bench/*' -not -path './.git/*') | while read -r h; do copy_src "${h#./}"; done

objects() { for f in "$@"; do printf ' %s' "${f%.cpp}.o"; done; }
{
  echo "# Builds every module with mkoctfile, with the flags of the CMake build;"
  echo "# pkg install runs make here and copies the *.mex of this folder into the"
  echo "# package. Written by ./build.sh package from sources.txt."
  echo "MKOCTFILE ?= mkoctfile"
  echo "FLAGS := -std=c++17 -O3 -DNDEBUG -Wno-psabi $(entries flags | tr '\n' ' ')-I."
  echo "LIBS := $(for l in $(entries library); do printf -- '-l%s ' "$l"; done)"
  echo "# Only mexFunction and mexVersion exported, where the linker takes a version script."
  echo "ifeq (\$(shell uname -s),Linux)"
  echo "EXPORTS := -Wl,--version-script=gateways/exports.map"
  echo "endif"
  echo "CORE :=$(objects $core)"
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
  entries core | while read -r f flags; do
    [ -z "$flags" ] || printf '\n%s: FLAGS += %s\n' "${f%.cpp}.o" "$flags"
  done
} > "$top/src/Makefile"

tar -C "$stage" --owner=0 --group=0 --numeric-owner -czf "$out/$name.tar.gz" "$name"
echo "$out/$name.tar.gz"
