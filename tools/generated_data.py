#!/usr/bin/env python3
"""Keeps the generated part of the data tree in step with its generators, the tools/make_*.py.

Running every generator takes minutes of one processor, so a record (tools/generated_data.sums)
keeps, for each generator, a digest of its inputs (the script, the tools modules it imports and
any other file under tools/) and the digest of every file it writes. A generator whose inputs
and committed outputs still match its record is current without running it; every other one is
run into a scratch folder, several at once, and its outputs are compared with the committed files.

  python3 tools/generated_data.py --check     fails, naming each file, while any output is stale
  python3 tools/generated_data.py --update    reruns what changed into the repository and records it

--all runs every generator whatever the record says. Exit codes: 0 current, 1 stale, 2 a generator
failed or the tree is not what was asked for.
"""
import argparse
import ast
import concurrent.futures
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

RECORD = 'generated_data.sums'


def digest(data):
    return hashlib.sha256(data).hexdigest()


def file_digest(path):
    with open(path, 'rb') as f:
        return digest(f.read())


def generators(tools):
    return sorted(name for name in os.listdir(tools) if name.startswith('make_') and name.endswith('.py'))


def imported_modules(tools, script):
    """The tools modules `script` imports, itself included, followed through their own imports
    (imports inside functions count too)."""
    seen, todo = set(), [script]
    while todo:
        name = todo.pop()
        if name in seen:
            continue
        seen.add(name)
        with open(os.path.join(tools, name), 'rb') as f:
            tree = ast.parse(f.read(), name)
        for node in ast.walk(tree):
            if isinstance(node, ast.Import):
                modules = [alias.name for alias in node.names]
            elif isinstance(node, ast.ImportFrom) and node.level == 0 and node.module:
                modules = [node.module]
            else:
                continue
            for module in modules:
                local = module.split('.')[0] + '.py'
                if os.path.isfile(os.path.join(tools, local)):
                    todo.append(local)
    return seen


def input_digest(tools, script):
    """One digest of what the generator's output may depend on: its module closure and every file
    under tools/ that is not Python (a table a generator might read), but not the record."""
    names = set(imported_modules(tools, script))
    for folder, subfolders, files in os.walk(tools):
        subfolders[:] = [s for s in subfolders if s != '__pycache__']
        for name in files:
            path = os.path.relpath(os.path.join(folder, name), tools)
            if not name.endswith(('.py', '.pyc')) and path != RECORD:
                names.add(path)
    whole = hashlib.sha256()
    for name in sorted(names):
        whole.update(name.encode() + b'\0' + file_digest(os.path.join(tools, name)).encode() + b'\n')
    return whole.hexdigest()


def read_record(path):
    """{generator: (input digest, {output path: digest})}; empty when there is no record. A line
    that cannot be read leaves its generator unrecorded, so that it is run."""
    record, current = {}, None
    if not os.path.exists(path):
        return record
    with open(path, encoding='utf-8') as f:
        for line in f:
            fields = line.split()
            if len(fields) == 3 and fields[0] == 'generator':
                current = fields[1]
                record[current] = (fields[2], {})
            elif len(fields) == 2 and current is not None and len(fields[0]) == 64:
                record[current][1][fields[1]] = fields[0]
            elif fields and not line.startswith('#'):
                record.pop(current, None)
                current = None
    return record


def write_record(path, record):
    lines = ['# Written by tools/generated_data.py --update: what each generator read and wrote.']
    for name in sorted(record):
        inputs, outputs = record[name]
        lines.append('generator %s %s' % (name, inputs))
        lines += ['%s %s' % (outputs[output], output) for output in sorted(outputs)]
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


def matches_record(root, entry, inputs):
    recorded_inputs, outputs = entry
    if recorded_inputs != inputs or not outputs:
        return False
    for name, expected in outputs.items():
        path = os.path.join(root, name)
        if not os.path.isfile(path) or file_digest(path) != expected:
            return False
    return True


def run_generator(tools, name, out):
    """Runs the generator into `out`; (its outputs {path under out: digest}, None) or (None, why)."""
    done = subprocess.run([sys.executable, os.path.join(tools, name), '--out', out],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if done.returncode != 0:
        tail = done.stderr.decode('utf-8', 'replace').strip().splitlines()[-5:]
        return None, 'tools/%s failed with %d:\n    %s' % (name, done.returncode, '\n    '.join(tail))
    outputs = {}
    for folder, _, files in os.walk(out):
        for file in files:
            path = os.path.join(folder, file)
            outputs[os.path.relpath(path, out).replace(os.sep, '/')] = file_digest(path)
    if not outputs:
        return None, 'tools/%s wrote nothing' % name
    return outputs, None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument('--check', action='store_true', help='fail while a committed output is stale')
    action.add_argument('--update', action='store_true', help='rerun what changed into the repository')
    parser.add_argument('--all', action='store_true', help='run every generator, whatever the record says')
    parser.add_argument('--root', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'),
                        help='the repository root (default: the one holding this script)')
    parser.add_argument('--scratch', help='folder for the generators\' outputs (default: a temporary one)')
    parser.add_argument('--jobs', type=int, default=os.cpu_count() or 1, help='generators run at once')
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    tools = os.path.join(root, 'tools')
    names = generators(tools) if os.path.isdir(tools) else []
    if not names:
        print('generated_data: %s holds no generators (tools/make_*.py)' % root, file=sys.stderr)
        return 2
    record_path = os.path.join(tools, RECORD)
    record = read_record(record_path)
    inputs = {name: input_digest(tools, name) for name in names}
    to_run = [n for n in names if args.all or n not in record or not matches_record(root, record[n], inputs[n])]

    scratch = args.scratch or tempfile.mkdtemp(prefix='tk_generated_')
    results = {}
    try:
        if args.scratch:
            shutil.rmtree(scratch, ignore_errors=True)
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
            futures = {n: pool.submit(run_generator, tools, n, os.path.join(scratch, n)) for n in to_run}
            results = {n: future.result() for n, future in futures.items()}
        failures = [why for _, why in results.values() if why]
        if failures:
            print('\n'.join(failures), file=sys.stderr)
            return 2
        stale = sorted(path for n, (outputs, _) in results.items() for path, value in outputs.items()
                       if not os.path.isfile(os.path.join(root, path)) or file_digest(os.path.join(root, path)) != value)
        if args.update:
            for n, (outputs, _) in results.items():
                for path in outputs:
                    target = os.path.join(root, path)
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    shutil.copyfile(os.path.join(scratch, n, path), target)
                record[n] = (inputs[n], outputs)
            for gone in set(record) - set(names):
                del record[gone]
            write_record(record_path, record)
            print('%d generators run, %d files rewritten; %d generators were current' %
                  (len(to_run), len(stale), len(names) - len(to_run)))
            return 0
    finally:
        if not args.scratch:
            shutil.rmtree(scratch, ignore_errors=True)

    if stale:
        print('stale generated files (rerun the generators under tools/, or python3 tools/generated_data.py '
              '--update, and commit):\n  ' + '\n  '.join(stale), file=sys.stderr)
        return 1
    checked = sum(len(outputs) for outputs, _ in results.values())
    checked += sum(len(record[n][1]) for n in names if n not in results)
    print('%d generated files are current (%d of %d generators run)' % (checked, len(to_run), len(names)))
    if to_run and not args.all:
        print('the record of %s is out of date: python3 tools/generated_data.py --update records it, and '
              'this check then runs none' % ', '.join(to_run))
    return 0


if __name__ == '__main__':
    sys.exit(main())
