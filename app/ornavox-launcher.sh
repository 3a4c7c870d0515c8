#!/bin/sh
# Starts the installed program folder: the program finds its plug-in, skin
# and Config.ini beside itself.
exec "$(dirname "$(readlink -f "$0")")/../lib/ornavox/ornavox" "$@"
