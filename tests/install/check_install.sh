#!/bin/sh
# Installs the build into a fresh prefix and checks the installed program and manual page.
#
# Usage: check_install.sh CMAKE BUILD_DIR SOURCE_MAN_PAGE
#
# Why it is shaped so: the install rules are only proven by running them, so
# the test installs for real, into a temporary prefix that nothing else uses,
# and then looks at what arrived as a user would: the program at bin/, runnable
# from there, and the page at share/man/man1/, the very file of the source
# tree, well formed. Where groff (Debian's groff-base) or mandoc is present,
# the page must render without a single warning; without either, only its
# structure can be checked, and the test says so.
set -eu

cmake=$1
build=$2
source_page=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
prefix=$work/prefix

"$cmake" --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }

program=$prefix/bin/corvalen
page=$prefix/share/man/man1/corvalen.1
[ -f "$program" ] && [ -x "$program" ] || fail "no executable at $program"
[ -f "$page" ] || fail "no manual page at $page"
cmp -s "$page" "$source_page" || fail "installed page differs from $source_page"

# The installed program runs: a missing input file ends the dialogue at once.
mkdir "$work/run"
cd "$work/run"
status=0
console=$(printf 'no-such-spectrum.txt\n' | "$program") || status=$?
[ "$status" -eq 1 ] || fail "missing input: exit status $status, expected 1"
case $console in
    *" Failed to open file: no-such-spectrum.txt ") ;;
    *) fail "missing input: console does not end with the failure text: $console" ;;
esac

# And it does the whole job. Without a controlling terminal the final key
# wait ends at once, so a developer's terminal cannot hold the test up.
printf 'Hz EU\n50 3\n149.99 4\n150 1\n250 0\n' > demo.txt
without_terminal=
command -v setsid > /dev/null 2>&1 && without_terminal="setsid -w"
status=0
printf 'demo.txt 1 2 100 bands.txt\n' | $without_terminal "$program" > console.txt || status=$?
[ "$status" -eq 0 ] || fail "full run: exit status $status, expected 0"
printf '\n \t     100.00 \t  5.0000e+000\n \t     200.00 \t  1.0000e+000' > expected.txt
cmp -s bands.txt expected.txt || fail "full run: bands.txt is not the expected two records"

# The page's structure, whatever formatter is at hand.
head -n 20 "$page" | grep -q '^\.TH CORVALEN 1 ' || fail "no .TH CORVALEN 1 near the top of the page"
for section in NAME SYNOPSIS DESCRIPTION "THE DIALOGUE" "INPUT FILE" "OUTPUT FILE" BANDS \
    "EXIT STATUS" FILES EXAMPLES; do
    grep -qx -e "\\.SH $section" -e "\\.SH \"$section\"" "$page" || fail "no section $section"
done

# The formatter's verdict: any warning at all fails.
if command -v groff > /dev/null 2>&1; then
    groff -man -Tutf8 -ww -z "$page" > "$work/groff.log" 2>&1 ||
        { cat "$work/groff.log" >&2; fail "groff failed on the page"; }
    [ ! -s "$work/groff.log" ] || { cat "$work/groff.log" >&2; fail "groff warns about the page"; }
    echo "checked with groff"
elif command -v mandoc > /dev/null 2>&1; then
    mandoc -Tlint -W warning "$page" > "$work/mandoc.log" 2>&1 ||
        { cat "$work/mandoc.log" >&2; fail "mandoc finds faults in the page"; }
    [ ! -s "$work/mandoc.log" ] || { cat "$work/mandoc.log" >&2; fail "mandoc warns about the page"; }
    echo "checked with mandoc"
else
    echo "neither groff nor mandoc found: only the page's structure was checked"
fi
echo "installed and checked: $program, $page"
