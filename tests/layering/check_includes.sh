#!/usr/bin/env bash
# Fails when an include crosses the folder order: each folder may include only itself and the
# folders before it, and nothing above platform/ reaches SDL, X11 or a platform back-end's
# internals. Usage: check_includes.sh [source dir]
set -u
cd "${1:-$(dirname "$0")/../..}" || exit 2

order=(platform core script image level render gui app)

# Edges against the order that the design itself makes, and nothing more:
# - the system object creates and owns the script machine, and exports Terminate to it (the
#   machine logs through its owner with core/log.h alone);
# - the render device switches the GUI on F10 and draws the GUI's windows.
exceptions=(
  "core/system.cpp script/virtual_machine.h"
  "core/system_exports.cpp script/export_table.h"
  "render/viewer_input.cpp gui/"
  "render/gui_drawing.cpp gui/"
)

rank() {
  local i
  for i in "${!order[@]}"; do [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

allowed_exception() {
  local file=$1 target=$2 e
  for e in "${exceptions[@]}"; do
    [ "$file" = "${e%% *}" ] && [[ "$target" == "${e#* }"* ]] && return 0
  done
  return 1
}

bad=0
while IFS= read -r file; do
  folder=${file%%/*}
  from=$(rank "$folder")
  while IFS= read -r line; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
    tfolder=${target%%/*}
    [ "$target" = "$tfolder" ] && continue # a same-folder or system-style quoted name
    to=$(rank "$tfolder")
    [ "$to" -lt 0 ] && continue
    if [ "$folder" = manager ]; then
      # The settings tool shares only the platform layer and the settings reader.
      [ "$tfolder" = platform ] || [ "$target" = core/ini_file.h ] && continue
      echo "$file includes $target: the settings tool uses only platform/ and core/ini_file.h"
      bad=1
      continue
    fi
    [ "$from" -lt 0 ] && continue
    if [ "$folder" = script ] && [ "$tfolder" = core ] && [ "$target" != core/log.h ]; then
      echo "$file includes $target: the script machine knows of core/ only the log (core/log.h)"
      bad=1
    fi
    if [ "$to" -gt "$from" ] && ! allowed_exception "$file" "$target"; then
      echo "$file includes $target: $folder/ may not depend on $tfolder/"
      bad=1
    fi
    if [ "$folder" != platform ] && [ "$tfolder" = platform ] && [[ "$target" == platform/*/*_impl.h ]]; then
      echo "$file includes $target: a platform back-end's internals stay inside platform/"
      bad=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
  if [ "$folder" != platform ]; then
    hits=$(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(SDL|X11/)' "$file")
    if [ -n "$hits" ]; then
      echo "$file includes SDL or X11 directly: only platform/ may ($hits)"
      bad=1
    fi
  fi
done < <(find platform core script image level render gui app manager -type f \
           \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' -o -name '*.inc' \) 2>/dev/null | sort)

[ "$bad" -eq 0 ] && echo "includes follow the folder order"
exit "$bad"
