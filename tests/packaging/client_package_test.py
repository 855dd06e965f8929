#!/usr/bin/env python3
"""HalvernClient.msi under the real msiexec (Wine), each case in a fresh copy of a template
prefix: msiexec's exit statuses and the machine afterwards (tracked registry values, files,
installed products) are compared with the case; the logs are printed to explain a failure.
Usage: client_package_test.py BINARY_DIR VERSION WINE_RUN WORK_DIR"""
import os, shutil, subprocess, sys
from pathlib import Path

WINLOGON = r"Software\Microsoft\Windows NT\CurrentVersion\Winlogon"
SETTINGS = r"Software\Norvex\Halvern Client\3.5"
EVENTS = r"System\CurrentControlSet\Services\EventLog\Application\Halvern Client"
KEYS = dict(GinaDLL=WINLOGON, REM_GinaDLL=WINLOGON, HVServers=SETTINGS, Timeout=SETTINGS,
            Retries=SETTINGS, HVNc9x=r"Software\Microsoft\Windows\CurrentVersion\RunServices",
            EventMessageFile=EVENTS)  # under HKEY_LOCAL_MACHINE
FILES = ["HVNc32.dll", "HVNc9x.dll", "HVNc9x.exe", "ACMEGINA.DLL", "../HVNCLNT.CFG"]  # system32
def sz(text): return '"%s"' % text.replace("\\", "\\\\")  # as Wine's registry file holds them
def multi(entry): return 'str(7):"%s\\0"' % entry
def dword(number): return "dword:%08x" % number
def expand(text): return 'str(2):' + sz(text)
def install(config, status=0, package="current"): return ("/i", status, package, config)
def remove(status=0): return ("/x", status)

CONFIG = "# policy servers\nDOM CORP dc1 dc2\nTimeout 3000\n"
SOURCE = expand(r"%SystemRoot%\System32\HVNc32.dll")  # the client's event source
ACTIVE = dict(HVServers=multi("CORP dc1 dc2"), Timeout=dword(3000), products=["current"])
ACME = dict(GinaDLL=sz("ACMEGINA.DLL"), files=["ACMEGINA.DLL"])  # another logon provider
AHEAD = dict(GinaDLL=sz("HVNC32.DLL"), REM_GinaDLL=sz("ACMEGINA.DLL"),
             files=["HVNc32.dll", "ACMEGINA.DLL"])  # the client in front of it
# Name, Windows version, the machine before, the steps, the machine after (None: as before).
# A step installs a package with a configuration beside it (None: none), removes it, or sets
# registry values as another product does. "files" are present, "products" installed.
CASES = [
    ("XpDefaultChain", "winxp", {}, [install(CONFIG)],
     dict(ACTIVE, GinaDLL=sz("HVNC32.DLL"), files=["HVNc32.dll"], EventMessageFile=SOURCE)),
    ("XpInFrontOfAnotherProvider", "winxp", ACME, [install(CONFIG)],
     dict(ACTIVE, EventMessageFile=SOURCE, **AHEAD)),
    ("XpRemovalGivesTheChainBack", "winxp", ACME, [install(CONFIG), remove()],
     dict(ACME, HVServers=multi("CORP dc1 dc2"))),  # the server list stays, as with Dravin
    ("XpRemovalRefusedBehindANewerProvider", "winxp", {},
     [install(CONFIG), dict(GinaDLL=sz("NEWGINA.DLL")), remove(1603)],
     dict(ACTIVE, GinaDLL=sz("NEWGINA.DLL"), files=["HVNc32.dll"], EventMessageFile=SOURCE)),
    ("XpWithoutConfigurationChangesNothing", "winxp", dict(ACME, Timeout=dword(5000)),
     [install(None, 1603)], None),
    # Wine keeps the configuration's copy when it rolls the installation back.
    ("XpEmptyServerListChangesNothing", "winxp", dict(ACME, Timeout=dword(5000)),
     [install("DOM CORP\nTimeout 3000\n", 1603)],
     dict(ACME, Timeout=dword(5000), files=["ACMEGINA.DLL", "../HVNCLNT.CFG"])),
    ("Win98Install", "win98", {}, [install(CONFIG)],
     dict(ACTIVE, HVNc9x=sz(r"C:\windows\system32\HVNC9X.EXE"),
          files=["HVNc9x.dll", "HVNc9x.exe"])),
    ("Win98Removal", "win98", {}, [install(CONFIG), remove()],
     dict(HVServers=multi("CORP dc1 dc2"))),
    ("XpUpgradeKeepsChainAndSettings", "winxp", ACME,
     [install(CONFIG, package="earlier"), install("DOM SALES s1\nRetries 1\n")],
     dict(AHEAD, HVServers=multi("SALES s1"), Retries=dword(1), products=["current"],
          EventMessageFile=SOURCE)),
]


def run_case(name, version, before, steps, after, packages, folder, template):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run(["cp", "-a", "--reflink=auto", template, folder], check=True)
    env = dict(os.environ, WINEPREFIX=str(folder), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    system32, failures, logs = folder / "drive_c/windows/system32", [], []
    # Nothing of Wine's may hold this process's output open: its background processes live on.
    quiet = dict(env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                 stderr=subprocess.DEVNULL)
    wine = lambda *args: subprocess.run(["wine", *args], **quiet).returncode
    # One Wine server for the whole case, as one Windows session: a new one would start the
    # programs of RunServices (HVNc9x.exe), as Windows 98 does when it starts.
    subprocess.run(["wineserver", "-p"], **quiet, check=True)
    try:
        for number, step in enumerate([before] + steps):
            if isinstance(step, dict):  # registry values and files, Wine's Windows version first
                lines = ['[HKEY_LOCAL_MACHINE\\%s]\r\n"%s"=%s' % (KEYS[n], n, v)
                         for n, v in step.items() if n in KEYS]
                if number == 0:
                    lines.append('[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"=' + sz(version))
                (folder / "set.reg").write_text("\r\n\r\n".join(["REGEDIT4"] + lines) + "\r\n")
                assert wine("reg", "import", "Z:%s" % (folder / "set.reg")) == 0
                for file in step.get("files", []):
                    (system32 / file).write_bytes(b"MZ")
                continue
            if step[0] == "/i":
                share = folder / ("share%d" % number)  # the package's folder on the server
                share.mkdir()
                package = shutil.copy(packages[step[2]][0], share / "HalvernClient.msi")
                if step[3] is not None:
                    (share / "HVNCLNT.CFG").write_text(step[3])
            logs.append(folder / ("step%d.log" % number))
            status = wine("msiexec", step[0], "Z:%s" % package, "/qn", "/l*v", "Z:%s" % logs[-1])
            if status != step[1] & 0xFF:  # Wine's exit status keeps the low byte
                failures.append("step %d: msiexec %s ended with %d" % (number, step[0], status))
    finally:
        subprocess.run(["wineserver", "-k"], **quiet)  # which saves the registry
        subprocess.run(["wineserver", "-w"], **quiet)
    keys, values = {}, {}
    for line in (folder / "system.reg").read_text(errors="replace").splitlines():
        if line.startswith("["):
            values = keys.setdefault(line[1:line.rindex("]")].replace("\\\\", "\\").lower(), {})
        elif line.startswith('"'):
            values.update([line[1:].split('"=', 1)])
    got = {n: keys.get(k.lower(), {}).get(n) for n, k in KEYS.items()}
    got["files"] = [f for f in FILES if (system32 / f).exists()]
    got["products"] = sorted(v["DisplayVersion"].strip('"') for k, v in keys.items()
                             if "\\uninstall\\" in k
                             and v.get("DisplayName") == sz("Halvern Client 3.5"))
    want = dict(before if after is None else after)
    want["files"] = [f for f in FILES if f in want.get("files", [])]
    want["products"] = [packages[p][1] for p in want.get("products", [])]
    got, want = ({n: v for n, v in s.items() if v} for s in (got, want))
    if got != want:
        failures.append("the machine afterwards:\n  got  %s\n  want %s" % (got, want))
    report = ["%s %s" % ("FAIL" if failures else "ok  ", name)] + failures
    for log in logs if failures else []:
        report += ["--- %s (end)" % log] + log.read_text(errors="replace").splitlines()[-25:]
    shutil.rmtree(folder)
    return "\n".join(report), not failures


def main(binary_dir, version, wine_run, work):
    work = Path(work)
    template = work / "template"  # a prefix as the build's Wine tests get it, made once
    if not (template / ".hvn-ready").exists():
        env = dict(os.environ, HVN_WINEPREFIX=str(template), WINEPREFIX=str(template))
        subprocess.run([wine_run, "cmd", "/c", "exit"], env=env, check=True)
        subprocess.run(["wineserver", "-w"], env=env, check=True)
    # An earlier build of this version: Windows Installer compares three fields of four.
    earlier = (work / "HalvernClient-3.5.0.0.msi", "3.5.0.0")
    build_msi = Path(__file__).resolve().parents[2] / "packaging/build-msi.sh"
    subprocess.run([build_msi, binary_dir, earlier[1], earlier[0]], check=True)
    packages = {"current": (Path(binary_dir) / "HalvernClient.msi", version), "earlier": earlier}
    results = [run_case(*case, packages, work / case[0], template) for case in CASES]
    print("\n".join(report for report, _ in results))
    return 0 if all(passed for _, passed in results) else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
