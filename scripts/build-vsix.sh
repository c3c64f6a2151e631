#!/usr/bin/env bash
# Builds the VS Code extension of editors/vscode/ into
# build/formula-language.vsix with @vscode/vsce from the npm registry. Needs
# node and npm (Debian: nodejs, npm); not part of scripts/test.sh, as it
# downloads packages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r editors/vscode/. "$work"/
mkdir -p "$work/syntaxes"
cp editors/formula.tmLanguage.json "$work/syntaxes/"
cd "$work"
npm install --no-audit --no-fund --loglevel=error
mkdir -p "$root/build"
npx --no-install vsce package --skip-license --allow-missing-repository --out "$root/build/formula-language.vsix"
echo "built $root/build/formula-language.vsix"
