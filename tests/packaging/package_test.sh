#!/usr/bin/env bash
# The Debian package: exactly the files it should hold, owned by root and
# with their modes; no maintainer scripts; programs that run from the
# unpacked tree and find their language file; a manual page that lists
# every option of --help; and an install and purge in a throwaway root that
# leave no file behind.
#   package_test.sh [PACKAGE.deb]   (default: $QUARVEL_DEB; skipped without)
set -euo pipefail
export LC_COLLATE=C
deb="${1:-${QUARVEL_DEB:-}}"
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  echo "package_test: no package given (make test builds one and names it in QUARVEL_DEB): skipped"
  exit 77
fi
deb=$(realpath "$deb")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
  echo "package_test: $*" >&2
  status=1
}

expected="drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/quarvel
-rwxr-xr-x root/root ./usr/bin/quarvel-cli
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/applications/
-rw-r--r-- root/root ./usr/share/applications/quarvel.desktop
drwxr-xr-x root/root ./usr/share/icons/
drwxr-xr-x root/root ./usr/share/icons/hicolor/
drwxr-xr-x root/root ./usr/share/icons/hicolor/scalable/
drwxr-xr-x root/root ./usr/share/icons/hicolor/scalable/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/quarvel.svg
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/quarvel-cli.1.gz
drwxr-xr-x root/root ./usr/share/quarvel/
-rw-r--r-- root/root ./usr/share/quarvel/Quarvel_L.INI"
actual=$(dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' | sort -k3)
if [ "$actual" != "$expected" ]; then
  fail "the package's files differ from the expected ones:"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
fi

# Whatever a maintainer script created would be nobody's to remove.
dpkg-deb -e "$deb" "$work/control"
scripts=$(cd "$work/control" && ls | grep -vx -e control -e md5sums || true)
[ -z "$scripts" ] || fail "maintainer scripts in the package: $scripts"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 zlib1g; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
version=$(dpkg-deb -f "$deb" Version)

# The programs find their language file from where they are: the unpacked
# tree stands anywhere. A home of their own keeps the user's files out.
tree="$work/tree"
dpkg-deb -x "$deb" "$tree"
export HOME="$work/home"
unset XDG_CONFIG_HOME LC_ALL LC_MESSAGES LANG
cli="$tree/usr/bin/quarvel-cli"
[ "$("$cli" --version)" = "quarvel-cli $version" ] || fail "--version: $("$cli" --version)"
german=$("$cli" --lang de --no-such-option 2>&1 || true)
[[ "$german" == *"Mehr dazu mit 'quarvel-cli --help'."* ]] ||
  fail "no German message from the unpacked tree: $german"
[ ! -e "$HOME" ] || fail "the command line left files in the home folder"

# The manual page is the --help text: every option it names is on the page.
page=$(zcat "$tree/usr/share/man/man1/quarvel-cli.1.gz" | sed 's/\\-/-/g; s/\\f[BIR]//g')
for option in $("$cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  [[ "$page" == *"$option"* ]] || fail "the manual page lacks $option"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$tree/usr/share/applications/quarvel.desktop" || fail "invalid desktop entry"
fi

# Install and purge in a root of its own, with dpkg's database there too.
# The root has none of the dependencies, so dpkg is told not to mind.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg_in_root() {
  local force=depends
  [ "$(id -u)" = 0 ] || force=depends,not-root
  dpkg --root="$root" --force-"$force" --log=/dev/null "$@" >"$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log" >&2; return 1; }
}
files_of_root() { (cd "$root" && find . -not -path './var/lib/dpkg*' | sort); }
before=$(files_of_root)
dpkg_in_root -i "$deb"
[ "$("$root/usr/bin/quarvel-cli" --version)" = "quarvel-cli $version" ] ||
  fail "the installed quarvel-cli does not run"
# Every file in the root is the package's.
owned=$(dpkg --root="$root" -L quarvel | sed 's#^/\.$#.#; s#^/#./#' | sort -u)
unowned=$(comm -23 <(files_of_root) <(printf '%s\n' "$owned" "$before" | sort -u))
[ -z "$unowned" ] || fail "files in the root that the package does not own: $unowned"
dpkg_in_root --purge quarvel
[ "$(files_of_root)" = "$before" ] ||
  fail "the purge left: $(comm -13 <(echo "$before") <(files_of_root))"
if ls "$root/var/lib/dpkg/info" | grep -q "^quarvel\\."; then fail "dpkg still knows files of quarvel"; fi

exit $status
