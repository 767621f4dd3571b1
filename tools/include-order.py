#!/usr/bin/env python3
"""Keeps the #include block at the top of every C and C++ file in the project's one order:
   1. the file's own header (for a unit split by part, e.g. ControlArrange.cpp, Control.h);
   2. the project's headers, the top layer first: a header of the same folder, tests' support,
      e2e, install, app, imagepack, bitmap, dib, payload, then the toolkit's layout, ui, graphics,
      win32 and core; alphabetical within a layer;
   3. system and library headers of the C kind (<windows.h>, <gtest/gtest.h>), in their order;
   4. the C++ library's headers, in their order.
Blocks are separated by one blank line.
   include-order.py [--check] [SOURCE_ROOT]   rewrites the files, or (--check) lists those out of
                                             order and exits 1."""
import os
import re
import subprocess
import sys

LAYERS = ['support', 'e2e', 'install', 'app', 'imagepack', 'bitmap', 'dib', 'payload',
          'framework/layout', 'framework/ui', 'framework/graphics', 'framework/win32',
          'framework/core']
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]')


def layer_rank(path):
    if '/' not in path:
        return -1  # a header of the same folder, or a generated one
    for rank, layer in enumerate(LAYERS):
        if path.startswith(layer + '/'):
            return rank
    raise ValueError('%s is in no known layer' % path)


def own_header(source, quoted):
    """The header the source implements: of its own name, else the longest header name of its
    folder that its name begins with."""
    base, folder = os.path.splitext(os.path.basename(source))[0], os.path.dirname(source)
    best = None
    for line, path in quoted:
        name, where = os.path.splitext(os.path.basename(path))[0], os.path.dirname(path)
        if not (folder + '/').endswith(where + '/' if where else '/'):
            continue
        if name == base:
            return (line, path)
        if base.startswith(name) and (best is None or len(name) > len(best[1])):
            best = (line, path)
    return best


def include_region(lines):
    """First and last line of the includes at the top of the file, blank lines between them."""
    first = next((i for i, line in enumerate(lines) if INCLUDE.match(line)), None)
    if first is None:
        return None
    last = first
    for i in range(first, len(lines)):
        if INCLUDE.match(lines[i]):
            last = i
        elif lines[i].strip():
            break
    return first, last


def ordered(source, region):
    includes = [line for line in region if line.strip()]
    quoted = [(line, INCLUDE.match(line).group(2)) for line in includes
              if INCLUDE.match(line).group(1) == '"']
    angled = [line for line in includes if INCLUDE.match(line).group(1) == '<']
    own = own_header(source, quoted) if source.endswith(('.cpp', '.c')) else None
    project = sorted((q for q in quoted if q != own),
                     key=lambda q: (layer_rank(q[1]), q[1].lower()))
    blocks = [[own[0]]] if own else []
    blocks.append([line for line, _ in project])
    blocks.append([line for line in angled if INCLUDE.match(line).group(2).endswith('.h')])
    blocks.append([line for line in angled if not INCLUDE.match(line).group(2).endswith('.h')])
    result = []
    for block in filter(None, blocks):
        result += ([''] if result else []) + block
    return result


def main():
    args = sys.argv[1:]
    check = '--check' in args
    args = [a for a in args if a != '--check']
    root = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    sources = subprocess.check_output(['git', 'ls-files', '*.cpp', '*.h', '*.c'], cwd=root,
                                      text=True).split()
    wrong = []
    for source in sources:
        path = os.path.join(root, source)
        with open(path, encoding='utf-8') as f:
            lines = f.read().split('\n')
        region = include_region(lines)
        if region is None:
            continue
        new = ordered(source, lines[region[0]:region[1] + 1])
        if new == lines[region[0]:region[1] + 1]:
            continue
        wrong.append(source)
        if not check:
            lines[region[0]:region[1] + 1] = new
            with open(path, 'w', encoding='utf-8') as f:
                f.write('\n'.join(lines))
    for source in wrong:
        print(('out of order: ' if check else 'reordered: ') + source)
    return 1 if check and wrong else 0


if __name__ == '__main__':
    sys.exit(main())
