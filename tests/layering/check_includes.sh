#!/usr/bin/env bash
# Fails when an include crosses the folder order: each folder may include only itself and the
# folders before it, and nothing above platform/ reaches SDL, X11 or a platform back-end's
# internals. Usage: check_includes.sh [source dir]
set -u
cd "${1:-$(dirname "$0")/../..}" || exit 2

folders=(platform core script image level render gui app manager)
files=$(find "${folders[@]}" -type f \
          \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' -o -name '*.inc' \) \
          2>/dev/null | sort)
[ -n "$files" ] || { echo "no sources found"; exit 2; }

# shellcheck disable=SC2086
grep -HE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' $files | awk '
BEGIN {
  n = split("platform core script image level render gui app", order, " ")
  for (i = 1; i <= n; i++) rank[order[i]] = i
  # Edges against the order that the design itself makes, and nothing more:
  # - the system object creates and owns the script machine, and exports Terminate to it (the
  #   machine logs through its owner with core/log.h alone);
  # - the render device switches the GUI on F10 and draws the GUI'"'"'s windows.
  exception["core/system.cpp"] = "script/virtual_machine.h"
  exception["core/system_exports.cpp"] = "script/export_table.h"
  exception["render/viewer_input.cpp"] = "gui/"
  exception["render/gui_drawing.cpp"] = "gui/"
  bad = 0
}
function complain(text) { print text; bad = 1 }
{
  colon = index($0, ":")
  file = substr($0, 1, colon - 1)
  line = substr($0, colon + 1)
  folder = file; sub(/\/.*/, "", folder)
  if (line ~ /<(SDL|X11\/)/) {
    if (folder != "platform") complain(file " includes SDL or X11 directly: only platform/ may")
    next
  }
  if (line !~ /"/) next
  target = line; sub(/^[^"]*"/, "", target); sub(/".*$/, "", target)
  if (index(target, "/") == 0) next # a name beside the file
  tfolder = target; sub(/\/.*/, "", tfolder)
  if (!(tfolder in rank)) next
  if (folder == "manager") {
    # The settings tool shares only the platform layer and the settings reader.
    if (tfolder != "platform" && target != "core/ini_file.h")
      complain(file " includes " target ": the settings tool uses only platform/ and core/ini_file.h")
    next
  }
  if (!(folder in rank)) next
  if (folder == "script" && tfolder == "core" && target != "core/log.h" && target != "core/work_kind.h")
    complain(file " includes " target ": the script machine knows of core/ only the log and the kinds of work")
  if (rank[tfolder] > rank[folder] && !((file in exception) && index(target, exception[file]) == 1))
    complain(file " includes " target ": " folder "/ may not depend on " tfolder "/")
  if (folder != "platform" && target ~ /^platform\/.*\/.*_impl\.h$/)
    complain(file " includes " target ": a platform back-end'"'"'s internals stay inside platform/")
}
END {
  if (!bad) print "includes follow the folder order"
  exit bad
}'
