#!/usr/bin/env bash
# Installs whatever is missing from a package list (default scripts/debian-packages.txt); does nothing when
# all are present. Usage: install-deps.sh [LIST_FILE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=${1:-"$here/debian-packages.txt"}
mapfile -t wanted < <(grep -vE '^\s*(#|$)' "$list")
missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
