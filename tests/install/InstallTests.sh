#!/usr/bin/env bash
# InstallTests: installs the build tree into a new prefix and runs the installed programs from there.
# Usage: InstallTests.sh CMAKE BUILD_DIR VERSION
set -euo pipefail
cmake=$1 build=$2 version=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/velto-install-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; exit 1; }

# What a user's system looks for, where it looks for it.
for file in bin/velto-widget bin/velto-widget-desktop \
    share/velto-widget/Info.plist share/velto-widget/velto-widget.entitlements \
    share/velto-widget/samples/report.json share/velto-widget/images/UsageAgent-corvid.png \
    share/man/man1/velto-widget.1 share/man/man1/velto-widget-desktop.1 \
    share/bash-completion/completions/velto-widget share/bash-completion/completions/velto-widget-desktop \
    share/zsh/site-functions/_velto-widget \
    share/fish/vendor_completions.d/velto-widget.fish share/fish/vendor_completions.d/velto-widget-desktop.fish \
    share/applications/com.velto.WidgetDesktop.desktop lib/systemd/user/velto-widget-host.service \
    share/doc/velto-widget/copyright share/doc/velto-widget/examples/host.env.example; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
grep -qx "ExecStart=$prefix/bin/velto-widget host .*" "$prefix/lib/systemd/user/velto-widget-host.service" ||
  fail "the systemd unit does not start $prefix/bin/velto-widget"

# Every program says the project's version.
for program in "$prefix"/bin/*; do
  shown=$("$program" --version) || fail "$program --version failed"
  [ "$shown" = "$(basename "$program") $version" ] || fail "$program --version says \"$shown\", not $version"
done

# The installed program reads its bundle under the prefix, not the build tree's: a name changed in the prefix's
# copy of the sample shows in the demo, whose pictures come from the installed picture program.
cli=$prefix/bin/velto-widget
sed -i 's/"Corvid · Work"/"Corvid · Here"/' "$prefix/share/velto-widget/samples/report.json"
export TMPDIR=$work LANG=C.UTF-8 LANGUAGE=en
demo=$("$cli" demo --output "$work/pictures") || fail "demo failed"
grep -q "Corvid · Here" <<<"$demo" || fail "demo did not show the prefix's sample: $demo"
[ "$(find "$work/pictures" -name '*.png' | wc -l)" -eq 8 ] || fail "demo did not draw its 8 pictures"

# Completions stay true to the programs: every command and option --help names is offered by every shell.
commands=$("$cli" --help | sed -n '/^Subcommands:/,$s/^  \([a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "no commands found in velto-widget --help"
options() { "$@" | grep -o -- '--[a-z][a-z-]*' | sort -u; }
check_completions() {
  local words=$1 file
  shift
  for file in "$@"; do
    for word in $words; do
      pattern=$word
      [[ $word == --* ]] && pattern="(--|-l )${word#--}"  # fish names an option --NAME as -l NAME
      grep -qE -- "(^|[^a-z-])$pattern([^a-z-]|$)" "$file" || fail "$(basename "$file") does not offer $word"
    done
  done
}
cli_words="$commands $(for command in $commands; do options "$cli" "$command" --help; done | sort -u)"
check_completions "$cli_words" "$prefix"/share/bash-completion/completions/velto-widget \
  "$prefix"/share/zsh/site-functions/_velto-widget "$prefix"/share/fish/vendor_completions.d/velto-widget.fish
check_completions "$(options "$prefix"/bin/velto-widget-desktop --help)" \
  "$prefix"/share/bash-completion/completions/velto-widget-desktop \
  "$prefix"/share/zsh/site-functions/_velto-widget "$prefix"/share/fish/vendor_completions.d/velto-widget-desktop.fish
bash -n "$prefix"/share/bash-completion/completions/velto-widget || fail "bash completion does not parse"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "installed into $prefix and ran from there"
