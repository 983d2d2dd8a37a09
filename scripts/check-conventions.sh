#!/usr/bin/env bash
# The conventions of docs/ARCHITECTURE.md that a tool can check, over the program's
# sources (base, platform, forms, components, dialogs, SistemaArchivio, resources):
#   names     clang-tidy's readability-identifier-naming with .clang-tidy's rules, over
#             the translation units of the ci build's compile database (the Linux
#             build: the Windows-only units are read by the include checks alone);
#   T         a type a unit defines for itself carries no T unless it derives from
#             one that does (a unit's own control or form);
#   includes  a file's own header first, then the standard library's, then the
#             libraries', then ours, each group apart; ours quoted and named from the
#             top folder, or alone when beside the including file; <windows.h> after
#             ours only below a comment that says why.
# Prints each violation and what it checked; exits non-zero on a violation.
#   scripts/check-conventions.sh [build folder]     (default: build/ci)
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${1:-build/ci}
folders=(base platform forms components dialogs SistemaArchivio resources)
status=0

mapfile -t sources < <(git ls-files "${folders[@]/%//*.cpp}" "${folders[@]/%//*.h}" | sort)

# Names.
tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$tidy" ]; then
  echo "names: clang-tidy is not installed"
  status=1
elif [ ! -f "$build/compile_commands.json" ]; then
  echo "names: no compile database in $build (configure the ci preset first)"
  status=1
else
  mapfile -t units < <(python3 - "$build/compile_commands.json" "$root" "${folders[@]}" <<'PY'
import json, os, sys
database, root, folders = sys.argv[1], sys.argv[2], sys.argv[3:]
prefixes = tuple(os.path.join(root, f) + os.sep for f in folders)
for unit in sorted({e["file"] for e in json.load(open(database))}):
    if unit.startswith(prefixes):
        print(unit)
PY
  )
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  printf '%s\n' "${units[@]}" | xargs -P 2 -n 4 "$tidy" --quiet -p "$build" >"$log" 2>/dev/null
  violations=$(grep -E ': (error|warning): ' "$log" | sed "s|^$root/||" | sort -u)
  if [ -n "$violations" ]; then
    echo "$violations"
    status=1
  fi
  echo "names: ${#units[@]} translation units and the headers they include, by .clang-tidy"
fi

# T on a unit's own types, and the include groups.
python3 - "$root" "${sources[@]}" <<'PY' || status=1
import os, re, sys
root, files = sys.argv[1], sys.argv[2:]
failed = False

def fail(message):
    global failed
    failed = True
    print(message)

own_type = re.compile(r'^\s*(?:class|struct)\s+(T[A-Z]\w*)\b(?!::)([^;]*)$')
for path in files:
    if not path.endswith('.cpp'):
        continue
    for number, line in enumerate(open(os.path.join(root, path), encoding='utf-8'), 1):
        m = own_type.match(line)
        if m and not re.search(r':\s*(?:public|private|protected)?\s*(?:\w+::)*T[A-Z]', m.group(2)):
            fail(f"{path}:{number}: {m.group(1)} is a unit's own type: it takes no T")

include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
ORDER = {'own': 0, 'standard': 1, 'library': 2, 'ours': 3}
for path in files:
    lines = open(os.path.join(root, path), encoding='utf-8').read().split('\n')
    folder = os.path.dirname(path)
    stem = os.path.splitext(os.path.basename(path))[0]
    groups, current, previous = [], None, ''
    for number, line in enumerate(lines, 1):
        m = include.match(line)
        if not m:
            current = None
            if line.strip():
                previous = line
            continue
        quote, name = m.groups()
        if quote == '"':
            beside = os.path.isfile(os.path.join(root, folder, name))
            # A unit's own header: the first include, beside it, in a group of its own
            # (Form.h of FormInput.cpp, FileSystem.h of FileSystem_posix.cpp).
            first = not groups and path.endswith('.cpp') and beside
            alone = number >= len(lines) or not include.match(lines[number])
            kind = 'own' if first and alone else 'ours'
            if '/' in name and os.path.isfile(os.path.join(root, folder, os.path.basename(name))) \
                    and os.path.join(folder, os.path.basename(name)) == name:
                fail(f"{path}:{number}: \"{name}\" lies beside it: name it alone")
            elif '/' not in name and not beside:
                fail(f"{path}:{number}: \"{name}\" is not beside it: name it from the top folder")
        else:
            kind = 'standard' if '.' not in name and '/' not in name else 'library'
        if current is None:
            current = {'kind': kind, 'line': number, 'after': previous, 'name': name}
            groups.append(current)
        elif current['kind'] != kind:
            fail(f"{path}:{number}: <{name}> in a group of {current['kind']} headers: keep each group apart")
    if path.endswith('.cpp') and os.path.isfile(os.path.join(root, folder, stem.split('_')[0] + '.h')):
        if not groups or groups[0]['kind'] != 'own':
            fail(f"{path}: its own header {stem.split('_')[0]}.h comes first")
    highest = -1
    for g in groups:
        rank = ORDER[g['kind']]
        if rank < highest:
            windows = g['kind'] == 'library' and g['name'] == 'windows.h'
            if not (windows and g['after'].lstrip().startswith('//')):
                fail(f"{path}:{g['line']}: {g['kind']} headers after ours or the libraries'"
                     + (" (<windows.h> may follow ours below a comment that says why)" if windows else ""))
            continue
        highest = rank
print(f"T and includes: {len(files)} files")
sys.exit(1 if failed else 0)
PY

if [ "$status" -eq 0 ]; then echo "conventions: names, T and includes as the notes say"; fi
exit "$status"
