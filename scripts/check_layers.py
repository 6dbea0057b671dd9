#!/usr/bin/env python3
"""Lists every include between source folders that goes against the layers
and fails on one. Folder -> the folders it may include, bottom layer first.
A folder may always include itself; tests/, bench/ and build folders are not
checked. A file belongs to the longest folder of the table its path starts
with. Includes between the subfolders of one entry (the panels' topics) are
free, but no circle between any two folders may be left."""
import os, re, sys

# what the windows' building blocks (layer 4) may use below them
LOWER = ['acquisition', 'project', 'datafiles', 'model', 'widgets', 'tooltip', 'libs', 'platform/qt', 'platform']
VIEWS = ['views/curve', 'views/history', 'views/bar', 'views/table', 'views/shared']

ALLOWED = {
    'platform':      [],
    'platform/qt':   ['platform'],
    'libs':          ['platform'],
    'tooltip':       ['platform'],
    # shared window helpers of both programs
    'widgets':       ['platform/qt', 'platform'],
    # layer 2: the shared model
    'model':         ['libs', 'platform'],
    # layer 3, peers in one direction: acquisition -> project -> datafiles
    'datafiles':     ['model', 'libs', 'platform'],
    'project':       ['datafiles', 'model', 'libs', 'platform'],
    'acquisition':   ['project', 'datafiles', 'model', 'libs', 'platform'],
    # layer 4: the views by kind over their shared parts (the history, bar
    # and table views build on the curve view), the panels over the views
    'views/shared':  LOWER,
    'views/curve':   ['views/shared'] + LOWER,
    'views/history': ['views/curve', 'views/shared'] + LOWER,
    'views/bar':     ['views/curve', 'views/shared'] + LOWER,
    'views/table':   ['views/curve', 'views/shared'] + LOWER,
    'panels':        VIEWS + LOWER,
    # layer 5: the main window knows every subsystem
    'app':           ['panels'] + VIEWS + LOWER,
    # apart: the calibrator and the simulators
    'calibrator':    ['widgets', 'model', 'libs', 'platform/qt', 'platform'],
    'tools':         ['acquisition', 'model', 'libs', 'platform'],
}
SKIP = ('tests/', 'bench/', 'build', '.git/', 'cmake/', 'scripts/', 'data/')
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def owner(path):
    best = None
    for key in ALLOWED:
        if path == key or path.startswith(key + '/'):
            if best is None or len(key) > len(best):
                best = key
    return best


def table_is_acyclic():
    seen, done = set(), set()
    def visit(k, stack):
        if k in done:
            return True
        if k in seen:
            print('the table itself has a circle through ' + ' -> '.join(stack + [k]))
            return False
        seen.add(k)
        ok = all(visit(t, stack + [k]) for t in ALLOWED[k] if t != k)
        done.add(k)
        return ok
    return all(visit(k, []) for k in ALLOWED)


def folder_circles(edges):
    """Strongly connected groups of two or more folders (Tarjan)."""
    index, low, on, stack, out = {}, {}, set(), [], []
    counter = [0]
    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                out.append(sorted(group))
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return out


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else '.'
    if not table_is_acyclic():
        return 2
    breaks = []
    unknown = set()
    edges = {}
    for d, dirs, files in os.walk(root):
        rel_dir = os.path.relpath(d, root)
        rel_dir = '' if rel_dir == '.' else rel_dir
        dirs[:] = [x for x in dirs if not (os.path.join(rel_dir, x) + '/').startswith(SKIP) and not x.startswith(('build', '.'))]
        for f in files:
            if not f.endswith(('.h', '.hpp', '.cpp', '.cc', '.c')):
                continue
            rel = os.path.join(rel_dir, f)
            src = owner(rel)
            if src is None:
                if rel_dir:
                    unknown.add(rel_dir)
                continue
            text = open(os.path.join(root, rel), errors='replace').read()
            for n, line in enumerate(text.split('\n'), 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                if '/' not in target or not os.path.exists(os.path.join(root, target)):
                    continue  # the file's own folder, or not ours
                if os.path.dirname(target) != rel_dir:
                    edges.setdefault(rel_dir, set()).add(os.path.dirname(target))
                dst = owner(target)
                if dst is None or dst == src or dst in ALLOWED[src]:
                    continue
                breaks.append(f'{rel}:{n}: {src} -> {dst} ({target})')
    circles = folder_circles(edges)
    for c in circles:
        print('include circle among the folders ' + ', '.join(c))
    for u in sorted(unknown):
        print(f'folder {u} is in no layer: add it to the table')
    for b in breaks:
        print(b)
    if breaks or unknown or circles:
        print(f'{len(breaks)} include(s) against the layers')
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
