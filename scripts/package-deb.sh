#!/usr/bin/env bash
# Builds the Debian packages kelvane-cli and kelvane from debian/ with
# dpkg-buildpackage -us -uc -b, in a copy of the tree as a clone has it (the files git
# tracks or would add, without build folders), and puts the .debs, the debug-symbol
# .ddebs, the .buildinfo and the .changes into OUTDIR (default build/linux/packages).
# dpkg-buildpackage writes next to the tree it builds: the copy sits in a temporary
# folder, so nothing lands beside the repository.
#   package-deb.sh [OUTDIR]
#   DEB_BUILD_OPTIONS   passed on; default parallel=2
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/linux/packages}

work=$(mktemp -d -t kelvane-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT
src=$work/kelvane
mkdir "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Files deleted in the work tree but not yet in the index are left out.
    git ls-files -co --exclude-standard -z |
        while IFS= read -r -d '' f; do if [ -e "$f" ]; then printf '%s\0' "$f"; fi; done |
        tar --null -cf - -T - | tar -xf - -m -C "$src"
else
    tar --exclude=./build --exclude=./out -cf - . | tar -xf - -m -C "$src"
fi
# -m above: every file gets the copy's time, so the packages' bytes cannot depend on the
# sources' file times (SOURCE_DATE_EPOCH, from debian/changelog, stands in for them).

start=$SECONDS
(cd "$src" && DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=2} dpkg-buildpackage -us -uc -b)
echo "dpkg-buildpackage: $((SECONDS - start))s"

mkdir -p "$out"
rm -f "$out"/kelvane_* "$out"/kelvane-cli_* "$out"/kelvane-dbgsym_* "$out"/kelvane-cli-dbgsym_*
cp "$work"/*.deb "$work"/*.buildinfo "$work"/*.changes "$out"/
if compgen -G "$work/*.ddeb" >/dev/null; then cp "$work"/*.ddeb "$out"/; fi
ls "$out"/*.deb
