#!/usr/bin/python3
"""Validates every line of the given files against docs/json-schema.json.

    validate_json_lines.py SCHEMA FILE...

Prints one line per invalid line (file, line number, the first error) and exits 1 when there is
one, 0 when every line of every file is a valid object.
"""
import json
import sys

import jsonschema


def main():
    schema_path, files = sys.argv[1], sys.argv[2:]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    failures = 0
    for path in files:
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                try:
                    value = json.loads(line)
                except json.JSONDecodeError as e:
                    print(f"{path}:{number}: not JSON: {e}")
                    failures += 1
                    continue
                errors = sorted(validator.iter_errors(value), key=lambda e: e.path)
                if errors:
                    print(f"{path}:{number}: {errors[0].message}")
                    failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
