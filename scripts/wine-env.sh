# Sourced by the scripts that run Windows programs: one quiet Wine prefix
# inside the build tree, without the Mono and Gecko installers.
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
