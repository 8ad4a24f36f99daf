#!/bin/sh
# Writes quarvel-cli's manual page from its --help and --version:
#   manual.sh QUARVEL-CLI OUT.1.gz
set -eu
cli=$1
out=$2
page=${out%.gz}
# The help names the window's buttons in German: the page stays UTF-8.
ASAN_OPTIONS=detect_leaks=0 help2man --no-info --section=1 --locale=C.UTF-8 \
  --name="split train-simulator shapes into LODs and sub-objects" --output="$page" "$cli"
# help2man fills the examples into one paragraph; they are one command a line.
sed -i '/^\.SH EXAMPLES/,/^\.SH [^E]/s/^quarvel\\-cli .*$/&\n.br/' "$page"
# Compressed as Debian keeps manual pages, without gzip's time stamp, so
# that the same program gives the same package.
gzip -9nf "$page"
