#!/usr/bin/env python3
"""Lists source files over 400 lines and functions over 80 lines in the given folders.

Usage: scripts/check_sizes.py [folder ...]   (default: host settings engine tools)
Exit status 1 where anything is listed. Functions are found by their braces: a block whose head
(the text since the last ';', '{' or '}') holds a ')' and is not a type, namespace or control
statement, outside any other function. Comments, strings and character literals are skipped.
"""
import os
import re
import sys

FILE_LIMIT, FUNCTION_LIMIT = 400, 80
CONTROL = re.compile(r'^\s*(if|for|while|switch|catch|do|else)\b')
TYPE = re.compile(r'\b(class|struct|union|enum|namespace)\b[^()]*$')
GENERATED = ('build', 'build-', '.git')


def strip(text):
    """The text with comments, strings and character literals blanked (line breaks kept)."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith('//', i):
            j = text.find('\n', i)
            j = n if j < 0 else j
            out.append(' ' * (j - i)); i = j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r'[^\n]', ' ', text[i:j])); i = j
        elif text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(')' + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append(re.sub(r'[^\n]', ' ', text[i:j])); i = j
        elif c in '"\'':
            j = i + 1
            while j < n and text[j] != c and text[j] != '\n':
                j += 2 if text[j] == '\\' else 1
            out.append(' ' * (min(j + 1, n) - i)); i = j + 1
        else:
            out.append(c); i += 1
    return ''.join(out)


def long_functions(text):
    code = strip(text)
    stack, head_start, found = [], 0, []
    line_of = lambda pos: code.count('\n', 0, pos) + 1
    for pos, c in enumerate(code):
        if c == '{':
            head = code[head_start:pos]
            in_function = any(kind == 'function' for kind, _ in stack)
            is_function = (not in_function and ')' in head and not CONTROL.match(head)
                           and not TYPE.search(head.split('(')[0] + ' '))
            if is_function:
                start = head_start + len(head) - len(head.lstrip())
                stack.append(('function', start))
            else:
                stack.append(('block', pos))
            head_start = pos + 1
        elif c == '}':
            if stack:
                kind, start = stack.pop()
                if kind == 'function':
                    lines = line_of(pos) - line_of(start) + 1
                    if lines > FUNCTION_LIMIT:
                        name = re.search(r'([\w:~]+)\s*\(', code[start:pos])
                        found.append((line_of(start), lines, name.group(1) if name else '?'))
            head_start = pos + 1
        elif c == ';':
            head_start = pos + 1
    return found


def main():
    folders = sys.argv[1:] or ['host', 'settings', 'engine', 'tools']
    listed = False
    for folder in folders:
        for root, dirs, files in os.walk(folder):
            dirs[:] = sorted(d for d in dirs if not d.startswith(GENERATED))
            for name in sorted(files):
                if not name.endswith(('.cpp', '.h', '.c')):
                    continue
                path = os.path.join(root, name)
                text = open(path, encoding='utf-8', errors='replace').read()
                count = text.count('\n')
                if count > FILE_LIMIT:
                    print(f'{path}: {count} lines'); listed = True
                for line, lines, fn in long_functions(text):
                    print(f'{path}:{line}: {fn} is {lines} lines'); listed = True
    return 1 if listed else 0


if __name__ == '__main__':
    sys.exit(main())
