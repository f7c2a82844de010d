#!/usr/bin/env bash
# The OpenGL and the Direct3D renderer on the same views, taking turns in one run under Xvfb with
# Mesa's software rasteriser: frames per second of each and the ratio Direct3D / OpenGL, for the
# demo level and the grid level with the GUI off and on.
# Usage: bench/renderer_ratio.sh [ROUNDS [FRAMES]]   (defaults 5 rounds of 240 frames a sample)
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build ] || scripts/build
cmake --build build --target renderer_fps >/dev/null
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
# -noreset: the server must outlive each sample's window, the only client it has.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  build/bench/renderer_fps build/run build/levels "${1:-5}" "${2:-240}"
