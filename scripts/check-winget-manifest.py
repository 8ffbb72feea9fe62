#!/usr/bin/env python3
"""Checks the package manager's manifest the win64 build wrote.

    check-winget-manifest.py <build folder> <schema folder> <source folder>

- the three files (version, installer, default locale) validate against the
  1.10.0 JSON schemas;
- they agree on identifier and version, and the version file names the
  default locale that exists;
- every non-zero exit code the setup can return (src/catalogue/exit_codes.h)
  is an ExpectedReturnCode, and no code the setup cannot return is;
- 3010 (installed, a restart deletes an old file) is an installer success
  code, answered with rebootRequiredToFinish;
- FileExtensions are the hash-file extensions (src/catalogue/hash_exts.h);
- InstallerSha256 is the hash of the built Corvalin-Setup.exe;
- the unattended switches are the setup's own options.
"""
import glob
import hashlib
import json
import os
import re
import sys

import jsonschema
import yaml

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def load_manifests(folder):
    by_type = {}
    for path in sorted(glob.glob(os.path.join(folder, "*.yaml"))):
        with open(path, encoding="utf-8") as f:
            document = yaml.safe_load(f)
        kind = document.get("ManifestType")
        check(kind not in by_type, f"two {kind} manifests in {folder}")
        by_type[kind] = (path, document)
    return by_type


def setup_exit_codes(source):
    """The non-zero codes of the setup and those of the uninstaller alone, read from the table."""
    with open(os.path.join(source, "src/catalogue/exit_codes.h"), encoding="utf-8") as f:
        text = f.read()
    values = {name: int(value) for name, value in
              re.findall(r"constexpr std::uint32_t (cExit\w+) = (\d+);", text)}
    rows = re.findall(r"\{(cExit\w+),\s*\"\w+\".*?TExitUser::(\w+)\}", text, re.S)
    # A row written in another form would be skipped silently: count them.
    if len(rows) != text.count("{cExit") or not rows:
        raise SystemExit("check-winget-manifest: cannot read the exit-code table (its form changed?)")
    setup = {values[name] for name, user in rows if user in ("Setup", "Both") and values[name] != 0}
    others = {values[name] for name, user in rows if user == "Uninstaller"}
    return setup, others, values["cExitRebootRequired"]


def main(build, schemas, source):
    manifests = load_manifests(os.path.join(build, "winget"))
    expected_types = {"version", "installer", "defaultLocale"}
    if set(manifests) != expected_types:
        print(f"check-winget-manifest: expected the {sorted(expected_types)} manifests, "
              f"found {sorted(manifests)}", file=sys.stderr)
        return 1

    for kind, (path, document) in manifests.items():
        with open(os.path.join(schemas, f"manifest.{kind}.1.10.0.json"), encoding="utf-8") as f:
            schema = json.load(f)
        for error in jsonschema.Draft7Validator(schema).iter_errors(document):
            failures.append(f"{os.path.basename(path)}: {'/'.join(map(str, error.path))}: {error.message}")

    version = manifests["version"][1]
    installer = manifests["installer"][1]
    locale = manifests["defaultLocale"][1]
    for document in (installer, locale):
        check(document["PackageIdentifier"] == version["PackageIdentifier"], "the identifiers differ")
        check(document["PackageVersion"] == version["PackageVersion"], "the versions differ")
    check(locale["PackageLocale"] == version["DefaultLocale"], "the default locale has no manifest")

    setup_codes, uninstaller_codes, reboot_code = setup_exit_codes(source)
    listed = [entry["InstallerReturnCode"] for entry in installer.get("ExpectedReturnCodes") or []]
    check(len(listed) == len(set(listed)), f"a return code is listed twice: {listed}")
    check(set(listed) == setup_codes,
          f"ExpectedReturnCodes {sorted(listed)} are not the setup's non-zero exit codes {sorted(setup_codes)}")
    check(not set(listed) & uninstaller_codes, "a code only the uninstaller returns is listed")
    check(installer.get("InstallerSuccessCodes") == [reboot_code],
          f"InstallerSuccessCodes {installer.get('InstallerSuccessCodes')} are not [{reboot_code}]")
    responses = {entry["InstallerReturnCode"]: entry["ReturnResponse"]
                 for entry in installer.get("ExpectedReturnCodes") or []}
    check(responses.get(reboot_code) == "rebootRequiredToFinish",
          f"{reboot_code} is answered with {responses.get(reboot_code)!r}, not rebootRequiredToFinish")

    with open(os.path.join(source, "src/catalogue/hash_exts.h"), encoding="utf-8") as f:
        table = re.search(r"HashExts\{([^}]*)\}", f.read())
    extensions = re.findall(r'u"\.(\w+)"', table.group(1)) if table else []
    check(len(extensions) == 8, f"cannot read the eight hash extensions from hash_exts.h: {extensions}")
    check(installer.get("FileExtensions") == extensions,
          f"FileExtensions {installer.get('FileExtensions')} are not the hash extensions {extensions}")

    with open(os.path.join(build, "Corvalin-Setup.exe"), "rb") as f:
        built = hashlib.sha256(f.read()).hexdigest()
    hashes = [i["InstallerSha256"] for i in installer["Installers"]]
    check(hashes == [built.upper()], f"InstallerSha256 {hashes} is not the built file's {built.upper()}")

    switches = installer["InstallerSwitches"]
    check(switches.get("Silent") == "/S:1 /E:1", f"Silent is {switches.get('Silent')!r}")
    check(switches.get("SilentWithProgress") == "/S:1 /E:1", f"SilentWithProgress is {switches.get('SilentWithProgress')!r}")
    check(switches.get("InstallLocation") == '/P:"<INSTALLPATH>"', f"InstallLocation is {switches.get('InstallLocation')!r}")
    check(switches.get("Log") == '/R:"<LOGPATH>"', f"Log is {switches.get('Log')!r}")

    if failures:
        for failure in failures:
            print(f"check-winget-manifest: {failure}", file=sys.stderr)
        return 1
    print(f"check-winget-manifest: {version['PackageIdentifier']} {version['PackageVersion']}: three files valid, "
          f"{len(listed)} return codes, SHA-256 {built}")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
