#!/bin/sh
# Starts the installed program folder, where the program finds its plug-ins
# and skin beside itself.
exec "$(dirname "$(readlink -f "$0")")/../lib/ornavox/ornavox" "$@"
