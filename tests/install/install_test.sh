#!/usr/bin/env bash
# `cmake --install` into a new prefix yields exactly the installation's files, its links in bin/
# reach the programs, the programs answer there, and the generated files name that prefix.
#   install_test.sh BUILD_DIR EXPECTED_FILES
set -euo pipefail
build=$1
expected=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
diff -u "$expected" <(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort) \
  || fail "the installed files differ from $expected (- expected, + installed)"

for program in quillbrook brackenhop quillbrook-reg quillbrook-bridge; do
  [[ $(readlink -f "$prefix/bin/$program") == "$prefix/lib/quillbrook/$program" ]] \
    || fail "bin/$program does not lead to lib/quillbrook/$program"
  [[ $("$prefix/bin/$program" --version) == "$program "* ]] || fail "$program --version"
  "$prefix/bin/$program" --help | grep -q "^Usage:" || fail "$program --help shows no usage"
done
grep -qxF "Exec=\"$prefix/lib/quillbrook/quillbrook\" -Embedding" \
  "$prefix/share/dbus-1/services/org.fernhollow.Quillbrook.service" || fail "the activation file's Exec"
for manifest in etc/chromium/native-messaging-hosts etc/opt/chrome/native-messaging-hosts \
                lib/mozilla/native-messaging-hosts; do
  grep -qF "\"path\": \"$prefix/lib/quillbrook/quillbrook-bridge\"" \
    "$prefix/$manifest/org.fernhollow.quillbrook.json" || fail "$manifest names another host program"
done
# The packed extensions hold what the unpacked folders hold.
for packed in chromium:quillbrook-chromium.zip firefox:quillbrook-firefox.xpi; do
  folder=$prefix/share/quillbrook/extension/${packed%%:*}
  archive=$prefix/share/quillbrook/extension/${packed#*:}
  diff <(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) \
       <(cmake -E tar tf "$archive" | sort) >/dev/null || fail "$archive does not hold $folder"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/org.fernhollow.Quillbrook.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.fernhollow.Quillbrook.metainfo.xml" \
    >/dev/null || fail "metainfo"
fi
for page in "$prefix"/share/man/man1/*.1.gz; do
  [[ -n $(gzip -dc "$page" | head -c 100) ]] || fail "$page is empty"
done
exit $failed
