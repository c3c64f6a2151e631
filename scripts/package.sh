#!/usr/bin/env bash
# Makes the release packages in out/packages/ with CPack, from the install
# rules of three builds (whatever any install() rule installs is packaged):
#   formula-suite_VERSION_amd64.deb                 Linux build (preset release)
#   formula-suite-VERSION-windows-i686.zip          32-bit Windows (windows-i686)
#   formula-suite-VERSION-windows-x86_64.zip        64-bit Windows (windows-x86_64)
# and, when they have been built, what lies outside the CMake builds:
#   formula-suite-VERSION-playground.zip            the browser playground, out/playground/
#   *.vsix                                          editor extensions (editors/**, out/)
# then SHA256SUMS, the SHA-256 of every artifact.
# The builds are the ones scripts/test.sh makes: an up-to-date build is not
# built again. scripts/package-checks.sh checks the result.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
root=$PWD
packages=$root/out/packages
version=$(sed -n 's/^project(formula_suite VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package.sh: no project version in CMakeLists.txt" >&2; exit 1; }

staging=$(mktemp -d /tmp/package.XXXXXX)
trap 'rm -rf "$staging"' EXIT
rm -rf "$packages"
mkdir -p "$packages"

for preset in release windows-i686 windows-x86_64; do
  printf '\n== %s\n' "$preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  cpack --config "build/$preset/CPackConfig.cmake" -B "$staging/$preset" >"$staging/$preset.log" ||
    { cat "$staging/$preset.log"; exit 1; }
  find "$staging/$preset" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.zip' \) \
    -exec mv {} "$packages/" \;
done

# The playground is a folder of static files, served as it is.
if [ -f out/playground/index.html ]; then
  (cd out && cmake -E tar cf "$packages/formula-suite-$version-playground.zip" --format=zip playground)
fi
while IFS= read -r -d '' extension; do
  cp "$extension" "$packages/"
done < <(find editors out -path out/packages -prune -o -name '*.vsix' -type f -print0 2>/dev/null)

(cd "$packages" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort |
  xargs sha256sum >SHA256SUMS)
printf '\npackages in out/packages:\n'
cat "$packages/SHA256SUMS"
