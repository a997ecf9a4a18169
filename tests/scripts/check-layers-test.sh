#!/usr/bin/env bash
# The layer check passes a tree that keeps the order and fails each kind of back-include.
set -euo pipefail
check="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0

tree() { # a small tree that keeps the order
  rm -rf "$tmp/src"
  mkdir -p "$tmp/src"/{core,state,tracks,canvas,plot,devices,measure/ui,macro,analysis,app,tools}
  echo '#include "core/Clock.h"' > "$tmp/src/state/Settings.h"
  echo '#include "state/TrackStore.h"' > "$tmp/src/tracks/TrackFile.h"
  echo '#include "state/BoardSettings.h"' > "$tmp/src/devices/Instruments.h"
  printf '#include "tracks/TrackFile.h"\n#include "canvas/RasterSurface.h"\n' > "$tmp/src/plot/Graph.h"
  printf '#include "devices/Instruments.h"\n#include "plot/Graph.h"\n' > "$tmp/src/measure/Model.h"
  echo '#include "measure/Model.h"' > "$tmp/src/measure/ui/frmModel.h"
  echo '#include "measure/Model.h"' > "$tmp/src/macro/Runner.cpp"
  echo '#include "measure/ui/frmModel.h"' > "$tmp/src/app/main.cpp"
  echo '#include "app/Controller.h"' > "$tmp/src/tools/Tool.cpp"
  echo '#include <QString>' > "$tmp/src/canvas/Canvas.h"
}

expect() { # expect pass|fail description
  local want="$1" what="$2" got=pass
  bash "$check" "$tmp/src" > "$tmp/out" 2>&1 || got=fail
  if [ "$got" != "$want" ]; then
    echo "FAILED: $what: expected $want, got $got"; cat "$tmp/out"; failures=$((failures + 1))
  fi
}

tree; expect pass "a tree in order"
tree; echo '#include "tracks/TrackFile.h"' >> "$tmp/src/state/Settings.h"; expect fail "state includes tracks"
tree; echo '#include "measure/Model.h"' >> "$tmp/src/devices/Instruments.h"; expect fail "devices includes measure"
tree; echo '#include "state/Settings.h"' >> "$tmp/src/devices/Instruments.h"; expect fail "devices sees all of state"
tree; echo '#include "plot/Graph.h"' >> "$tmp/src/devices/Instruments.h"; expect fail "devices includes its sibling plot"
tree; echo '#include "macro/Runner.h"' > "$tmp/src/analysis/Fit.cpp"; expect fail "analysis includes its sibling macro"
tree; echo '#include "app/main.h"' >> "$tmp/src/macro/Runner.cpp"; expect fail "macro includes app"
tree; echo '#include "state/TrackStore.h"' >> "$tmp/src/canvas/Canvas.h"; expect fail "canvas includes the program"
tree; echo '#include "measure/ui/frmModel.h"' >> "$tmp/src/measure/Model.h"; expect fail "logic includes its window"
tree; echo '#include "../core/Clock.h"' >> "$tmp/src/plot/Graph.h"; expect fail "a parent path"
tree; echo '#include "tools/Tool.h"' > "$tmp/src/core/Clock.h"; expect fail "core includes tools"

tree; echo '#include <measure/Model.h>' >> "$tmp/src/devices/Instruments.h"; expect fail "an angle-bracket back-include"
tree; echo '#include <QWidget>' >> "$tmp/src/devices/Instruments.h"; expect pass "an angle-bracket library include"

targets() { # the tree with its targets: measure links plot, which links tracks
  tree
  touch "$tmp/src/CMakeLists.txt"
  printf 'add_library(t_tracks STATIC TrackFile.h)\n' > "$tmp/src/tracks/CMakeLists.txt"
  printf 'add_library(t_plot STATIC Graph.h)\ntarget_link_libraries(t_plot PUBLIC t_tracks)\n' \
    > "$tmp/src/plot/CMakeLists.txt"
  printf 'add_library(t_measure STATIC\n  Model.h)\ntarget_link_libraries(t_measure PUBLIC %s)\n' "$1" \
    > "$tmp/src/measure/CMakeLists.txt"
  echo '#include "tracks/TrackFile.h"' >> "$tmp/src/measure/Model.h"
}
targets t_plot; expect fail "a header of a library reached only through another's links"
targets "t_plot t_tracks"; expect pass "a header of a library linked directly"

[ "$failures" -eq 0 ] && echo "all layer-check cases behave"
exit "$failures"
