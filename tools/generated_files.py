"""The command line the data generators share: each yields (path under the repository root, bytes)
and this writes them under --out (default: the repository root), making folders as needed.
"""
import argparse
import os


def output_root(description, what='data/...'):
    """The folder named by --out (default: the repository root), for generators that write their
    files themselves."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--out', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'),
                        help='folder to write %s under (default: the repository root)' % what)
    return parser.parse_args().out


def write_outputs(description, outputs, what='data/...'):
    out = output_root(description, what)
    for name, data in outputs():
        path = os.path.join(out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
