"""Real answers against the API description: each JSON answer validates against its route's
schema, every number in it is written with exactly two decimals, and the fallback, error
and empty answers are the bytes the description gives.

usage: check_answers.py OPENAPI_JSON FOLDER
FOLDER holds, for each answer, N.path (the route), N.type (its Content-Type) and N.body.
"""
import json
import pathlib
import re
import sys

import jsonschema

JSON = "text/json; charset=utf-8"


def two_decimals(text):
    if not re.fullmatch(r"-?[0-9]+\.[0-9]{2}", text):
        raise ValueError(f"the number {text} has not exactly two decimals")
    return float(text)


def whole_number(text):
    raise ValueError(f"the number {text} has no decimals")


def main(document_file, folder):
    document = json.loads(pathlib.Path(document_file).read_text(encoding="utf-8"))
    folder = pathlib.Path(folder)
    checked = 0
    for path_file in sorted(folder.glob("*.path")):
        route = path_file.read_text().strip()
        kind = path_file.with_suffix(".kind").read_text().strip()
        media = path_file.with_suffix(".type").read_text()
        body = path_file.with_suffix(".body").read_bytes().decode("utf-8")
        try:
            check(document["paths"][route]["get"], kind, media, body)
        except Exception as failure:
            raise SystemExit(f"{route} ({kind}): {failure}; the answer begins {body[:200]!r}")
        checked += 1
    print(f"{checked} answers fit the description")


def check(operation, kind, media, body):
    if kind == "data":
        assert media == JSON, media
        schema = operation["responses"]["200"]["content"][JSON]["schema"]
        rows = json.loads(body, parse_float=two_decimals, parse_int=whole_number)
        jsonschema.Draft202012Validator(schema).validate(rows)
    else:
        documented = {a["answer"]: a for a in operation["x-answers"]}[kind]
        assert documented["bytes"] == body, body
        assert (documented["mediaType"] or "") == media, (kind, media)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
