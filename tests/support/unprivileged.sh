#!/bin/sh
# Runs a test binary as the unprivileged user nobody when it is started by the
# superuser (as CI runs), so that file permissions bind the test; any other
# user runs it as is. Its temporary files go to a folder nobody owns.
if [ "$(id -u)" != 0 ]; then
  exec "$@"
fi
dir=$(mktemp -d)
chown nobody:nogroup "$dir"
env TMPDIR="$dir" HOME="$dir" XDG_RUNTIME_DIR="$dir" \
  setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
status=$?
rm -rf "$dir"
exit $status
